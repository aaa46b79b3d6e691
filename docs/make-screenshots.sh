#!/usr/bin/env bash
# Makes the pictures of the user manual with the editor itself, on the sample project, under
# Xvfb: docs/make-screenshots.sh [BUILD_DIR [OUT_DIR]]. The build folder needs the targets
# velmora-screenshots and examples; the pictures go to BUILD_DIR/docs/manual/images unless
# OUT_DIR is given. Fails when a picture the manual names was not made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$build/docs/manual/images}
driver=$build/velmora-screenshots
project=$build/examples/demo.vmz
for needed in "$driver" "$project"; do
  [ -e "$needed" ] || { echo "make-screenshots: $needed is missing; build the project first" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "make-screenshots: xvfb-run is missing (package xvfb)" >&2; exit 1; }
mkdir -p "$out"

# A fixed window look: the X11 platform, no desktop theme, no splash screen.
xvfb-run -a -s "-screen 0 1280x1024x24" \
  env QT_QPA_PLATFORM=xcb VELMORA_NO_SPLASH=1 QT_QPA_PLATFORMTHEME= "$driver" "$project" "$out"

missing=0
for picture in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$root/docs/manual.md" | sort -u); do
  if [ ! -s "$out/${picture#images/}" ]; then
    echo "make-screenshots: the manual shows $picture, which was not made" >&2
    missing=1
  fi
done
exit $missing
