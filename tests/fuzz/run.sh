#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them from a freshly generated seed corpus,
# sharing SECONDS (default 60) between them: the project file reader, then rendering and
# encoding, credit sheets, hand-written JSON, AVI repair. Fails on any crash, leak, timeout or out-of-memory.
# VELMORA_FUZZ_TARGETS picks targets by name (project, render, sheets, descriptions, repair); default all.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VELMORA_FUZZ_BUILD:-$root/build-fuzz}
targets=${VELMORA_FUZZ_TARGETS:-project render sheets descriptions repair}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVELMORA_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF
fi
count=$(wc -w <<<"$targets")
share=$(( seconds / count > 0 ? seconds / count : 1 ))
for name in $targets; do
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "velmora-fuzz-$name"
done
status=0
for name in $targets; do
  fuzzer=$build/tests/fuzz/velmora-fuzz-$name
  rm -rf "$build/seeds"
  mkdir -p "$build/corpus-$name" "$build/artifacts"
  # The seed writer lays credit blocks out, and fontconfig keeps its caches to the end.
  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp" VELMORA_FUZZ_WRITE_SEEDS="$build/seeds" "$fuzzer"
  log=$build/fuzz-$name.log
  if ! QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp" "$fuzzer" -max_total_time="$share" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
    -dict="$root/tests/fuzz/project.dict" -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 \
    "$build/corpus-$name" "$build/seeds" "$root/tests/fuzz/regressions" >"$log" 2>&1; then
    tail -n 60 "$log"
    status=1
    continue
  fi
  echo "$name:"
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb|Done [0-9]+ runs|cov: " "$log" | tail -n 4 || true
done
exit $status
