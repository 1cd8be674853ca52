#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build,
# the AddressSanitizer+UBSan build, the ThreadSanitizer build of the
# console tests, short fuzz runs, and the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/deps.sh
install_deps test

JOBS=$(nproc)

echo "== build and test (plain)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
ctest --test-dir build -j"$JOBS" --output-on-failure

echo "== build and test (address,undefined)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=address,undefined \
  -DVORN_WINDOW=OFF -DVORN_BENCH=OFF >/dev/null
cmake --build build-asan -j"$JOBS"
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
  ctest --test-dir build-asan -j"$JOBS" --output-on-failure

echo "== build and test (thread)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=thread \
  -DVORN_WINDOW=OFF -DVORN_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$JOBS"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j"$JOBS" --output-on-failure -R 'Thread|Concurrent'

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzz (short, bounded)"
  scripts/fuzz.sh
fi
if [ -x scripts/e2e.sh ]; then
  echo "== end-to-end under Xvfb"
  scripts/e2e.sh build
fi
echo "== all tests passed"
