#!/usr/bin/env bash
# Generation against the encoder's limit on this machine. The limit: the same frames, rendered
# once to raw video in RAM, encoded by two ffmpeg processes at once, each taking half of them,
# with the settings velmora-cli uses (encoder, quality, pixel format, colour matrix and range,
# scaler flags, key frames). velmora-cli render does all of it: draws, converts, encodes and
# writes. Both sides write into RAM (/dev/shm).
#
#   bench/encoder_limit.sh [PROJECT.vmz]           prepare, then time every codec once each side
#   bench/encoder_limit.sh prepare [PROJECT.vmz]   render the raw frames and split them in two
#   bench/encoder_limit.sh ours CODEC              velmora-cli render of the frames
#   bench/encoder_limit.sh limit CODEC             the two ffmpeg processes on the raw halves
#   bench/encoder_limit.sh render-cost             velmora-cli render into raw AVI: drawing,
#                                                  copying and writing as they run inside
#                                                  generation, with no encoder
#
# The modes ours and limit run one side as a whole process each, for a timer that pairs them,
# e.g. `/usr/bin/time -v bench/encoder_limit.sh ours mjpeg`. The ratio to quote is the limit's
# time over ours (1.0: generation runs as fast as the encoder alone).
#   FRAMES=600:749 CODECS="mjpeg prores dnxhr h264" WORK=/dev/shm/velmora-limit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
cli=$build/velmora-cli
work=${WORK:-/dev/shm/velmora-limit}
frames=${FRAMES:-600:749}
export QT_QPA_PLATFORM=offscreen

# BT.709 limited range, as velmora-cli converts for these YUV codecs in MOV and MP4, with its
# scaler flags; MJPEG in AVI is full-range JFIF from the scaler's default matrix.
yuv709="scale=out_color_matrix=bt709:out_range=tv:flags=bicubic+accurate_rnd+full_chroma_int+full_chroma_inp"
tags709="-color_primaries bt709 -color_trc bt709 -colorspace bt709 -color_range tv"

# codec | output | velmora-cli options | ffmpeg filter and encoder options
row() {
  case $1 in
    mjpeg) echo "avi|--codec mjpeg --data-rate 0|-sws_flags bicubic+accurate_rnd+full_chroma_int -c:v mjpeg -q:v 7.874 -pix_fmt yuvj420p" ;;
    prores) echo "mov|--codec prores --profile hq|-vf $yuv709,format=yuv422p10le -c:v prores_ks -profile:v hq $tags709" ;;
    dnxhr) echo "mov|--codec dnxhr --profile hqx|-vf $yuv709,format=yuv422p10le -c:v dnxhd -profile:v dnxhr_hqx $tags709" ;;
    h264) echo "mp4|--codec h264|-vf $yuv709,format=yuv420p -c:v libx264 -profile:v high -crf 23 -g 18 -keyint_min 18 -sc_threshold 0 -movflags +faststart $tags709" ;;
    *) echo "unknown codec $1 (mjpeg prores dnxhr h264)" >&2; exit 2 ;;
  esac
}

prepare() {
  local project=${1:-$build/examples/feature.vmz}
  [ -x "$cli" ] || { echo "build velmora-cli first" >&2; exit 1; }
  [ -f "$project" ] || { echo "no project $project (build the 'examples' target)" >&2; exit 1; }
  mkdir -p "$work"
  local info width height rate count half
  info=$("$cli" info "$project" --json)
  read -r width height rate < <(python3 -c "import json,sys; p=json.load(sys.stdin)['nodes'][0]; print(p['Width'], p['Height'], p['FrameRate'])" <<<"$info")
  "$cli" render "$project" -o "$work/raw.avi" --codec raw --frames "$frames" --quiet
  count=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$work/raw.avi")
  half=$((count / 2))
  ffmpeg -v error -y -i "$work/raw.avi" -frames:v "$half" -f rawvideo -pix_fmt bgr24 "$work/half1.bgr24"
  ffmpeg -v error -y -i "$work/raw.avi" -vf "select=gte(n\,$half)" -fps_mode passthrough -f rawvideo -pix_fmt bgr24 "$work/half2.bgr24"
  rm -f "$work/raw.avi"
  printf '%s\n' "$project" "$width" "$height" "$rate" "$count" >"$work/setup"
  echo "raw frames $frames of $project: $count frames of ${width}x${height} at $rate fps in $work"
}

setup() {
  [ -f "$work/setup" ] || { echo "run bench/encoder_limit.sh prepare first" >&2; exit 1; }
  mapfile -t s <"$work/setup"
  project=${s[0]} width=${s[1]} height=${s[2]} rate=${s[3]}
}

ours() {
  setup
  IFS='|' read -r ext options _ <<<"$(row "$1")"
  # shellcheck disable=SC2086
  "$cli" render "$project" -o "$work/ours.$ext" $options --frames "$frames" --quiet
}

limit() {
  setup
  IFS='|' read -r ext _ encoder <<<"$(row "$1")"
  local raw="-f rawvideo -pix_fmt bgr24 -s ${width}x${height} -r $rate"
  # shellcheck disable=SC2086
  ffmpeg -v error -y $raw -i "$work/half1.bgr24" $encoder "$work/limit1.$ext" &
  local first=$!
  # shellcheck disable=SC2086
  ffmpeg -v error -y $raw -i "$work/half2.bgr24" $encoder "$work/limit2.$ext"
  wait "$first"
}

render_cost() {
  setup
  "$cli" render "$project" -o "$work/render.avi" --codec raw --frames "$frames" --quiet
}

# Seconds of wall and CPU time of one run of a mode.
timed() {
  /usr/bin/time -f '%e %U %S' -o "$work/time" "$0" "$@" >/dev/null
  cat "$work/time"
}

case ${1:-all} in
  prepare) shift; prepare "$@" ;;
  ours) ours "$2" ;;
  limit) limit "$2" ;;
  render-cost) render_cost ;;
  *)
    prepare "${1:-}"
    setup
    count=$(sed -n 5p "$work/setup")
    printf '%-7s %10s %10s %10s %10s %8s\n' codec ours-fps limit-fps ours-cpu limit-cpu ratio
    for codec in ${CODECS:-mjpeg prores dnxhr h264}; do
      read -r ow ou os < <(timed ours "$codec")
      read -r lw lu ls < <(timed limit "$codec")
      python3 -c "
n=$count; ow,ou,os,lw,lu,ls=$ow,$ou,$os,$lw,$lu,$ls
print('%-7s %10.1f %10.1f %9.1fs %9.1fs %8.2f' % ('$codec', n/ow, n/lw, ou+os, lu+ls, lw/ow))"
    done
    read -r rw ru rs < <(timed render-cost)
    python3 -c "print('drawing, copying and writing raw frames inside generation: %.1f ms of CPU a frame' % (1000*($ru+$rs)/$count))"
    echo "ratio: the limit's wall time over ours; cpu: user+sys seconds of each side" ;;
esac
