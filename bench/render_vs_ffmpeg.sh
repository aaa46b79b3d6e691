#!/usr/bin/env bash
# Times `velmora-cli render` against the pipeline a skilled user would run instead: the roll
# exported once as a tall image (velmora-cli strip, not timed), decoded once by ffmpeg, looped
# in memory and scrolled with pad + crop at the same scroll rate and frame count, encoded with
# the same encoder and the same settings (printed). Prints frames per second and the ratio;
# for lossless codecs it also checks that both sides decode to identical frames.
#
#   bench/render_vs_ffmpeg.sh [PROJECT.vmz]      (default: the long sample roll, feature.vmz)
#   FRAMES=300 FRAMES_CINEPAK=18 START_FRAME=600 CODECS="raw mjpeg prores h264 ffv1 cinepak" bench/render_vs_ffmpeg.sh
#
# Both sides write the same frames: FRAMES of them (FRAMES_CINEPAK for Cinepak, seconds a
# frame in HD) from START_FRAME on, by default a stretch in the middle of the credits.
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
echo "roll: ${width}x${height}, scroll $scroll px/frame, $rate fps, $total frames in all, $(nproc) cores"

"$cli" strip "$project" -o "$work/roll.png"

now() { date +%s.%N; }
measure() { # frames command...
  local frames=$1; shift
  local start end
  start=$(now)
  "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$(now)
  python3 -c "print('%.2f' % ($frames / ($end - $start)))"
}
# Frame checksums after decoding, to show both sides wrote the same pictures.
frame_sums() { ffmpeg -v error -i "$1" -f framemd5 -pix_fmt rgb24 - | grep -v '^#' | awk -F, '{print $NF}'; }

# BT.709 limited range, as Velmora converts for YUV codecs; tagged alike.
yuv709="scale=out_color_matrix=bt709:out_range=tv"
tags709="-color_primaries bt709 -color_trc bt709 -colorspace bt709 -color_range tv"

# codec | output | velmora options | ffmpeg filter tail | ffmpeg encoder options | lossless
rows=(
  "raw|avi|--codec raw --data-rate 0||-c:v rawvideo -pix_fmt bgr24|yes"
  "mjpeg|avi|--codec mjpeg --data-rate 0|,format=yuvj420p|-c:v mjpeg -q:v 7.874 -pix_fmt yuvj420p|no"
  "prores|mov|--codec prores --profile hq|,$yuv709,format=yuv422p10le|-c:v prores_ks -profile:v hq -pix_fmt yuv422p10le $tags709|no"
  "h264|mp4|--codec h264|,$yuv709,format=yuv420p|-c:v libx264 -profile:v high -crf 23 -pix_fmt yuv420p -movflags +faststart $tags709|no"
  "ffv1|mkv|--codec ffv1|,format=bgr0|-c:v ffv1 -level 3 -g 1 -slicecrc 1 -pix_fmt bgr0|yes"
  "cinepak|avi|--codec cinepak-libav --data-rate 0|,format=rgb24|-c:v cinepak -q:v 2.236 -g 18 -pix_fmt rgb24|no"
)

printf '%-8s %7s %12s %12s %7s  %s\n' codec frames velmora-fps ffmpeg-fps ratio same-frames
for row in "${rows[@]}"; do
  IFS='|' read -r codec ext ours_opts filter_tail ff_opts lossless <<<"$row"
  case " ${CODECS:-raw mjpeg prores h264 ffv1 cinepak} " in *" $codec "*) ;; *) continue ;; esac
  frames=${FRAMES:-300}
  [ "$codec" = cinepak ] && frames=${FRAMES_CINEPAK:-18}
  start=${START_FRAME:-600}
  [ "$start" -lt "$total" ] || start=0
  [ "$((start + frames))" -le "$total" ] || frames=$((total - start))
  [ "$frames" -gt 0 ] || continue
  # shellcheck disable=SC2086
  ours=$(measure "$frames" "$cli" render "$project" -o "$work/ours.$ext" $ours_opts \
         --frames "$start:$((start + frames - 1))" --threads "${THREADS:-0}" --quiet)
  # shellcheck disable=SC2086
  theirs=$(measure "$frames" ffmpeg -v error -y -i "$work/roll.png" \
           -vf "pad=iw:ih+2*$height:0:$height:color=$backcolor,loop=loop=-1:size=1:start=0,setpts=N/$rate/TB,crop=$width:$height:0:(n+$start)*$scroll$filter_tail" \
           -r "$rate" -frames:v "$frames" $ff_opts "$work/theirs.$ext")
  ratio=$(python3 -c "print('%.2f' % ($ours / $theirs))")
  same="-"
  if [ "$lossless" = yes ]; then
    if cmp -s <(frame_sums "$work/ours.$ext") <(frame_sums "$work/theirs.$ext"); then same="identical"; else same="DIFFERENT"; fi
  fi
  printf '%-8s %7d %12s %12s %7s  %s\n' "$codec" "$frames" "$ours" "$theirs" "$ratio" "$same"
  rm -f "$work/ours.$ext" "$work/theirs.$ext"
done
echo "settings: ffmpeg filter pad+loop+crop as above; encoders as in the rows of this script"
