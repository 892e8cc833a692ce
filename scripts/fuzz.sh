#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on its corpus,
# seeded from tests/data. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# (TARGET: fuzz_pimreader, fuzz_pimroundtrip, ...; all targets when none is given.)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
only=" $* "
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLOWICK2_FUZZ=ON \
  -DTALLOWICK2_GUI=OFF -DTALLOWICK2_TESTS=OFF -DTALLOWICK2_BENCH=OFF -DTALLOWICK2_WERROR=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for target in build-fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  [ "$only" = "  " ] || [[ "$only" == *" $name "* ]] || continue
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  # Seeds: every data file of the tests; libFuzzer skips what it has seen.
  find tests/data -type f -size -64k -exec cp -n {} "$corpus"/ \; 2>/dev/null || true
  echo "== $name ($seconds s)"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$corpus" 2>&1 \
    | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done' || true
  # A crash leaves a crash-* file in the current directory and a non-zero exit above.
  if ls crash-* leak-* timeout-* >/dev/null 2>&1; then
    echo "fuzz target $name found a fault"; exit 1
  fi
done
