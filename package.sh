#!/usr/bin/env bash
# Builds the Debian package build/velmora_<version>-<build>_<arch>.deb: installs what is
# missing, builds, makes the manual's pictures (under Xvfb) and runs cpack.
# With --built it skips installing and building and packs what build/ holds.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
if [ "${1:-}" != "--built" ]; then
  velmora_install_packages
  velmora_build
fi
"$VELMORA_ROOT/docs/make-screenshots.sh" "$VELMORA_BUILD"
rm -f "$VELMORA_BUILD"/velmora_*.deb
(cd "$VELMORA_BUILD" && cpack -G DEB >/dev/null)
ls "$VELMORA_BUILD"/velmora_*.deb
