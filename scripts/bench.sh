#!/usr/bin/env bash
# Builds the benchmarks (Release), writes the large inputs, times the core
# operations against the line-reading floor, times the program's start-up
# to the shown window, and prints every figure.
#
#   bash scripts/bench.sh           full run: 512 MiB and 1 GiB log, 5000 and 9999 players
#   bash scripts/bench.sh --smoke   tiny inputs, one quick pass (a check that all of it works)
#
# Inputs go to build-bench/inputs/ (made again when missing or when the
# generator is newer), results to build-bench/results-<mode>.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=full
case "${1:-}" in
  "") ;;
  --smoke) mode=smoke ;;
  *) echo "usage: bash scripts/bench.sh [--smoke]" >&2; exit 2 ;;
esac

jobs=$(nproc)
core_build="$root/build-bench"
app_build="$root/build-bench-app"
inputs="$core_build/inputs"
seed=1

if [ "$mode" = smoke ]; then
  log_sizes=(4M 8M)
  player_counts=(500 1000)
  bench_flags=(--benchmark_min_time=0.01)
  startup_runs=1
else
  log_sizes=(512M 1G)
  player_counts=(5000 9999)
  bench_flags=(--benchmark_repetitions=3)
  startup_runs=7
fi

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
results="$core_build/results-$mode.txt"
mkdir -p "$core_build"
: > "$results"
say() { echo "$@" | tee -a "$results"; }

echo "== build (Release) =="
cmake -S . -B "$core_build" -DCMAKE_BUILD_TYPE=Release \
  -DFRAGTALLY_BUILD_WINDOW=OFF -DFRAGTALLY_BUILD_TESTS=OFF -DFRAGTALLY_BUILD_BENCH=ON > "$core_build/configure.log"
cmake --build "$core_build" -j"$jobs" --target make_inputs core_bench

have_app=no
if cmake -S . -B "$app_build" -DCMAKE_BUILD_TYPE=Release \
     -DFRAGTALLY_BUILD_WINDOW=ON -DFRAGTALLY_BUILD_TESTS=OFF -DFRAGTALLY_BUILD_BENCH=OFF > "$core_build/app-configure.log" 2>&1 &&
   [ "$(cmake --build "$app_build" --target help 2>/dev/null | grep -c ' fragtally$')" -gt 0 ]; then
  cmake --build "$app_build" -j"$jobs" --target fragtally
  have_app=yes
else
  echo "(the window program is not available: the start-up figure is skipped)"
fi

echo "== inputs (seed $seed) =="
mkdir -p "$inputs"
generator="$core_build/bin/make_inputs"
make_if_needed() {  # file, generator arguments...
  local file=$1; shift
  if [ ! -s "$file" ] || [ "$generator" -nt "$file" ]; then
    "$generator" --seed "$seed" "$@"
  fi
}
log_files=()
for size in "${log_sizes[@]}"; do
  f="$inputs/log-s$seed-$size.txt"
  make_if_needed "$f" --log "$f" --log-size "$size"
  log_files+=("$f")
done
stats_files=()
for n in "${player_counts[@]}"; do
  f="$inputs/stats-s$seed-$n.krm"
  make_if_needed "$f" --players "$n" --stats "$f"
  stats_files+=("$f")
done
ls -l "${log_files[@]}" "${stats_files[@]}"

echo "== core benchmarks =="
bench_args=(--work "$core_build/bench-work")
for f in "${log_files[@]}"; do bench_args+=(--log "$f"); done
for f in "${stats_files[@]}"; do bench_args+=(--stats "$f"); done
"$core_build/bin/core_bench" "${bench_args[@]}" "${bench_flags[@]}" | tee -a "$results"

