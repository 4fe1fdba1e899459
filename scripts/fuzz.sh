#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) and runs them one after another. import_history is built in a
# build of its own (build-fuzz-history) without recording comparisons, and
# runs with a smaller allocation quarantine and no allocation stacks; replay
# its findings as shown at the end for the full reports.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#   scripts/fuzz.sh --runs INPUTS_PER_TARGET [TARGET...]
#
# SECONDS_PER_TARGET defaults to 60; with --runs each target runs until it has
# tried that many inputs, on both cores (two fuzzing jobs sharing a corpus).
# TARGET is any of stats_line, stats_file, log_import, numbers, import_history, report
# (default: all). Every target keeps its files in memory. Each target starts from its seeds
# (fuzz/corpus/<target>) and regression cases (fuzz/regressions/<target>) plus
# what earlier runs found, kept in build-fuzz/fuzz-work/<target>/corpus.
# Findings land in build-fuzz/fuzz-work/<target>/findings. The exit status is
# 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=""
if [ "${1:-}" = --runs ]; then
  runs=${2:?usage: scripts/fuzz.sh --runs INPUTS_PER_TARGET [TARGET...]}
  shift 2
  seconds=0
else
  seconds=${1:-60}
  [ $# -gt 0 ] && shift
fi
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(stats_line stats_file log_import numbers import_history report)
build=${FRAGTALLY_FUZZ_BUILD:-build-fuzz}
work_root="$build/fuzz-work"

# The build a target runs from: import_history's input only chooses actions,
# so libFuzzer's recording of the program's comparisons (fuzz/CMakeLists.txt)
# would only slow it down.
build_of() {
  if [ "$1" = import_history ]; then echo "$build-history"; else echo "$build"; fi
}
configured=()
build_target() {
  local dir comparisons=ON
  dir=$(build_of "$1")
  [ "$1" = import_history ] && comparisons=OFF
  if [[ " ${configured[*]} " != *" $dir "* ]]; then
    CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
      -DFRAGTALLY_BUILD_FUZZ=ON -DFRAGTALLY_BUILD_WINDOW=OFF -DFRAGTALLY_BUILD_TESTS=OFF \
      -DFRAGTALLY_FUZZ_TRACE_COMPARISONS=$comparisons >/dev/null
    configured+=("$dir")
  fi
  cmake --build "$dir" -j"${FRAGTALLY_FUZZ_JOBS:-$(nproc)}" --target "fuzz_$1" >/dev/null
}
for target in "${targets[@]}"; do build_target "$target"; done

asan_options=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

summary="$work_root/summary.md"
mkdir -p "$work_root"
{
  echo "| target | seconds | executions | exec/s | corpus | coverage | findings |"
  echo "|---|---:|---:|---:|---:|---:|---:|"
} >"$summary"

found_any=0
for target in "${targets[@]}"; do
  binary="$(build_of "$target")/bin/fuzz_$target"
  [ -x "$binary" ] || { echo "no fuzz target $target" >&2; exit 2; }
  work="$work_root/$target"
  mkdir -p "$work/corpus" "$work/findings"
  inputs=("$work/corpus" "fuzz/corpus/$target")
  [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
  log="$work/run-$(date +%Y%m%d-%H%M%S).log"

  # A history is one input's worth of choices: short ones explore as far and run faster.
  # A history allocates some 335 blocks (143 KB), and the address sanitizer's
  # bookkeeping of them was a third of the time: a quarantine of 32 MB (what
  # some two hundred whole histories free: a use after free within an input
  # is still caught) and no stacks recorded at each allocation and free (they
  # only add to a report; a replay with the full options shows them).
  limits=()
  export ASAN_OPTIONS=$asan_options
  if [ "$target" = import_history ]; then
    limits=(-max_len=64)
    export ASAN_OPTIONS=$asan_options:quarantine_size_mb=32:malloc_context_size=0
  fi
  start=$(date +%s)
  status=0
  if [ -n "$runs" ]; then
    echo "== $target: $runs inputs"
    jobs=$(nproc)
    # Each job tries its share; libFuzzer writes one log per job.
    "$binary" -runs=$(( (runs + jobs - 1) / jobs )) -jobs="$jobs" -workers="$jobs" -print_final_stats=1 -timeout=30 \
      -rss_limit_mb=4096 "${limits[@]}" -artifact_prefix="$work/findings/" "${inputs[@]}" >"$log" 2>&1 || status=$?
    # libFuzzer copies each job's log (fuzz-<n>.log here) into its own output.
    rm -f fuzz-[0-9]*.log
  else
    echo "== $target: $seconds s"
    "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 -rss_limit_mb=4096 "${limits[@]}" \
      -artifact_prefix="$work/findings/" "${inputs[@]}" >"$log" 2>&1 || status=$?
  fi
  elapsed=$(( $(date +%s) - start ))

  execs=$(awk '/stat::number_of_executed_units/ {n += $2} END {if (NR) print n}' "$log")
  speed=$(awk -v t="$elapsed" -v n="${execs:-0}" 'BEGIN { if (t > 0) printf "%.0f", n / t; else print "?" }')
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")
  findings=$(find "$work/findings" -type f | wc -l)
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  [ "$findings" -gt 0 ] && found_any=1
  printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$target" "$elapsed" "${execs:-?}" "${speed:-?}" \
    "${corp:-?}" "${cov:-?}" "$findings" >>"$summary"
  echo "   executions ${execs:-?}, ${speed:-?}/s, corpus ${corp:-?}, coverage ${cov:-?}, findings $findings (log: $log)"
  if [ "$findings" -gt 0 ]; then
    grep -E 'CHECK FAILED|ERROR:|SUMMARY' "$log" | head -5 || true
    find "$work/findings" -type f | head -5
    if [ "$target" = import_history ]; then
      echo "   full report: ASAN_OPTIONS=$asan_options $binary FINDING"
    fi
  fi
done

echo
cat "$summary"
exit "$found_any"
