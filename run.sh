#!/usr/bin/env bash
# Installs what is missing, builds the program, writes the sample data into
# the program's folder (build/) and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
. ./scripts/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TESTS=OFF -DVORN_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target vorn make_fftable make_matrices
[ -f build/sample_fftab.txt ] || build/make_fftable build/sample_fftab.txt --pattern directional
[ -f build/FFstep1_phi2_theta2_basic_90_V2-0.txt ] || build/make_matrices build
exec build/vorn
