#!/usr/bin/env bash
# Plays a roll in the editor on a real X server (Xvfb): a click on the preview and Space start
# playback (the preview and the slider move), Space again stops it (the window stands still).
set -euo pipefail
app=$1
project=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/probe.sh" <<PROBE
#!/usr/bin/env bash
set -u
. "$here/editor_start.sh"
start_editor "$app" "$project" "$tmp/layout"
# grab NAME X Y W H: the screen area as raw pixels, as a real screenshot sees it.
grab() {
  ffmpeg -v error -y -f x11grab -video_size "\$4x\$5" -i "\$DISPLAY+\$2,\$3" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$tmp/\$1.raw"
}
shots() {
  grab "\$1-preview" \$px \$py \$pw \$ph
  grab "\$1-slider" \$sx \$sy \$sw \$sh
}
xdotool mousemove \$((px + pw / 2)) \$((py + ph / 2)) click 1
sleep 0.3
shots before
xdotool key space
sleep 1.5
shots playing
cmp -s "$tmp/before-preview.raw" "$tmp/playing-preview.raw" && { echo "the preview did not change while playing"; exit 1; }
cmp -s "$tmp/before-slider.raw" "$tmp/playing-slider.raw" && { echo "the slider did not move while playing"; exit 1; }
xdotool key space
sleep 0.3
shots stopped1
sleep 0.5
shots stopped2
cmp -s "$tmp/stopped1-preview.raw" "$tmp/stopped2-preview.raw" || { echo "the preview still moves after the second Space"; exit 1; }
cmp -s "$tmp/stopped1-slider.raw" "$tmp/stopped2-slider.raw" || { echo "the slider still moves after the second Space"; exit 1; }
exit 0
PROBE
chmod +x "$tmp/probe.sh"
# A random first display number keeps clear of X servers that other test runs start at the same time.
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" "$tmp/probe.sh"
echo "editor playback x11 smoke: ok"
