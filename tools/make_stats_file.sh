#!/usr/bin/env bash
# Writes a statistics file with N players (15 lines each, CR LF), for timing
# the start-up with a full table:
#
#   tools/make_stats_file.sh 9999 demo/big/basekrm/Stats.krm
set -euo pipefail
count=${1:?usage: make_stats_file.sh PLAYERS OUTPUT}
output=${2:?usage: make_stats_file.sh PLAYERS OUTPUT}
mkdir -p "$(dirname "$output")"
awk -v n="$count" 'BEGIN {
  w[1] = "Machinegun"; w[2] = "Shotgun"; w[3] = "Grenade L"; w[4] = "Rocket L"
  w[5] = "Shaft"; w[6] = "Railgun"; w[7] = "Plasma gun"; w[8] = "BFG"
  for (p = 1; p <= n; p++) {
    printf "console: Stats for: Player%04d\r\n", p
    printf "console: Gauntlet:   %d\r\n", p % 7
    for (k = 1; k <= 8; k++) {
      shots = (p * 37 + k * 101) % 900 + 20
      hits = int(shots * ((p + k * 13) % 60 + 5) / 100)
      printf "console: %s:   %d/%d     %d%%\r\n", w[k], hits, shots, int(hits * 100 / shots + 0.5)
    }
    printf "console: Dmggiven: %d\r\n", 1000 + p * 3
    printf "console: Dmgrecvd: %d\r\n", 900 + p * 2
    printf "console: Kills: %d     Deaths: %d     Suicides: %d     Frags: %d\r\n", p % 50, p % 40, p % 3, p % 50 - p % 3
    printf "console: games played: %d\r\n", p % 20 + 1
    printf "console:  \r\n"
  }
}' > "$output"
