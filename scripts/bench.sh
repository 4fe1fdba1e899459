#!/usr/bin/env bash
# Builds the benchmarks (Release), writes the large inputs, times the core
# operations against the line-reading floor, times wc -l and grep -c on the
# same logs for an outside reference, times the program's start-up to the
# shown window, the Players window's table, page and report and the skill
# rating (a journal of 100,000 matches), and prints every figure.
#
#   bash scripts/bench.sh           full run: plain and dense logs of 256 MiB and 1 GiB,
#                                   5000 and 9999 players
#   bash scripts/bench.sh --smoke   tiny inputs, one quick pass (a check that all of it works)
#
# Log shapes (see bench/make_inputs.cpp): plain, a quarter of the lines in
# statistics blocks of 3000 names; dense, 30% statistics lines in full blocks
# of 350 names, every seventh Cyrillic (Windows-1251).
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

log_shapes=(plain dense)
if [ "$mode" = smoke ]; then
  log_sizes=(4M 8M)
  player_counts=(500 1000)
  bench_flags=(--benchmark_min_time=0.01)
  startup_runs=1
else
  log_sizes=(256M 1G)
  player_counts=(5000 9999)
  bench_flags=(--benchmark_repetitions=3)
  startup_runs=7
fi
reference_runs=3

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
results="$core_build/results-$mode.txt"
mkdir -p "$core_build"
: > "$results"
say() { echo "$@" | tee -a "$results"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== build (Release) =="
cmake -S . -B "$core_build" -DCMAKE_BUILD_TYPE=Release \
  -DFRAGTALLY_BUILD_WINDOW=OFF -DFRAGTALLY_BUILD_TESTS=OFF -DFRAGTALLY_BUILD_BENCH=ON > "$core_build/configure.log"
cmake --build "$core_build" -j"$jobs" --target make_inputs core_bench players_bench rating_bench head_to_head_bench

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
# The generator's one-line summary and its time are kept beside each input
# (FILE.summary) so that the results list them even when nothing was made.
make_if_needed() {  # file, generator arguments...
  local file=$1; shift
  if [ ! -s "$file" ] || [ "$generator" -nt "$file" ] || [ ! -s "$file.summary" ]; then
    local start end
    rm -f "$file.summary"
    start=$(date +%s%N)
    if ! "$generator" --seed "$seed" "$@" 2> "$file.summary.new"; then
      cat "$file.summary.new" >&2
      exit 1
    fi
    end=$(date +%s%N)
    awk -v ms=$(((end - start) / 1000000)) '{ print } END { printf "(made in %.1f s)\n", ms / 1000 }' \
      "$file.summary.new" > "$file.summary"
    rm -f "$file.summary.new"
    cat "$file.summary"
  fi
}
log_files=()
for shape in "${log_shapes[@]}"; do
  for size in "${log_sizes[@]}"; do
    f="$inputs/log-s$seed-$shape-$size.txt"
    make_if_needed "$f" --log-shape "$shape" --log "$f" --log-size "$size"
    log_files+=("$f")
  done
done
stats_files=()
for n in "${player_counts[@]}"; do
  f="$inputs/stats-s$seed-$n.krm"
  make_if_needed "$f" --players "$n" --stats "$f"
  stats_files+=("$f")
done
# The full table the dense logs are imported onto: the same number of players,
# named like the dense logs' players (the plain names lack the Cyrillic ones).
players_max=${player_counts[${#player_counts[@]} - 1]}
dense_stats="$inputs/stats-s$seed-dense-$players_max.krm"
make_if_needed "$dense_stats" --log-shape dense --players "$players_max" --stats "$dense_stats"
# The worst case of a log already imported: one game session only, so that
# the remembered start-up line is its first line and the whole log is read
# past. Made from the smaller dense log by keeping its first start-up line alone.
dense_smallest="$inputs/log-s$seed-dense-${log_sizes[0]}.txt"
one_session="${dense_smallest%.txt}-one-session.txt"
if [ ! -s "$one_session" ] || [ "$dense_smallest" -nt "$one_session" ]; then
  awk '!/^--- Fs_startup :/ || !seen++' "$dense_smallest" > "$one_session"
  echo "$one_session: $(wc -l < "$one_session") lines, one start-up line" > "$one_session.summary"
fi
log_files+=("$one_session")
ls -l "${log_files[@]}" "${stats_files[@]}" "$dense_stats"
say "== Inputs (seed $seed) =="
for f in "${log_files[@]}" "${stats_files[@]}" "$dense_stats"; do
  say "$(basename "$f"): $(sed 's/^[^:]*: //' "$f.summary" | paste -sd' ')"
done

# Each shape has a run of its own: the plain logs with the statistics files,
# and the dense logs with the full table of the dense names to import onto.
core_ok=yes
for shape in "${log_shapes[@]}"; do
  say ""
  bench_args=(--work "$core_build/bench-work/$shape")
  for f in "${log_files[@]}"; do
    case $(basename "$f") in "log-s$seed-$shape-"*) bench_args+=(--log "$f") ;; esac
  done
  if [ "$shape" = dense ]; then
    say "== Core benchmarks: dense logs, onto $(basename "$dense_stats") =="
    bench_args+=(--stats "$dense_stats")
  else
    say "== Core benchmarks: $shape logs and the statistics files =="
    for f in "${stats_files[@]}"; do bench_args+=(--stats "$f"); done
  fi
  : > "$core_build/core-$shape.txt"
  "$core_build/bin/core_bench" "${bench_args[@]}" "${bench_flags[@]}" | tee -a "$results" "$core_build/core-$shape.txt" ||
    core_ok=no
done

# ---------------------------------------------------------------- outside reference
# wc -l and grep -c on the same files, with the page cache warm (one untimed
# read first) and the C locale, so that the figures depend on the file alone.
# grep writes into a pipe: with its output on /dev/null it would stop at the
# first match.
say ""
say "== Outside reference: the same logs through wc -l and grep -c (LC_ALL=C, page cache warm, median of $reference_runs runs) =="
scratch="$core_build/reference-work"
mkdir -p "$scratch"
# Wall time of one command in microseconds, taken by bash's own clock around
# the command and nothing else; the command's output goes to the file $1.
timed_us() {  # output file, command...
  local out=$1 TIMEFORMAT=%3R
  shift
  { time "$@" > "$out" 2>&3; } 3>&2 2> "$out.time"
  awk '{ printf "%.0f\n", $1 * 1e6 }' "$out.time"
}
count_lines() { LC_ALL=C wc -l "$1"; }
count_headers() { LC_ALL=C grep -c "console: Stats for:" "$1" | cat || true; }  # no match: status 1
mbps() { awk -v b="$1" -v us="$2" 'BEGIN { if (us == "-" || us <= 0) print "-"; else printf "%.0f", b / us }'; }
ms_text() { awk -v us="$1" 'BEGIN { if (us == "-") print "-"; else printf "%.1f ms", us / 1000 }'; }
# The median time in microseconds and the MB/s of one row of core_bench's
# summary ("NAME  12.34 ms  MB/s ..."), or "- -" when the row is missing.
core_row() {  # shape, row name
  awk -v name="$2" '$1 == name {
      us = $2 * ($3 == "s" ? 1e6 : $3 == "ms" ? 1e3 : $3 == "us" ? 1 : 1e-3); print us, $4; found = 1; exit }
    END { if (!found) print "- -" }' "$core_build/core-$1.txt" 2> /dev/null || echo "- -"
}
header=$(printf '%-26s %8s %11s %9s | %12s %6s | %12s %6s | %12s %6s | %12s %6s' \
  'log' 'MiB' 'lines' 'blocks' 'LineReader' 'MB/s' 'ImportLog' 'MB/s' 'wc -l' 'MB/s' 'grep -c' 'MB/s')
say "$header"
say "$(printf '%s' "$header" | tr -c '|' '-')"
for f in "${log_files[@]}"; do
  bytes=$(stat -c %s "$f")
  shape=$(basename "$f" | sed -n 's/^log-s[0-9]*-\([a-z]*\)-.*/\1/p')
  label=$(basename "$f" .txt)
  count_lines "$f" > /dev/null  # warm-up read
  wc_times=() grep_times=()
  for ((run = 0; run < reference_runs; run++)); do
    wc_times+=("$(timed_us "$scratch/wc" count_lines "$f")")
    grep_times+=("$(timed_us "$scratch/grep" count_headers "$f")")
  done
  lines=$(cut -d' ' -f1 "$scratch/wc")
  blocks=$(cat "$scratch/grep")
  wc_us=$(printf '%s\n' "${wc_times[@]}" | median)
  grep_us=$(printf '%s\n' "${grep_times[@]}" | median)
  read -r floor_us floor_mbps < <(core_row "$shape" "ReadLines/$label")
  read -r import_us import_mbps < <(core_row "$shape" "ImportLog/$label")
  say "$(printf '%-26s %8.1f %11s %9s | %12s %6s | %12s %6s | %12s %6s | %12s %6s' \
    "$(basename "$f")" "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" "$lines" "$blocks" \
    "$(ms_text "$floor_us")" "$floor_mbps" "$(ms_text "$import_us")" "$import_mbps" \
    "$(ms_text "$wc_us")" "$(mbps "$bytes" "$wc_us")" "$(ms_text "$grep_us")" "$(mbps "$bytes" "$grep_us")")"
done
true_times=()
for ((run = 0; run < reference_runs; run++)); do true_times+=("$(timed_us "$scratch/true" /bin/true)"); done
say "(LineReader, ImportLog: core_bench's medians from the runs above. wc -l FILE and grep -c \"console: Stats for:\""
say " FILE | cat: wall time of the whole process, start-up included (/bin/true takes"
say " $(ms_text "$(printf '%s\n' "${true_times[@]}" | median)") here). MB/s = 10^6 bytes per second; blocks = grep's count)"

# ---------------------------------------------------------------- the whole program importing
# The program in a game folder of its own with the largest dense log as its
# log: start, press the import button, end without saving at closing
# (FRAGTALLY_EXIT_WHEN_SHOWN=import). The peak memory is the whole process's.
if [ "$have_app" = yes ]; then
  dense_largest="$inputs/log-s$seed-dense-${log_sizes[${#log_sizes[@]} - 1]}.txt"
  program_game=$(mktemp -d "${TMPDIR:-/tmp}/fragtally-import.XXXXXX")
  mkdir -p "$program_game/basekrm" "$program_game/runtime"
  chmod 700 "$program_game/runtime"
  cp "$app_build/bin/fragtally" "$program_game/fragtally"
  ln -s "$dense_largest" "$program_game/basekrm/LOG.txt"
  : > "$program_game/basekrm/Stats.krm"
  (cd "$program_game" && QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=import XDG_RUNTIME_DIR="$program_game/runtime" \
     /usr/bin/time -v -o "$program_game/time.txt" ./fragtally < /dev/null 2> "$program_game/stderr.txt") || true
  imported=$(sed -n 's/^imported in \([0-9]*\) ms.*/\1/p' "$program_game/stderr.txt")
  peak=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): *\([0-9]*\).*/\1/p' "$program_game/time.txt")
  trace_mib=$(awk -v b="$(stat -c %s "$dense_largest")" 'BEGIN { printf "%.0f", b / 1048576 }')
  say ""
  say "== The whole program importing $(basename "$dense_largest") ($trace_mib MiB; offscreen, first import of a fresh game folder) =="
  if [ -n "$imported" ] && [ -n "$peak" ]; then
    say "import: $imported ms; peak memory of the process (max RSS, /usr/bin/time -v): $(awk -v kb="$peak" 'BEGIN { printf "%.1f MB", kb / 1024 }')"
    say "(the trace is kept once, in the program's own memory: Text2 is filled only when shown or read)"
  else
    say "the program did not report its import:"
    cat "$program_game/stderr.txt" | tee -a "$results"
    core_ok=no
  fi
  rm -rf "$program_game"
fi

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

# The Players window and the report: 9,999 made-up players and a journal of
# 100,000 matches (a smoke run: 500 players, 5,000 matches).
say ""
players_ok=yes
if [ "$mode" = smoke ]; then
  players_args=(--players 500 --matches 5000)
else
  players_args=()
fi
say "== Players window and report =="
"$core_build/bin/players_bench" "${players_args[@]}" "${bench_flags[@]}" | tee -a "$results" || players_ok=no

# The skill rating: 100,000 matches of 8 players out of 200 people (a smoke
# run: 5,000 matches).
say ""
rating_ok=yes
if [ "$mode" = smoke ]; then
  rating_args=(--matches 5000)
else
  rating_args=()
fi
say "== Skill rating =="
"$core_build/bin/rating_bench" "${rating_args[@]}" "${bench_flags[@]}" | tee -a "$results" || rating_ok=no

# Head-to-head: two players of a club of 16 on the same length of journal.
say ""
say "== Head-to-head =="
"$core_build/bin/head_to_head_bench" "${rating_args[@]}" "${bench_flags[@]}" | tee -a "$results" || rating_ok=no

say ""
say "== Machine =="
say "cores: $(nproc); CPU: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1); RAM: $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)"
say "load average (1, 5, 15 min) before the run: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
say "(other work on the machine during the run makes every figure slower; compare runs on a quiet machine)"
say "results saved to $results"

if [ "$core_ok" != yes ]; then
  echo "a core benchmark run failed" >&2
  exit 1
fi
if [ "$players_ok" != yes ]; then
  echo "a Players benchmark failed or missed its budget" >&2
  exit 1
fi
if [ "$rating_ok" != yes ]; then
  echo "a skill rating benchmark failed or missed its budget" >&2
  exit 1
fi
if [ "$startup_ok" != yes ]; then
  echo "the start-up measurement failed" >&2
  exit 1
fi
