#pragma once

// The players' table and pages as files to share: one self-contained HTML
// page (inline style and SVG, no script, nothing fetched from elsewhere) and
// a CSV table for spreadsheets.

#include <string>
#include <string_view>
#include <vector>

#include "app/players_window/players.h"

namespace fragtally {

// Bytes from the game's log or the statistics file as UTF-8 text for a
// file: valid UTF-8 stays; a line that is not valid UTF-8 is read as
// Windows-1251, as the windows show it (0x98, unassigned there, becomes
// U+FFFD). Control characters (C0, DEL, C1) become U+FFFD, so that no byte
// of a name can act on the file that holds it.
std::string TextForFile(std::string_view bytes);

// The header of the places' column the report and the CSV put first, and
// what it says (the ranking is by kDefaultSortColumn, highest first).
std::string PlacesCaption();
std::string PlacesTooltip();

// The HTML report of a period (`today` the last day of a period of days):
// which period and when (`generated`, UTF-8), the players with a game in
// it ranked, with their places and a legend of the ratings, then one
// section per player in that order with the charts and records of the
// period's matches.
std::string BuildHtmlReport(const PlayerTable& table, const std::vector<JournalMatch>& journal,
                            const std::string& decimal_separator, const std::string& generated,
                            PlayersPeriod period = PlayersPeriod::AllTime, DayNumber today = 0);

// One player's section of the report (`row` gives its anchor): its place
// (none when 0) and name, the number of its matches (in the journal, or in
// the period when `all_time` is false), the charts and the records, or a
// line saying the journal has no match.
void AppendPlayerSection(std::string& out, const PlayerRow& row, const PlayerPage& page, int place = 0,
                         bool all_time = true);

// The separators of the user's locale for a spreadsheet: a Russian system
// lists with ";" and writes decimals with ",", an English one "," and ".".
struct CsvFormat {
  std::string ListSeparator = ";";
  std::string DecimalSeparator = ",";
};
// The list separator that goes with a decimal separator where the system
// does not tell it: ";" beside ",", else ",".
std::string ListSeparatorFor(const std::string& decimal_separator);

// The table as CSV: a UTF-8 byte-order mark, the captions, then one line per
// row, ranked as the report ranks them, CR LF after each: the place, the
// table's columns (two decimals, as the window shows them: a spreadsheet
// reads them as numbers), and `period` (UTF-8, PeriodText) in a last
// column of its own. A field holding the list separator, a quote or a line
// break is quoted (quotes doubled); a name that a spreadsheet would take for
// a formula (= + - @, a tab or CR first) gets a leading apostrophe and stays
// text.
std::string BuildPlayersCsv(std::vector<PlayerRow> rows, const CsvFormat& format,
                            const std::string& period = std::string(PeriodCaption(PlayersPeriod::AllTime)));

}  // namespace fragtally
