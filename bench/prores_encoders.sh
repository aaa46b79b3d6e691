#!/usr/bin/env bash
# Weighs FFmpeg's two ProRes encoders against each other at every profile: prores_ks, which
# Velmora writes with, and prores_aw ("prores"). Each encodes the same 10-bit frames, made
# once from a frame as `velmora-cli still` draws it, on one thread. Prints per profile and
# encoder: CPU seconds (user + sys) and wall seconds for the frames, frames per CPU second,
# megabits per second at 25 fps, and two PSNRs in dB (the mean of the three planes):
#   - "vs still": the decoded frames, back in 8-bit RGB as a player shows them, against the PNG;
#   - "vs source": the decoded planes against the 10-bit planes the encoder was given (the
#     encoder's own loss, without the 8-bit rounding both sides share).
#
#   bench/prores_encoders.sh [PROJECT.vmz]     (default: build/examples/feature.vmz, 1920 x 1080)
#   FRAMES=48 POSITIONS="2400 12000" PROFILES="proxy lt standard hq 4444" bench/prores_encoders.sh
#
# The commands timed, for profile P (prores_aw takes the profile by number: proxy 0, lt 1,
# standard 2, hq 3, 4444 4), pixel format yuv422p10le (yuv444p10le for 4444):
#   ffmpeg -nostdin -v error -f rawvideo -pix_fmt FMT -s 1920x1080 -r 25 -stream_loop FRAMES-1 -i frame.yuv \
#          -frames:v FRAMES -threads 1 -c:v prores_ks -profile:v P -pix_fmt FMT -y ks.mov
#   ffmpeg ... -threads 1 -c:v prores_aw -profile:v N -pix_fmt FMT -y aw.mov
# Every encode runs RUNS times (default 3); the median CPU and wall times are printed. On a
# machine shared with other work, CPU time is the steadier figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
cli=$build/velmora-cli
project=${1:-$build/examples/feature.vmz}
frames=${FRAMES:-48}
runs=${RUNS:-3}
positions=${POSITIONS:-"2400 12000"}
profiles=${PROFILES:-"proxy lt standard hq 4444"}
[ -x "$cli" ] || { echo "build velmora-cli first (./test.sh or ./run.sh)" >&2; exit 1; }
[ -f "$project" ] || { echo "no project $project (build the 'examples' target)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian's 'time' package)" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Velmora's conversion for YUV codecs: BT.709, limited range, tagged alike.
to709="scale=out_color_matrix=bt709:out_range=tv:flags=bicubic+accurate_rnd+full_chroma_int+full_chroma_inp"
from709="scale=in_color_matrix=bt709:in_range=tv:flags=bicubic+accurate_rnd+full_chroma_int+full_chroma_inp"
tags709="-color_primaries bt709 -color_trc bt709 -colorspace bt709 -color_range tv"

profile_number() {
  case $1 in proxy) echo 0 ;; lt) echo 1 ;; standard) echo 2 ;; hq) echo 3 ;; 4444) echo 4 ;;
  *) echo "unknown profile $1" >&2; exit 1 ;; esac
}

# Median of the numbers on standard input.
median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

# Encodes RUNS times; prints "cpu wall" medians. The encoder's arguments follow the input.
time_encode() { # yuv fmt output encoder-args...
  local yuv=$1 fmt=$2 out=$3; shift 3
  : >"$work/times"
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%U %S %e' -a -o "$work/times" \
      ffmpeg -nostdin -v error -f rawvideo -pix_fmt "$fmt" -s "${width}x${height}" -r 25 -stream_loop $((frames - 1)) -i "$yuv" \
      -frames:v "$frames" -threads 1 "$@" -pix_fmt "$fmt" $tags709 -y "$out"
  done
  local cpu wall
  cpu=$(awk '{print $1 + $2}' "$work/times" | median)
  wall=$(awk '{print $3}' "$work/times" | median)
  echo "$cpu $wall"
}

# Mean PSNR over the frames; the second input, one frame, stands beside every frame of the first.
psnr() { # filtergraph inputs...
  local graph=$1; shift
  ffmpeg -v info -nostats "$@" -lavfi "$graph" -f null - 2>&1 \
    | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p' | tail -1
}

printf '%-6s %-9s %-9s %8s %8s %10s %8s %10s %10s\n' \
  position profile encoder cpu_s wall_s frames/cpu_s Mbit/s psnr_still psnr_src
for position in $positions; do
  "$cli" still "$project" -p "$position" -o "$work/still.png" >/dev/null
  read -r width height < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x "$work/still.png" | tr x ' ')
  for profile in $profiles; do
    fmt=yuv422p10le
    [ "$profile" = 4444 ] && fmt=yuv444p10le
    yuv=$work/frame-$position-$fmt.yuv
    [ -f "$yuv" ] || ffmpeg -v error -i "$work/still.png" -vf "$to709,format=$fmt" -f rawvideo -y "$yuv"
    for encoder in prores_ks prores_aw; do
      out=$work/$encoder-$profile.mov
      if [ "$encoder" = prores_ks ]; then args=(-c:v prores_ks -profile:v "$profile")
      else args=(-c:v prores_aw -profile:v "$(profile_number "$profile")"); fi
      read -r cpu wall < <(time_encode "$yuv" "$fmt" "$out" "${args[@]}")
      # The file must hold the profile asked for, or the comparison is of something else.
      got=$(ffprobe -v error -select_streams v:0 -show_entries stream=profile -of csv=p=0 "$out")
      bytes=$(stat -c %s "$out")
      still=$(psnr "[0:v]$from709,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -i "$out" -i "$work/still.png")
      source=$(psnr "[0:v]format=$fmt[a];[1:v]format=$fmt[b];[a][b]psnr" -i "$out" \
        -f rawvideo -pix_fmt "$fmt" -s "${width}x${height}" -i "$yuv")
      printf '%-6s %-9s %-9s %8.2f %8.2f %10.1f %8.1f %10s %10s  (%s)\n' "$position" "$profile" "$encoder" \
        "$cpu" "$wall" "$(echo "$frames / $cpu" | bc -l)" "$(echo "$bytes * 8 * 25 / $frames / 1000000" | bc -l)" \
        "$still" "$source" "$got"
    done
  done
done
