#!/usr/bin/env bash
# Builds the chip file fuzz target and the core it links with clang's libFuzzer, then runs it
# briefly; fails on any crash.
# Usage: fuzz/run.sh [build dir]   (QN_FUZZ_SECONDS sets the run time, CXX_FUZZ the compiler)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
out="${1:-$top/build-fuzz}"
seconds="${QN_FUZZ_SECONDS:-20}"
cxx="${CXX_FUZZ:-clang++-14}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$top" -B "$out" -G Ninja -DQN_FUZZ_BUILD=ON -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-g -O1" "${launcher[@]}" >/dev/null
cmake --build "$out" --target chip_file_fuzz

# Seeds: the shipped chip files; new inputs go to the build dir's corpus.
mkdir -p "$out/corpus"
"$out/bin/chip_file_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
  -dict="$here/chipfile.dict" -artifact_prefix="$out/" -print_final_stats=1 \
  "$out/corpus" "$top/data/INCLUDE"
