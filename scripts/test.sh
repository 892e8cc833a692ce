#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: each fuzz target briefly, the core
# and command-line tests under AddressSanitizer and UndefinedBehaviorSanitizer, the whole
# suite (widget tests offscreen), and then the Debian package built from that build and
# checked.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== fuzz targets, briefly"
scripts/fuzz.sh "${TW_FUZZ_SECONDS:-4}"

echo "== sanitized core and command-line tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALLOWICK2_GUI=OFF -DTALLOWICK2_BENCH=OFF \
  -DTALLOWICK2_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$(nproc)"
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

echo "== the whole suite"
scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== the Debian package"
scripts/package-check.sh build
