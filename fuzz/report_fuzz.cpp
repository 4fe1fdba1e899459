// What a name or a journal session can reach in the report and the table:
// the escaping of text for HTML, one player's section of the page, and the
// CSV's lines. Whatever the bytes, the escaped text holds no markup and reads
// back as the decoded bytes, the section has the markup it has with plain
// names and is valid UTF-8 without control characters, and every CSV line
// has one field per column. The whole page is these parts put together for
// every player, so one player's parts are what is fuzzed.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/text/html_escape.h"
#include "app/exports/report.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace fragtally::fuzz {

namespace {

// The input's lines: names up to the first empty line, then sessions; a few
// of each, as one player's page shows.
constexpr std::size_t kMostLines = 6;
void Split(const std::uint8_t* data, std::size_t size, std::vector<std::string>& names,
           std::vector<std::string>& sessions) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string>* into = &names;
  while (!rest.empty() && names.size() < kMostLines && sessions.size() < kMostLines) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (end == 0 && into == &names) {
      into = &sessions;
    } else {
      into->emplace_back(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

void CheckEscaping(const std::string& bytes) {
  const std::string text = TextForFile(bytes);
  FRAGTALLY_CHECK(IsCleanUtf8(text), "decoded text that is not clean UTF-8");
  std::string html;
  AppendEscapedXml(html, text);
  FRAGTALLY_CHECK(html.find_first_of("<>\"'") == std::string::npos, "markup survived the escaping");
  FRAGTALLY_CHECK(UnescapedHtml(html) == text, "the escaped text reads back otherwise");
}

// One player's section: its matches are the sessions, with counters that
// differ from match to match so that the charts and records have something
// to show.
std::string Section(const std::string& name, const std::vector<std::string>& sessions) {
  std::vector<JournalMatch> journal;
  for (std::size_t i = 0; i < sessions.size(); ++i) {
    JournalMatch match;
    match.Name = name;
    match.Session = sessions[i];
    match.Position = static_cast<std::int64_t>(i) + 1;
    match.Added[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int32_t>(i * 7 % 11);
    match.Added[CounterIndex(&PlayerTable::DamageGiven)] = static_cast<std::int32_t>(100 + i * 37);
    match.Added[CounterIndex(&PlayerTable::RailgunShots)] = 20;
    match.Added[CounterIndex(&PlayerTable::RailgunHits)] = static_cast<std::int32_t>(i * 5 % 21);
    journal.push_back(std::move(match));
  }
  std::vector<const JournalMatch*> matches;
  for (const JournalMatch& match : journal) matches.push_back(&match);
  PlayerRow row;
  row.Slot = 1;
  row.Name = name;
  std::string html;
  AppendPlayerSection(html, row, BuildPlayerPage(name, matches, ","));
  return html;
}

void CheckSection(const std::string& name, const std::vector<std::string>& sessions) {
  const std::string html = Section(name, sessions);
  // Plain sessions are dated where the sessions are: a dated match shows
  // its date, as the markup around it does not change.
  std::vector<std::string> plain_sessions(sessions.size(), "2026-01-01 10:00:00");
  for (std::size_t i = 0; i < sessions.size(); ++i)
    if (!SessionDay(sessions[i])) plain_sessions[i] = "x";
  FRAGTALLY_CHECK(MarkupOf(html) == MarkupOf(Section("n", plain_sessions)),
                  "a name or session changed the section's markup");
  FRAGTALLY_CHECK(IsCleanUtf8(html, true), "the section is not UTF-8 without control characters");
}

void CheckCsv(const std::vector<std::string>& names, const std::vector<std::string>& sessions) {
  std::vector<PlayerRow> rows;
  for (std::size_t i = 0; i < names.size(); ++i) {
    PlayerRow row;
    row.Slot = static_cast<int>(i) + 1;
    row.Name = names[i];
    row.Counters[CounterIndex(&PlayerTable::GamesPlayed)] = static_cast<std::int64_t>(i % 3);
    row.Counters[CounterIndex(&PlayerTable::Frags)] = static_cast<std::int64_t>(i * 7 % 11);
    if (i % 3 != 0) row.FragRating = -2.5 + static_cast<double>(i);
    if (!sessions.empty()) row.LastPlayed = sessions[i % sessions.size()];
    rows.push_back(std::move(row));
  }
  for (const CsvFormat& format : {CsvFormat{";", ","}, CsvFormat{",", "."}, CsvFormat{",", ","}}) {
    // The place, the table's columns, the period.
    FRAGTALLY_CHECK(CsvHasShape(BuildPlayersCsv(rows, format), format.ListSeparator[0], kPlayersColumns.size() + 2,
                                rows.size() + 1),
                    "a CSV line without a field per column, under \"" + format.ListSeparator + "\"");
  }
}

}  // namespace

void FuzzReport(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> names, sessions;
  Split(data, size, names, sessions);
  for (const std::string& line : names) CheckEscaping(line);
  for (const std::string& line : sessions) CheckEscaping(line);
  CheckSection(names.empty() ? std::string() : names[0], sessions);
  CheckCsv(names, sessions);
}

FRAGTALLY_FUZZ_ENTRY(FuzzReport)

}  // namespace fragtally::fuzz
