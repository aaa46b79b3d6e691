#!/usr/bin/env bash
# The command-line tool starts and answers --version and --help.
set -euo pipefail
cli=$1
"$cli" --version | grep -q '^velmora-cli [0-9]'
"$cli" --help | grep -q -- '--version'
echo "cli smoke: ok"
