#!/usr/bin/env bash
# Times velmora-cli import of a 5,000-row credit sheet, as CSV and as XLSX, against importing
# the same roll from its JSON description (what info --json prints). One run each.
#   bench/sheet_import.sh [ROWS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${VELMORA_CLI:-$root/build/velmora-cli}
rows=${1:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$rows" <<'PY'
import csv, random, sys, zipfile
from xml.sax.saxutils import escape
work, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(5000)
first = ["Ada", "Bram", "Cleo", "Dario", "Elin", "Farah", "Gideon", "Hana", "Ivo", "Juno"]
last = ["Achterberg", "Belmonte", "Castellan", "Drummond", "Eskildsen", "Fairweather", "Gallardo"]
table = [["Kind", "Role", "Name", "Text", "Columns"]]
for i in range(count):
    if i % 40 == 0:
        table.append(["heading", "", "", "DEPARTMENT %d" % (i // 40), ""])
    elif i % 40 < 30:
        table.append(["pair", "Role %d" % i, "%s %s" % (rng.choice(first), rng.choice(last)), "", ""])
    else:
        table.append(["names", "", "%s %s" % (rng.choice(first), rng.choice(last)), "", "3"])
table = table[:count + 1]
with open(work + "/credits.csv", "w", newline="") as f:
    csv.writer(f).writerows(table)
def col(c):
    return chr(ord("A") + c)
strings, rows = [], []
for r, row in enumerate(table, 1):
    cells = "".join('<c r="%s%d" t="s"><v>%d</v></c>' % (col(c), r, strings.append(v) or len(strings) - 1)
                    for c, v in enumerate(row) if v)
    rows.append('<row r="%d">%s</row>' % (r, cells))
ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
with zipfile.ZipFile(work + "/credits.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("xl/workbook.xml", '<workbook %s xmlns:r="r"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>' % ns)
    z.writestr("xl/_rels/workbook.xml.rels", '<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>')
    z.writestr("xl/sharedStrings.xml", "<sst %s>%s</sst>" % (ns, "".join("<si><t>%s</t></si>" % escape(s) for s in strings)))
    z.writestr("xl/worksheets/sheet1.xml", "<worksheet %s><sheetData>%s</sheetData></worksheet>" % (ns, "".join(rows)))
PY

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); echo "$end - $start" | bc; }
export QT_QPA_PLATFORM=offscreen
csv=$(seconds "$cli" import "$work/credits.csv" -o "$work/csv.vmz")
xlsx=$(seconds "$cli" import "$work/credits.xlsx" -o "$work/xlsx.vmz")
"$cli" info "$work/csv.vmz" --json >"$work/roll.json"
json=$(seconds "$cli" import "$work/roll.json" -o "$work/json.vmz")
cmp -s <("$cli" info "$work/csv.vmz" --json | grep -v '"file"') <("$cli" info "$work/xlsx.vmz" --json | grep -v '"file"') \
  && echo "CSV and XLSX give the same project" || echo "CSV and XLSX projects differ"
echo "$rows rows: import CSV ${csv} s, XLSX ${xlsx} s; the same roll from its JSON description ${json} s"
