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

// One of a player's games as the report lists the last ones: the match and
// the player's game in it.
struct GameInMatch {
  const PlayedMatch* Match = nullptr;
  const MatchGame* Game = nullptr;
};
inline constexpr std::size_t kReportLastMatches = 10;
// The last `count` games in `span` of the person `name` counts as, newest
// first.
std::vector<GameInMatch> LastGames(const MatchSnapshot& matches, std::string_view name, const PeriodSpan& span,
                                   std::size_t count = kReportLastMatches);

// The HTML report of a period (`today` the last day of a period of days):
// which period and when (`generated`, UTF-8), the players with a game in
// it ranked, with their places, the Players window's columns (the period's
// matches, wins, share of wins and skill from `matches`, as the window
// shows them) and a legend of the ratings, then one section per player in
// that order with the charts, records and last matches of the period.
std::string BuildHtmlReport(const PlayerTable& table, const MatchSnapshot& matches,
                            const std::string& decimal_separator, const std::string& generated,
                            PlayersPeriod period = PlayersPeriod::AllTime, DayNumber today = 0);

// One player's section of the report (`row` gives its anchor): its place
// (none when 0) and name, the number of its games (in the journal, or in
// the period when `all_time` is false), the charts, the records and its
// last matches (`last`: place "2 из 8", map, frags), or a line saying the
// journal has no game of the player.
void AppendPlayerSection(std::string& out, const PlayerRow& row, const PlayerPage& page, int place = 0,
                         bool all_time = true, const std::vector<GameInMatch>& last = {});

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
// The match columns ("Матчей", "Побед", "Доля побед", "Мастерство") are the
// rows' own: built with the journal's matches they hold the window's
// figures, without them they stay 0 and empty.
std::string BuildPlayersCsv(std::vector<PlayerRow> rows, const CsvFormat& format,
                            const std::string& period = std::string(PeriodCaption(PlayersPeriod::AllTime)));

// The journal's matches for a spreadsheet: the same byte-order mark,
// separators, quoting and formula guard as the table, one line per player
// per match in the order played (best place first within a match): the
// session's date, the match's number, map, player (the person's shown name),
// place, players, frags,
// kills, deaths, suicides, damage given and received, each weapon's hits and
// shots, then mu and sigma after the match (six decimals). Blocks of older
// journal lines (no match) are left out.
std::string BuildMatchesCsv(const MatchSnapshot& matches, const CsvFormat& format);
// The captions of its columns, in order.
std::vector<std::string> MatchesCsvCaptions();

}  // namespace fragtally
