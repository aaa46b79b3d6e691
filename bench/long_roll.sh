#!/usr/bin/env bash
# Long rolls: a 20,000-row sheet (headings, role/name pairs, names in three columns) against a
# 20-row one, imported as elements and linked as one credit block. Prints, for each, the wall
# and CPU seconds and the peak memory of import, info and render of 48 frames in the middle of
# the roll, then the in-process costs from velmora-bench-long-roll (open and lay out; one
# frame in the middle). On a shared machine compare the CPU times; wall times follow the load.
#   bench/long_roll.sh [ROWS]       (build with -DVELMORA_BUILD_BENCH=ON)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
cli=$build/velmora-cli
rows=${1:-20000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

measure() {  # LABEL COMMAND...: one line of wall s, CPU s and peak MB
    local label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
    read -r wall user sys kb <"$work/time"
    printf '%-28s wall %6.2f s  cpu %6.2f s  peak %5d MB\n' "$label" "$wall" "$(echo "$user + $sys" | bc)" $((kb / 1024))
}

"$root/bench/long_sheet.py" 20 "$work/short.csv"
"$root/bench/long_sheet.py" "$rows" "$work/long.csv"
for size in short long; do
    measure "import $size" "$cli" import "$work/$size.csv" -o "$work/$size.vmz"
    measure "import --link $size" "$cli" import --link "$work/$size.csv" -o "$work/$size-link.vmz"
    for project in "$size" "$size-link"; do
        measure "info $project" "$cli" info "$work/$project.vmz"
        frames=$("$cli" info --json "$work/$project.vmz" | python3 -c 'import json,sys; print(json.load(sys.stdin)["frame_count"])')
        middle=$((frames / 2))
        measure "render 48 frames $project" "$cli" render "$work/$project.vmz" -o "$work/$project.mkv" \
            --codec ffv1 --threads 1 --frames "$middle:$((middle + 47))" --quiet
    done
done
"$build/bench/velmora-bench-long-roll" --benchmark_min_time=1 \
    "$work/short.vmz" "$work/long.vmz" "$work/short-link.vmz" "$work/long-link.vmz"
