#!/usr/bin/env bash
# Builds the project file fuzz target with clang and runs it for SECONDS (default 60) from a
# freshly generated seed corpus. Fails on any crash, leak, timeout or out-of-memory.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VELMORA_FUZZ_BUILD:-$root/build-fuzz}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target velmora-fuzz-project
fuzzer=$build/tests/fuzz/velmora-fuzz-project
rm -rf "$build/seeds"
mkdir -p "$build/corpus" "$build/artifacts"
VELMORA_FUZZ_WRITE_SEEDS="$build/seeds" "$fuzzer"
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
  -dict="$root/tests/fuzz/project.dict" -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
  "$build/corpus" "$build/seeds" >"$build/fuzz.log" 2>&1 || {
  tail -n 60 "$build/fuzz.log"
  exit 1
}
grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|Done [0-9]+ runs" "$build/fuzz.log" || true
