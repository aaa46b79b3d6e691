#!/usr/bin/env bash
# Sets everything up (packages, build with tests) and runs every test through ctest.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
velmora_install_packages
velmora_build
# The project file fuzz target, one minute from its seed corpus (before ctest, so the
# test summary stays the last thing printed).
"$VELMORA_ROOT/tests/fuzz/run.sh" 60
cd "$VELMORA_BUILD"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
