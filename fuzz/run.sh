#!/usr/bin/env bash
# Builds one fuzz target and the core it links with clang's libFuzzer, then runs it briefly;
# fails on any crash.
# Usage: fuzz/run.sh [build dir] [target] [seed dir...]
#   target: chip_file_fuzz (default; seeds default to the shipped chip files) or any other one;
#   its kept corpus fuzz/corpus/<target> and fuzz/seeds/<target> are seeds as well.
#   QN_FUZZ_SECONDS sets the run time, CXX_FUZZ the compiler.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
out="${1:-$top/build-fuzz}"
target="${2:-chip_file_fuzz}"
seeds=("${@:3}")
seconds="${QN_FUZZ_SECONDS:-20}"
cxx="${CXX_FUZZ:-clang++-14}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

options=()
if [[ "$target" == chip_file_fuzz ]]; then
  options+=(-dict="$here/chipfile.dict")
  ((${#seeds[@]})) || seeds=("$top/data/INCLUDE")
fi
# The kept corpus of ./qn fuzz and the hand-made seeds (inputs that once failed among them).
for dir in "$here/corpus/$target" "$here/seeds/$target"; do
  if [[ -d "$dir" ]]; then seeds+=("$dir"); fi
done

cmake -S "$top" -B "$out" -G Ninja -DQN_FUZZ_BUILD=ON -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-g -O1" "${launcher[@]}" >/dev/null
cmake --build "$out" --target "$target"

# New inputs go to the target's corpus in the build dir; seeds are read only.
corpus="$out/corpus-$target"
mkdir -p "$corpus"
"$out/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
  -artifact_prefix="$out/$target-" -print_final_stats=1 "${options[@]}" "$corpus" "${seeds[@]}"
