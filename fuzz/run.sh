#!/usr/bin/env bash
# Builds the chip file fuzz target with clang's libFuzzer and runs it briefly; fails on any crash.
# Usage: fuzz/run.sh [build dir]   (QN_FUZZ_SECONDS sets the run time, CXX_FUZZ the compiler)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
out="${1:-$top/build-fuzz}"
seconds="${QN_FUZZ_SECONDS:-20}"
cxx="${CXX_FUZZ:-clang++-14}"

sources=(
  "$here/ChipFileFuzz.cpp"
  "$top/src/chip/ChipDirectives.cpp"
  "$top/src/chip/ChipFileReader.cpp"
  "$top/src/chip/ChipFileSections.cpp"
  "$top/src/chip/ChipModel.cpp"
  "$top/src/chip/ChipText.cpp"
  "$top/src/chip/NumberText.cpp"
  "$top/src/chip/ParsedLine.cpp"
  "$top/src/chip/RegField.cpp"
  "$top/src/chip/RegisterRefresh.cpp"
  "$top/src/chip/TextFile.cpp"
)
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=undefined -I"$top/src")
binary="$out/chip_file_fuzz"
mkdir -p "$out/obj" "$out/corpus"

# Rebuild everything when any source or header is newer than the fuzzer.
stale=1
if [ -x "$binary" ]; then
  newer="$(find "$here" "$top/src/chip" "$top/src/link/LinkRecords.h" "$top/src/link/SerialLine.h" \
            \( -name '*.cpp' -o -name '*.h' \) -newer "$binary" -print -quit)"
  [ -z "$newer" ] && stale=0
fi
if [ "$stale" -eq 1 ]; then
  printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -I{} sh -c \
      'src="$1"; shift; "$@" -fsanitize=fuzzer-no-link -c "$src" -o "'"$out"'/obj/$(basename "$src" .cpp).o"' \
      _ {} "$cxx" "${flags[@]}"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "$out"/obj/*.o -o "$binary"
fi

# Seeds: the shipped chip files; new inputs go to the build dir's corpus.
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
  -dict="$here/chipfile.dict" -artifact_prefix="$out/" -print_final_stats=1 \
  "$out/corpus" "$top/data/INCLUDE"
