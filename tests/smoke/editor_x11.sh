#!/usr/bin/env bash
# Starts the editor on a real X server (Xvfb) and checks that its window appears.
set -euo pipefail
app=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/probe.sh" <<PROBE
#!/usr/bin/env bash
QT_QPA_PLATFORM=xcb VELMORA_NO_SPLASH=1 "$app" & pid=\$!
for i in \$(seq 1 100); do
  if xwininfo -root -tree 2>/dev/null | grep -q 'Velmora'; then
    kill \$pid; wait \$pid 2>/dev/null; exit 0
  fi
  kill -0 \$pid 2>/dev/null || { echo "editor exited early"; exit 1; }
  sleep 0.1
done
kill \$pid; echo "no Velmora window appeared"; exit 1
PROBE
chmod +x "$tmp/probe.sh"
xvfb-run -a "$tmp/probe.sh"
echo "editor x11 smoke: ok"
