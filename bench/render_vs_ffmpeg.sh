#!/usr/bin/env bash
# Times `velmora-cli render` against the pipeline people use instead: the roll exported once
# as a tall image (velmora-cli strip, not timed), then scrolled by ffmpeg with loop + pad +
# crop at the same scroll rate and frame count. Prints frames per second and the ratio.
#
#   bench/render_vs_ffmpeg.sh [PROJECT.vmz]      (default: the long sample roll, feature.vmz)
#   FRAMES_RAW=600 FRAMES_MJPEG=600 FRAMES_CINEPAK=36 START_FRAME=600 THREADS=0 bench/render_vs_ffmpeg.sh
#
# Both sides write the same frames: FRAMES_* of them from START_FRAME on (by default a
# stretch in the middle of the credits, not the empty lead-in), so a run takes minutes, not
# hours (Cinepak costs seconds per HD frame).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
cli=$build/velmora-cli
project=${1:-$build/examples/feature.vmz}
[ -x "$cli" ] || { echo "build velmora-cli first (./test.sh or ./run.sh)" >&2; exit 1; }
[ -f "$project" ] || { echo "no project $project (build the 'examples' target)" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

info=$("$cli" info "$project" --json)
field() { python3 -c "import json,sys; d=json.load(sys.stdin); p=d['nodes'][0]; print(eval(sys.argv[1]))" "$1" <<<"$info"; }
width=$(field "p['Width']")
height=$(field "p['Height']")
scroll=$(field "p['ScrollRate']")
rate=$(field "p['FrameRate']")
backcolor=$(field "'0x'+p['BackColor'][3:]")
total=$(field "d['frame_count']")
echo "roll: ${width}x${height}, scroll $scroll px/frame, $rate fps, $total frames in all"

"$cli" strip "$project" -o "$work/roll.png"

now() { date +%s.%N; }
measure() { # name frames command...
  local name=$1 frames=$2; shift 2
  local start end
  start=$(now)
  "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$(now)
  python3 -c "print('%.2f' % ($frames / ($end - $start)))"
}

printf '%-8s %7s %14s %14s %7s\n' codec frames velmora-fps ffmpeg-fps ratio
for row in "raw:${FRAMES_RAW:-600}:rawvideo -pix_fmt bgr24" \
           "mjpeg:${FRAMES_MJPEG:-600}:mjpeg -q:v 3 -pix_fmt yuvj420p" \
           "cinepak:${FRAMES_CINEPAK:-36}:cinepak -q:v 2.236"; do
  codec=${row%%:*}; rest=${row#*:}; frames=${rest%%:*}; ffargs=${rest#*:}
  start=${START_FRAME:-600}
  [ "$start" -lt "$total" ] || start=0
  [ "$((start + frames))" -le "$total" ] || frames=$((total - start))
  [ "$frames" -gt 0 ] || continue
  ours=$(measure "$codec" "$frames" "$cli" render "$project" -o "$work/ours.avi" --codec "$codec" \
         --frames "$start:$((start + frames - 1))" --threads "${THREADS:-0}" --data-rate 0 --quiet)
  # shellcheck disable=SC2086
  theirs=$(measure "$codec" "$frames" ffmpeg -v error -y -loop 1 -framerate "$rate" -i "$work/roll.png" \
           -vf "pad=iw:ih+2*$height:0:$height:color=$backcolor,crop=$width:$height:0:(n+$start)*$scroll" \
           -frames:v "$frames" -c:v $ffargs "$work/theirs.avi")
  ratio=$(python3 -c "print('%.2f' % ($ours / $theirs))")
  printf '%-8s %7d %14s %14s %7s\n' "$codec" "$frames" "$ours" "$theirs" "$ratio"
  rm -f "$work/ours.avi" "$work/theirs.avi"
done
