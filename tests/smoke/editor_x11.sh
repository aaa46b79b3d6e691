#!/usr/bin/env bash
# Starts the editor on a real X server (Xvfb), checks that its window appears and keeps a
# screenshot of it (editor_x11.png in the current folder, the build folder under ctest).
set -euo pipefail
app=$1
shot=${2:-$PWD/editor_x11.png}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -f "$shot"
cat >"$tmp/probe.sh" <<PROBE
#!/usr/bin/env bash
QT_QPA_PLATFORM=xcb VELMORA_NO_SPLASH=1 VELMORA_SCREENSHOT="$shot" "$app" & pid=\$!
seen=0
for i in \$(seq 1 150); do
  if [ \$seen = 0 ] && xwininfo -root -tree 2>/dev/null | grep -q '"Velmora'; then
    seen=1
  fi
  if [ \$seen = 1 ] && [ -s "$shot" ]; then
    kill \$pid; wait \$pid 2>/dev/null; exit 0
  fi
  kill -0 \$pid 2>/dev/null || { echo "editor exited early"; exit 1; }
  sleep 0.1
done
kill \$pid
[ \$seen = 1 ] && echo "no screenshot written" || echo "no Velmora window appeared"
exit 1
PROBE
chmod +x "$tmp/probe.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$tmp/probe.sh"
echo "editor x11 smoke: ok ($shot)"
