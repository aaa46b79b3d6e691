#!/usr/bin/env bash
# A linked credit sheet in the editor on a real X server (Xvfb), rewritten by another program
# the way spreadsheet programs save (a new file renamed over the old one):
#   - renamed credits show in the preview; Ctrl+Z brings the old preview back;
#   - rows added above the credit on screen move the slider, not the preview;
#   - a broken sheet leaves the preview as it was and opens the Problems panel.
# Prints how long each reload took to reach the screen; keeps editor_credits_x11.png (the
# window with the error listed) in the current folder.
set -euo pipefail
app=$1
cli=$2
shot=${3:-$PWD/editor_credits_x11.png}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# sheet FILE FIRST-NAME-WORD [EXTRA-ROWS-ABOVE]: the sheet saved as a new file renamed over the old.
cat >"$tmp/sheet.sh" <<'SHEET'
sheet() {
  {
    echo "Kind,Role,Name,Style"
    for i in $(seq 1 "${3:-0}"); do echo "pair,Added $i,Someone $i,"; done
    for i in $(seq 1 60); do echo "pair,Role $i,$2 $i,"; done
  } >"$1.new"
  mv "$1.new" "$1"
}
SHEET
. "$tmp/sheet.sh"
sheet "$tmp/c.csv" Name
QT_QPA_PLATFORM=offscreen "$cli" import --link "$tmp/c.csv" -o "$tmp/p.vmz" >/dev/null
cat >"$tmp/probe.sh" <<PROBE
#!/usr/bin/env bash
set -u
. "$tmp/sheet.sh"
. "$here/editor_start.sh"
start_editor "$app" "$tmp/p.vmz" "$tmp/layout"
grab() {  # grab NAME X Y W H
  ffmpeg -v error -y -f x11grab -draw_mouse 0 -video_size "\$4x\$5" -i "\$DISPLAY+\$2,\$3" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$tmp/\$1.raw"
}
shots() { grab "\$1-preview" \$px \$py \$pw \$ph; grab "\$1-slider" \$sx \$sy \$sw \$sh; }
same() { cmp -s "$tmp/\$1.raw" "$tmp/\$2.raw"; }
# Waits (up to fifteen seconds; file events are not timed) until the grab of WHAT differs from
# BEFORE's, and says how long that took (a grab itself takes a little while).
wait_change() {  # wait_change WHAT BEFORE LABEL
  local start=\$(date +%s%N)
  while [ \$(( (\$(date +%s%N) - start) / 1000000 )) -lt 15000 ]; do
    local at=\$(( (\$(date +%s%N) - start) / 1000000 ))
    shots "\$3"
    same "\$2-\$1" "\$3-\$1" || { echo "\$3: the \$1 changed within \$at to \$(( (\$(date +%s%N) - start) / 1000000 )) ms"; return 0; }
    sleep 0.05
  done
  echo "\$3: the \$1 did not change"; exit 1
}
# The slider's handle dragged to the middle of the roll, then the keyboard focus on the window.
grab start-slider \$sx \$sy \$sw \$sh
xdotool mousemove \$((sx + 6)) \$((sy + sh / 2)) sleep 0.3 mousedown 1 sleep 0.3
xdotool mousemove \$((sx + sw / 3)) \$((sy + sh / 2)) sleep 0.3
xdotool mousemove \$((sx + sw / 2)) \$((sy + sh / 2)) sleep 0.3 mouseup 1
sleep 0.5
grab middle-slider \$sx \$sy \$sw \$sh
same start-slider middle-slider && { echo "the slider's handle could not be dragged"; exit 1; }
xdotool mousemove \$((px + pw / 2)) \$((py + ph / 2)) click 1
sleep 0.5
shots first
sheet "$tmp/c.csv" Person
wait_change preview first renamed
same first-slider renamed-slider || { echo "renamed: the slider moved"; exit 1; }
xdotool key ctrl+z
wait_change preview renamed undone
same first-preview undone-preview || { echo "undo: the preview is not what it was"; exit 1; }
sheet "$tmp/c.csv" Name 10
wait_change slider undone added
# The preview follows the slider on its next paint.
sleep 1
shots added
same undone-preview added-preview || { echo "added rows: the credit on screen changed"; exit 1; }
# The whole screen, for the Problems panel that a broken sheet opens.
screen() { grab "\$1-screen" 0 0 1280 1024; }
screen added
echo "Kind,Role,Name,Style
pair,Role 1,Name 1,Huge" >"$tmp/c.csv.new"
mv "$tmp/c.csv.new" "$tmp/c.csv"
start=\$(date +%s%N)
while true; do
  screen broken
  same added-screen broken-screen || break
  [ \$(( (\$(date +%s%N) - start) / 1000000 )) -lt 15000 ] || { echo "broken: no error shown"; exit 1; }
  sleep 0.05
done
echo "broken: the window changed within \$(( (\$(date +%s%N) - start) / 1000000 )) ms"
sleep 0.5
ffmpeg -v error -y -f x11grab -draw_mouse 0 -video_size 1280x1024 -i "\$DISPLAY" -frames:v 1 "$shot"
exit 0
PROBE
chmod +x "$tmp/probe.sh"
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" "$tmp/probe.sh"
echo "editor credits x11 smoke: ok ($shot)"
