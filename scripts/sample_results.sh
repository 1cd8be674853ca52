#!/usr/bin/env bash
# Writes the results files of the sample run, without a window, for every
# choice of the alpha menu and for three tables (the directional sample,
# its decimal-comma twin and a constant lossy one), into OUT_DIR. Dates and
# times (lines 3 and 4) are blanked, so two runs of different builds can be
# compared with diff -r.
# Usage: scripts/sample_results.sh BUILD_DIR OUT_DIR
set -euo pipefail
BUILD=$(cd "${1:?usage: $0 BUILD_DIR OUT_DIR}" && pwd)
OUT=${2:?usage: $0 BUILD_DIR OUT_DIR}
RUNNER=$BUILD/e2e/e2e_headless
[ -x "$RUNNER" ] || RUNNER=$BUILD/tests/e2e_headless
[ -x "$RUNNER" ] || { echo "no headless runner under $BUILD" >&2; exit 2; }
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vorn-sample.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$BUILD/make_matrices" "$WORK" >/dev/null
"$BUILD/make_fftable" "$WORK/directional.txt" --pattern directional >/dev/null
"$BUILD/make_fftable" "$WORK/comma.txt" --pattern directional --comma >/dev/null
"$BUILD/make_fftable" "$WORK/lossy.txt" --pattern constant:-3 >/dev/null
for table in directional comma lossy; do
  for choice in 1 2 3 4; do
    # The answers of the range questions and a key for each page.
    case $choice in
      1) range='' pages=x ;;
      2) range='' pages=xxxxx ;;
      3) range='12\r40\r' pages=xx ;;
      4) range='30\r' pages=x ;;
    esac
    name=${table}_$choice
    (cd "$WORK" && "$RUNNER" "20\r290\r$table.txt\r$choice\r$range${pages}N\rY\r$name\r" >"$name.screen") ||
      { echo "the run $name did not end by itself" >&2; exit 1; }
    sed '3,4s/:.*/: -/' "$WORK/$name.txt" >"$OUT/$name.txt"
    cp "$WORK/$name.screen" "$OUT/$name.screen"
  done
done
echo "sample results in $OUT"
