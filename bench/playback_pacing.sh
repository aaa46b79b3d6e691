#!/usr/bin/env bash
# Plays 10 s of the long 1920 x 1080 sample in a real editor window on Xvfb, at the preview's
# fit-to-window size and 25 fps, and reports frames shown and skipped and the pacing error.
# Usage: bench/playback_pacing.sh [BUILD_DIR] [extra velmora-bench-playback options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
cmake -S "$root" -B "$build" -DVELMORA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target velmora-bench-playback examples >/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
QT_QPA_PLATFORM=xcb xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" \
  "$build/bench/velmora-bench-playback" "$build/examples/feature.vmz" --seconds 10 --fps 25 \
  --log "$build/playback_pacing.tsv" "$@"
echo "per-frame log: $build/playback_pacing.tsv"
