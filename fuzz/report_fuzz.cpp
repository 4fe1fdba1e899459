// The HTML report and the CSV table of players whose names (and journal
// sessions) are the input: whatever the bytes, the page has the structure it
// has with plain names, is valid UTF-8 without control characters, and every
// CSV line has one field per column.

#include <algorithm>
#include <string>
#include <vector>

#include "app/report.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"

namespace fragtally::fuzz {

namespace {

// The input's lines: names up to the first empty line, then sessions.
void Split(const std::uint8_t* data, std::size_t size, std::vector<std::string>& names,
           std::vector<std::string>& sessions) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string>* into = &names;
  while (!rest.empty() && names.size() < 40) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (end == 0 && into == &names) {
      into = &sessions;
    } else {
      into->emplace_back(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

std::string Report(const std::vector<std::string>& names, const std::vector<std::string>& sessions,
                   std::vector<PlayerRow>* rows) {
  auto state = NewWindowState();
  PlayerTable& table = state->Table;
  std::vector<JournalMatch> journal;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    table.PlayerName[slot] = names[i];
    table.GamesPlayed[slot] = static_cast<std::int32_t>(i % 3);
    table.Frags[slot] = static_cast<std::int32_t>(i * 7 % 11);
    JournalMatch match;
    match.Name = names[i];
    match.Session = sessions.empty() ? std::string() : sessions[i % sessions.size()];
    match.Position = 1;
    match.Added[CounterIndex(&PlayerTable::RailgunShots)] = 20;
    match.Added[CounterIndex(&PlayerTable::RailgunHits)] = static_cast<std::int32_t>(i % 21);
    journal.push_back(std::move(match));
  }
  table.PlayerCount = static_cast<std::int16_t>(names.size());
  if (rows != nullptr) *rows = BuildPlayerRows(table, GroupMatchesBySlot(table, journal), PlayersPeriod::AllTime, 0);
  return BuildHtmlReport(table, journal, ",", "now");
}

// The characters that make up markup, counted; the places where a long
// name may break are left out (a plain name is short).
std::string Structure(const std::string& html) {
  std::string marks;
  for (std::size_t i = 0; i < html.size(); ++i) {
    if (html.compare(i, 5, "<wbr>") == 0) {
      i += 4;
      continue;
    }
    const char c = html[i];
    if (c == '<' || c == '>' || c == '"' || c == '\'') marks += c;
  }
  return marks;
}

}  // namespace

void FuzzReport(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> names, sessions;
  Split(data, size, names, sessions);
  std::vector<PlayerRow> rows;
  const std::string html = Report(names, sessions, &rows);

  // The same players under plain names (equal where the names are equal,
  // as a repeated name shares the first one's matches) and plain sessions
  // (dated where the sessions are) give a page of the same markup.
  std::vector<std::string> plain(names.size()), plain_sessions(sessions.size(), "2026-01-01 10:00:00");
  for (std::size_t i = 0; i < names.size(); ++i)
    plain[i] = "n" + std::to_string(std::find(names.begin(), names.end(), names[i]) - names.begin());
  for (std::size_t i = 0; i < sessions.size(); ++i)
    if (!SessionDay(sessions[i])) plain_sessions[i] = "x";
  FRAGTALLY_CHECK(Structure(html) == Structure(Report(plain, plain_sessions, nullptr)),
                  "a name or session changed the page's markup");
  std::string text = html;
  std::erase(text, '\n');
  FRAGTALLY_CHECK(TextForFile(text) == text, "the page is not UTF-8 without control characters");

  for (const CsvFormat& format : {CsvFormat{";", ","}, CsvFormat{",", "."}, CsvFormat{",", ","}}) {
    const std::string csv = BuildPlayersCsv(rows, format);
    std::size_t lines = 0, fields = 1;
    bool quoted = false;
    for (std::size_t i = 3; i < csv.size(); ++i) {
      if (csv[i] == '"') quoted = !quoted;
      if (quoted) continue;
      if (csv[i] == format.ListSeparator[0]) ++fields;
      if (csv[i] == '\n') {
        // The place, the table's columns, the period.
        FRAGTALLY_CHECK(fields == kPlayersColumns.size() + 2, "a CSV line of " + std::to_string(fields) + " fields");
        fields = 1;
        ++lines;
      }
    }
    FRAGTALLY_CHECK(!quoted && lines == rows.size() + 1, "the CSV's lines");
  }
}

FRAGTALLY_FUZZ_ENTRY(FuzzReport)

}  // namespace fragtally::fuzz
