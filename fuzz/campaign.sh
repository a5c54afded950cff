#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer and runs each in turn for a while, one process at
# a time, on its kept corpus under fuzz/corpus/<target>. After each run the corpus and what the run
# found are merged into a minimized set that replaces the kept one. Prints per target the runs,
# the edges reached (cov, ft) and whether it crashed; exits non-zero when any target crashed.
# Usage: fuzz/campaign.sh [seconds per target, default 600] [target...]
#   QN_FUZZ_BUILD_DIR sets the build folder (default build-fuzz), CXX_FUZZ the compiler,
#   QN_FUZZ_JOBS the build's parallel jobs (default 2), QN_FUZZ_CORPUS_KB the most a kept corpus
#   may hold (default 32 KB: the largest inputs go first, so the repository stays small).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
seconds="${1:-600}"
shift || true
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz: seconds must be a whole number" >&2; exit 2; }
out="${QN_FUZZ_BUILD_DIR:-$top/build-fuzz}"
cxx="${CXX_FUZZ:-clang++-14}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# The targets are the ones the fuzz folder's CMakeLists adds with qn_add_fuzz.
mapfile -t all < <(sed -n 's/^qn_add_fuzz(\([a-z_]*_fuzz\) .*/\1/p' "$here/CMakeLists.txt")
targets=("$@")
((${#targets[@]})) || targets=("${all[@]}")

cmake -S "$top" -B "$out" -G Ninja -DQN_FUZZ_BUILD=ON -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="-g -O1" "${launcher[@]}" >/dev/null
cmake --build "$out" -j "${QN_FUZZ_JOBS:-2}" --target "${targets[@]}"

cap=$((${QN_FUZZ_CORPUS_KB:-32} * 1024))

# Drops the largest inputs of a corpus folder until it holds at most `cap` bytes.
trim_corpus() {
  local dir="$1" total size file
  total="$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')"
  while ((total > cap)) && read -r size file; do
    rm -f "$file"
    total=$((total - size))
  done < <(find "$dir" -type f -printf '%s %p\n' | sort -n -r)
}

rows=()
failed=0
for target in "${targets[@]}"; do
  corpus="$here/corpus/$target"
  work="$out/fuzz-work/$target"
  log="$out/fuzz-work/$target.log"
  mkdir -p "$corpus" "$work"
  rm -f "$out/$target"-crash-* "$out/$target"-leak-* "$out/$target"-oom-* "$out/$target"-timeout-*
  options=()
  seeds=()
  # Hand-made inputs (a whole file or exchange, inputs that once failed) stay seeds for good,
  # whatever the merge and the size limit keep.
  if [[ -d "$here/seeds/$target" ]]; then seeds+=("$here/seeds/$target"); fi
  if [[ "$target" == chip_file_fuzz ]]; then
    options+=(-dict="$here/chipfile.dict")
    seeds+=("$top/data/INCLUDE")
  fi
  echo "fuzz: $target for $seconds s"
  status=0
  # New inputs go to the work folder; the kept corpus and the seeds are read only.
  "$out/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -artifact_prefix="$out/$target-" -print_final_stats=1 "${options[@]}" \
    "$work" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  edges="$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)"
  crashed=no
  if ((status != 0)) || compgen -G "$out/$target-*" >/dev/null; then
    crashed=yes
    failed=1
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 >&2 || true
  else
    # The kept corpus becomes the minimized union of itself and what this run found.
    merged="$out/fuzz-work/$target.merged"
    rm -rf "$merged"
    mkdir -p "$merged"
    "$out/bin/$target" -merge=1 -timeout=10 -rss_limit_mb=2048 -max_len=8192 "${options[@]}" \
      "$merged" "$corpus" "$work" >>"$log" 2>&1
    rm -rf "$corpus" "$work"
    mv "$merged" "$corpus"
    trim_corpus "$corpus"
  fi
  rows+=("$(printf '%-24s %12s %24s %6s s  crashed: %s' "$target" "${runs:-?}" "${edges:-?}" \
    "$seconds" "$crashed")")
done

echo
printf '%-24s %12s %24s %8s  %s\n' target runs edges time crash
printf '%s\n' "${rows[@]}"
exit "$failed"
