#!/usr/bin/env bash
# Times `velmora-cli info` on rolls holding one text of N characters without a space, the
# case that made wrapping quadratic. Usage: bench/long_text.sh [CLI] [N...]
# (default: build/velmora-cli, 200000 400000 800000 10000000). Prints N and seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/velmora-cli}
shift || true
sizes=${*:-200000 400000 800000 10000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
for n in $sizes; do
  python3 - "$n" >"$work/roll.json" <<'PY'
import json, sys
n = int(sys.argv[1])
print(json.dumps({"kind": "TVmElementProject", "Width": 1920, "Height": 1080,
                  "children": [{"kind": "TVmElementText", "Text": "x" * n, "FontSize": 30}]}))
PY
  "$cli" import "$work/roll.json" -o "$work/roll.vmz" 2>/dev/null
  start=$(date +%s.%N)
  "$cli" info "$work/roll.vmz" >/dev/null
  end=$(date +%s.%N)
  printf '%9d characters: %6.2f s\n' "$n" "$(echo "$end - $start" | bc)"
done
