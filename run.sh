#!/usr/bin/env bash
# Sets everything up (packages, Release build) and runs Velmora on its sample project.
# Without a display it says so and does the headless job instead: it renders the sample
# project to a video and prints the video's path.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
velmora_install_packages
velmora_build velmora velmora-cli examples

sample=$VELMORA_BUILD/examples/demo.vmz

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$VELMORA_BUILD/velmora" "$sample" "$@"
fi

echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor cannot open."
echo "Rendering the sample project $sample to a video instead."
video=$VELMORA_BUILD/demo.avi
# Motion JPEG: quick to write and played everywhere; see 'velmora-cli render --help' for the rest.
QT_QPA_PLATFORM=offscreen "$VELMORA_BUILD/velmora-cli" render "$sample" -o "$video" --codec mjpeg
echo "$video"
