# Sourced by the editor probes that run under X.
# start_editor APP PROJECT LAYOUT: starts the editor on the project, stops it when the probe
# exits, waits for the window's layout file and reads the preview's (px py pw ph) and the
# slider's (sx sy sw sh) places on the screen from it.
start_editor() {
  QT_QPA_PLATFORM=xcb VELMORA_NO_SPLASH=1 VELMORA_LAYOUT_FILE="$3" "$1" "$2" & pid=$!
  trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT
  for i in $(seq 1 150); do
    [ -s "$3" ] && break
    kill -0 $pid 2>/dev/null || { echo "editor exited early"; exit 1; }
    sleep 0.1
  done
  [ -s "$3" ] || { echo "no layout written"; exit 1; }
  read -r _ px py pw ph < <(grep '^preview ' "$3")
  read -r _ sx sy sw sh < <(grep '^slider ' "$3")
}
