// Writes the HTML report of a made-up table and journal (tools/sample_players.h),
// for looking at the report and checking its picture:
//
//   report_sample OUTPUT.html [PLAYERS [BLOCKS [PLAYERS_PER_MATCH]]]
//
// (BLOCKS in matches of 6 players by default; 0 or 1 for blocks of no match,
// as an older journal holds them).

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/exports/report.h"
#include "sample_players.h"

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: report_sample OUTPUT.html [PLAYERS [BLOCKS [PLAYERS_PER_MATCH]]]\n");
    return 2;
  }
  const int players = argc > 2 ? std::atoi(argv[2]) : 12;
  const int blocks = argc > 3 ? std::atoi(argv[3]) : 600;
  const int per_match = argc > 4 ? std::atoi(argv[4]) : 6;
  const int matches = per_match > 1 ? blocks / per_match : blocks;
  const fragtally::sample::SamplePlayers sample = fragtally::sample::MakeSamplePlayers(players, matches, per_match);
  const std::string html = fragtally::BuildHtmlReport(sample.State->Table, *fragtally::SnapshotMatches(sample.Journal),
                                                      ",", "2026-12-08 21:00:00");
  std::ofstream out(argv[1], std::ios::binary);
  out << html;
  return out ? 0 : 1;
}
