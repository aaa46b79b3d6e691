#!/usr/bin/env bash
# The README's recipe for many machines, run here with two jobs: a roll rendered in chunks
# by GNU parallel and joined is the video a single render gives, frame for frame.
set -euo pipefail
cli=$1
for tool in parallel ffmpeg; do
  command -v "$tool" >/dev/null || { echo "chunks smoke: $tool not found, skipped"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat > roll.json <<'JSON'
{"nodes": [{"kind": "TVmElementProject", "Name": "Chunks", "Width": 320, "Height": 180, "BackColor": "#FF101828",
  "FrameRate": 25, "ScrollRate": 12, "children": [
  {"kind": "TVmElementText", "Text": "Directed by", "FontName": "Arial", "FontSize": 18, "Color": "#FFFFD678", "HAlign": 1, "TopOffset": 40},
  {"kind": "TVmElementText", "Text": "A. N. Other", "FontName": "Arial", "FontSize": 30, "Color": "#FFFFFFFF", "HAlign": 1, "TopOffset": 20},
  {"kind": "TVmElementText", "Text": "Music", "FontName": "Arial", "FontSize": 18, "Color": "#FF80C0FF", "HAlign": 1, "TopOffset": 120},
  {"kind": "TVmElementText", "Text": "The End", "FontName": "Times New Roman", "FontSize": 40, "Color": "#FFFFFFFF", "HAlign": 1, "TopOffset": 160}
]}]}
JSON
"$cli" import roll.json -o roll.vmz
"$cli" render roll.vmz -o whole.mov --codec prores --profile proxy --threads 1 --quiet
parallel -j2 "$cli" render roll.vmz -o part{}.mov --codec prores --profile proxy --threads 1 --chunk {}/3 --quiet ::: 1 2 3
"$cli" join part1.mov part2.mov part3.mov -o roll.mov --quiet
checksums() { ffmpeg -v error -i "$1" -f framemd5 - | grep -v '^#' | cut -d, -f6; }
checksums whole.mov > whole.md5
checksums roll.mov > joined.md5
[ "$(wc -l < whole.md5)" -gt 20 ] || { echo "chunks smoke: the roll is too short to test"; exit 1; }
cmp whole.md5 joined.md5 || { echo "chunks smoke: the joined frames differ from a single render"; exit 1; }
# A second slice starts where the first ends: its timecode is its place in the roll.
first=$(wc -l < <(checksums part1.mov))
expected=$(printf '00:00:%02d:%02d' $((first / 25)) $((first % 25)))
ffprobe -v error -select_streams v:0 -show_entries stream_tags=timecode -of csv=p=0 part2.mov | grep -qx "$expected" \
  || { echo "chunks smoke: part 2 does not start at $expected"; exit 1; }
# AVI slices go through our own writer: for an intra-only codec the joined file is the very
# file a single render writes.
"$cli" render roll.vmz -o whole.avi --codec mjpeg --threads 1 --quiet
parallel -j2 "$cli" render roll.vmz -o part{}.avi --codec mjpeg --threads 1 --chunk {}/2 --quiet ::: 1 2
"$cli" join part1.avi part2.avi -o roll.avi --quiet
cmp whole.avi roll.avi || { echo "chunks smoke: the joined AVI differs from a single render"; exit 1; }
# Parts of one format do not join into another, and nothing is left behind.
if "$cli" join part1.avi part2.avi -o mixed.mov --quiet 2>err.txt; then
  echo "chunks smoke: AVI parts were joined into a MOV file"; exit 1
fi
grep -q "different formats" err.txt && [ ! -e mixed.mov ]
# Slicing the roll into more parts than frames is refused.
if "$cli" render roll.vmz -o many.mov --codec prores --chunk 1/100000 --quiet 2>err.txt; then
  echo "chunks smoke: an impossible chunk count was accepted"; exit 1
fi
grep -q "too few for 100000 slices" err.txt
echo "chunks smoke: ok ($(wc -l < whole.md5) frames)"