startup_ok=yes
if [ "$have_app" = yes ]; then
  say ""
  say "== Start-up to the shown window (offscreen, median of $startup_runs runs) =="
  time_tool=/usr/bin/time
  if [ ! -x "$time_tool" ]; then
    echo "(GNU time is missing: install the Debian package 'time' for the peak memory figure)"
    time_tool=""
  fi
  game=$(mktemp -d "${TMPDIR:-/tmp}/fragtally-game.XXXXXX")
  trap 'rm -rf "$game"' EXIT
  mkdir -p "$game/basekrm" "$game/runtime"
  chmod 700 "$game/runtime"
  cp "$app_build/bin/fragtally" "$game/fragtally"

  median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

  say "$(printf '%-24s %14s %18s %14s  %s' 'statistics file' 'shown after' 'process (to exit)' 'peak memory' 'target')"
  for entry in "empty:" "${stats_files[@]/#/file:}"; do
    kind=${entry%%:*}
    file=${entry#*:}
    if [ "$kind" = empty ]; then
      : > "$game/basekrm/Stats.krm"
      label="none (0 players)"
      players=0
    else
      cp "$file" "$game/basekrm/Stats.krm"
      players=$(grep -c '^console: Stats for:' "$file" || true)
      label="$players players"
    fi
    shown=() walls=() peaks=()
    for ((run = 0; run < startup_runs; run++)); do
      err="$game/stderr.txt"
      start=$(date +%s%N)
      status=0
      if [ -n "$time_tool" ]; then
        (cd "$game" && QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=1 XDG_RUNTIME_DIR="$game/runtime" \
           "$time_tool" -f 'peak-kb %M' ./fragtally < /dev/null 2> "$err") || status=$?
      else
        (cd "$game" && QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=1 XDG_RUNTIME_DIR="$game/runtime" \
           ./fragtally < /dev/null 2> "$err") || status=$?
      fi
      end=$(date +%s%N)
      ms=$(sed -n 's/^shown after \([0-9]*\) ms.*/\1/p' "$err" | head -1)
      if [ "$status" -ne 0 ] || [ -z "$ms" ]; then
        echo "start-up run failed (exit $status):" >&2
        cat "$err" >&2
        startup_ok=no
        continue
      fi
      shown+=("$ms")
      walls+=($(((end - start) / 1000000)))
      kb=$(sed -n 's/^peak-kb \([0-9]*\).*/\1/p' "$err" | tail -1)
      [ -n "$kb" ] && peaks+=("$kb")
    done
    m_shown=$(printf '%s\n' "${shown[@]}" | { grep . || true; } | median)
    m_wall=$(printf '%s\n' "${walls[@]}" | { grep . || true; } | median)
    m_peak=$(printf '%s\n' "${peaks[@]}" | { grep . || true; } | median)
    peak_text="-"
    [ "$m_peak" != "-" ] && peak_text=$(awk -v kb="$m_peak" 'BEGIN { printf "%.1f MB", kb / 1024 }')
    target=""
    if [ "$players" -eq 9999 ] && [ "$m_shown" != "-" ]; then
      verdict=met
      awk -v s="$m_shown" -v w="$m_wall" 'BEGIN { exit !(s < 400 && w < 400) }' || verdict=MISSED
      if [ "$m_peak" != "-" ]; then
        awk -v kb="$m_peak" 'BEGIN { exit !(kb / 1024 < 80) }' || verdict=MISSED
      fi
      target="< 400 ms, < 80 MB: $verdict"
    fi
    say "$(printf '%-24s %11s ms %15s ms %14s  %s' "$label" "$m_shown" "$m_wall" "$peak_text" "$target")"
  done
  say "(shown after: the program's own figure from main() to the first paint of the window;"
  say " process: wall time from exec to exit, dynamic loading and quitting included; peak memory: maximum RSS)"
fi

say ""
say "== Machine =="
say "cores: $(nproc); CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1); RAM: $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)"
say "load average (1, 5, 15 min) before the run: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
say "(other work on the machine during the run makes every figure slower; compare runs on a quiet machine)"
say "results saved to $results"

if [ "$startup_ok" != yes ]; then
  echo "the start-up measurement failed" >&2
  exit 1
fi
