#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short,
# bounded time. FUZZ_SECONDS sets the time per target.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-30}
shopt -s nullglob
targets=(fuzz/fuzz_*.cpp)
[ ${#targets[@]} -eq 0 ] && exit 0
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
  -DVORN_SANITIZE=address,undefined -DVORN_WINDOW=OFF -DVORN_TESTS=OFF -DVORN_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build build-fuzz -j"$(nproc)"
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  mkdir -p build-fuzz/corpus/"$name"
  # Seeds start a target with inputs of every form, so a slow target gets
  # past the shortest ones within the run; new inputs go to the first folder.
  # A target may change the working directory while it runs: crash files
  # come here all the same.
  seeds=()
  [ -d fuzz/seeds/"$name" ] && seeds=(fuzz/seeds/"$name")
  echo "-- $name for ${SECONDS_EACH}s"
  UBSAN_OPTIONS=halt_on_error=1 build-fuzz/"$name" -max_total_time="$SECONDS_EACH" -max_len=4096 -rss_limit_mb=2048 \
    -artifact_prefix="$PWD/" -print_final_stats=0 build-fuzz/corpus/"$name" "${seeds[@]}" 2>&1 | tail -n 3
done
