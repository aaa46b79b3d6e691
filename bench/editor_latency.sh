#!/usr/bin/env bash
# Editor latency on a 5,000-row roll in a real window on Xvfb: a keystroke in the Text field
# until the preview shows it, a slider step, opening the project and importing the sheet.
# Usage: bench/editor_latency.sh [BUILD_DIR] [ROWS] [extra velmora-bench-editor options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
rows=${2:-5000}
shift 2 || shift $# || true
cmake -S "$root" -B "$build" -DVELMORA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target velmora-bench-editor velmora-cli >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A feature's crew list: a heading every 40 rows, pairs, and lists of names.
python3 - "$work/credits.csv" "$rows" <<'PY'
import csv, random, sys
path, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(5000)
first = ["Ada", "Bram", "Cleo", "Dario", "Elin", "Farah", "Gideon", "Hana", "Ivo", "Juno"]
last = ["Achterberg", "Belmonte", "Castellan", "Drummond", "Eskildsen", "Fairweather", "Gallardo"]
table = [["Kind", "Role", "Name", "Text"]]
for i in range(count):
    if i % 40 == 0:
        table.append(["heading", "", "", "DEPARTMENT %d" % (i // 40)])
    elif i % 40 < 34:
        table.append(["pair", "Role %d" % i, "%s %s" % (rng.choice(first), rng.choice(last)), ""])
    else:
        table.append(["text", "", "", "Thanks to %s %s" % (rng.choice(first), rng.choice(last))])
with open(path, "w", newline="") as f:
    csv.writer(f).writerows(table)
PY
"$build/velmora-cli" import "$work/credits.csv" -o "$work/credits.vmz" 2>/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; $rows rows"
QT_QPA_PLATFORM=xcb VELMORA_NO_SPLASH=1 XDG_CONFIG_HOME="$work/config" \
  xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" \
  "$build/bench/velmora-bench-editor" "$work/credits.vmz" "$work/credits.csv" "$@"
