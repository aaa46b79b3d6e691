#!/usr/bin/env bash
# Velmora's Cinepak encoder against libavcodec's on the same rendered frames: frames per second
# (encoding only, both through Velmora's writer on THREADS threads), bytes per frame, and PSNR
# of ffmpeg's decoding against the rendered frames. Neither side has a data-rate cap.
#
#   bench/cinepak_vs_libav.sh
#   QUALITIES="2500 5000 7500 10000" FRAMES=180 LIBAV_FRAMES=6 THREADS=2 bench/cinepak_vs_libav.sh
#
# Rolls: the middle of the long sample (feature.vmz, 1920 x 1080) and the short demo
# (demo.vmz, 720 x 576). libavcodec's encoder takes seconds per HD frame, so it codes the first
# LIBAV_FRAMES frames only; ours codes those same frames too (the "same frames" rows, for the
# PSNR and size comparison) and FRAMES frames for its speed.
# Needs: cmake -B build -DVELMORA_BUILD_BENCH=ON && cmake --build build --target velmora-bench-cinepak examples
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
tool=$build/bench/velmora-bench-cinepak
cli=$build/velmora-cli
[ -x "$tool" ] || { echo "build velmora-bench-cinepak first (-DVELMORA_BUILD_BENCH=ON)" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frames=${FRAMES:-180}
libav_frames=${LIBAV_FRAMES:-6}
threads=${THREADS:-2}
qualities=${QUALITIES:-5000}

psnr() { # video raw width height -> average PSNR over the frames
  ffmpeg -hide_banner -nostats -i "$1" -f rawvideo -pix_fmt rgb24 -s "$3x$4" -i "$2" \
    -lavfi "[0:v]format=rgb24[a];[a][1:v]psnr" -f null - 2>&1 | sed -n 's/.*average:\([0-9.inf]*\).*/\1/p' | tail -1
}

run() { # label project first count codec quality
  local out=$work/$5-$6-$4.avi raw=$work/frames-$4.rgb line fps bpf
  line=$(nice -n 19 "$tool" "$2" "$3" "$4" "$5" "$6" "$threads" "$out" "$raw")
  fps=$(sed 's/.*fps=\([0-9.]*\).*/\1/' <<<"$line")
  bpf=$(sed 's/.*bytes_per_frame=\([0-9]*\).*/\1/' <<<"$line")
  printf '%-22s %-14s %7s %6s %10s %10s %8s\n' "$1" "$5" "$6" "$4" "$fps" "$bpf" "$(psnr "$out" "$raw" "$width" "$height")"
}

printf '%-22s %-14s %7s %6s %10s %10s %8s\n' roll encoder quality frames fps bytes/frame psnr
for project in "$build/examples/feature.vmz" "$build/examples/demo.vmz"; do
  [ -f "$project" ] || { echo "no $project (build the 'examples' target)" >&2; exit 1; }
  info=$("$cli" info "$project" --json)
  field() { python3 -c "import json,sys; d=json.load(sys.stdin); p=d['nodes'][0]; print(eval(sys.argv[1]))" "$1" <<<"$info"; }
  width=$(field "p['Width']"); height=$(field "p['Height']"); total=$(field "d['frame_count']")
  count=$(( frames < total ? frames : total ))
  first=$(( (total - count) / 2 ))
  label="$(basename "$project" .vmz) ${width}x${height}"
  for quality in $qualities; do
    run "$label" "$project" "$first" "$libav_frames" cinepak-libav "$quality"
    run "$label" "$project" "$first" "$libav_frames" cinepak "$quality"
    run "$label" "$project" "$first" "$count" cinepak "$quality"
  done
done
