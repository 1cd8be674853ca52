#!/usr/bin/env bash
# Times the whole of choice 2 (alpha 0 to 90 on the directional sample)
# through the headless runner against bench/choice2_numpy.py, the two
# alternately, RUNS times each, and prints the medians and their ratio.
# Needs python3-numpy (apt-get install python3-numpy).
# Usage: bench/choice2_vs_numpy.sh [BUILD_DIR] [RUNS]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "${1:-build-rel}" && pwd)
RUNS=${2:-7}
PYTHON=${PYTHON:-/usr/bin/python3}
RUNNER=$BUILD/e2e/e2e_headless
[ -x "$RUNNER" ] || { echo "no headless runner under $BUILD" >&2; exit 2; }
"$PYTHON" -c 'import numpy' 2>/dev/null || { echo "$PYTHON has no numpy" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/vorn-choice2.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$BUILD/make_matrices" "$WORK" >/dev/null
"$BUILD/make_fftable" "$WORK/sample_fftab.txt" --pattern directional >/dev/null
cd "$WORK"

now() { date +%s%N; }
program=()
script=()
# One untimed run of each fills the page cache.
"$RUNNER" '20\r290\rsample_fftab.txt\r2\rxxxxxN\rN\r' >/dev/null
"$PYTHON" "$HERE/choice2_numpy.py" sample_fftab.txt . >/dev/null
for ((n = 0; n < RUNS; ++n)); do
  t0=$(now)
  "$RUNNER" '20\r290\rsample_fftab.txt\r2\rxxxxxN\rN\r' >/dev/null
  t1=$(now)
  "$PYTHON" "$HERE/choice2_numpy.py" sample_fftab.txt . >/dev/null
  t2=$(now)
  program+=($(((t1 - t0) / 1000)))
  script+=($(((t2 - t1) / 1000)))
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mp=$(median "${program[@]}")
ms=$(median "${script[@]}")
echo "program (headless, choice 2) us: ${program[*]}"
echo "numpy script us:                 ${script[*]}"
awk -v p="$mp" -v s="$ms" 'BEGIN { printf "medians: program %.1f ms, numpy %.1f ms, ratio %.3f\n", p / 1000, s / 1000, p / s }'
