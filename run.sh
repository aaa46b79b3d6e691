#!/usr/bin/env bash
# Sets everything up (packages, Release build) and runs Velmora on its sample project.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
velmora_install_packages
velmora_build velmora velmora-cli

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$VELMORA_BUILD/velmora" "$@"
fi

echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set); running headless."
"$VELMORA_BUILD/velmora-cli" --version
