#include "app/exports/report.h"

#include <iterator>

#include "app/main_window/ratings.h"
#include "app/text/html_escape.h"
#include "app/text/number_format.h"
#include "stats/weapons.h"
#include "app/text/text_decoding.h"
#include "stats/numbers.h"

namespace fragtally {

std::string TextForFile(std::string_view bytes) {
  std::u16string text = DisplayText(bytes);
  for (char16_t& c : text)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) c = 0xFFFD;  // C0, DEL and C1 controls
  return ToUtf8(text);
}

namespace {

// A name, session or other bytes from the files, as HTML text.
void AppendHtmlText(std::string& out, std::string_view bytes) { AppendEscapedXml(out, TextForFile(bytes)); }

// A name that wraps between its words only; a run of more than
// kLongRun characters without a space (which would otherwise widen its
// column, or break anywhere) may also break after every kRunPiece of them.
constexpr std::size_t kLongRun = 20, kRunPiece = 12;

void AppendBreakableName(std::string& out, std::string_view bytes) {
  const std::string text = TextForFile(bytes);
  std::size_t run_start = 0;
  // The run of characters from run_start to `end`, a character counted at its first byte.
  const auto flush_run = [&](std::size_t end) {
    const std::string_view run(text.data() + run_start, end - run_start);
    std::size_t characters = 0;
    for (char c : run) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters <= kLongRun) {
      AppendEscapedXml(out, run);
      return;
    }
    std::size_t count = 0, from = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
      if ((static_cast<unsigned char>(run[i]) & 0xC0) == 0x80) continue;  // inside a character
      if (count > 0 && count % kRunPiece == 0) {
        AppendEscapedXml(out, run.substr(from, i - from));
        out += "<wbr>";
        from = i;
      }
      ++count;
    }
    AppendEscapedXml(out, run.substr(from));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ') continue;
    flush_run(i);
    out += ' ';
    run_start = i + 1;
  }
  flush_run(text.size());
}

// The page: a table that scrolls sideways on a narrow screen instead of
// squeezing its names, and on paper a landscape A4 with the table across it
// and each player's section kept on one page when it fits on one.
constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:16px;color:#202020;background:#fff}"
    "h1{font-size:22px;margin:0 0 6px}h2{font-size:17px;margin:26px 0 6px;border-bottom:1px solid #ccc}"
    "p{margin:4px 0}.period{font-size:16px;font-weight:bold}"
    ".wide{overflow-x:auto;max-width:100%}"
    "table{border-collapse:collapse;margin:6px 0}"
    "th,td{border:1px solid #c8c8c8;padding:2px 6px;white-space:nowrap}"
    "th{background:#2f5d8a;color:#fff;font-weight:normal;white-space:normal;vertical-align:bottom;min-width:3em}"
    "tr:nth-child(even) td{background:#eef3f8}"
    "td.n{text-align:right}td.t{text-align:left}"
    "td.name,h2{white-space:normal}td.name{min-width:6em}"
    ".legend{margin:10px 0 0;font-size:13px;max-width:60em}.legend dt{font-weight:bold;margin-top:4px}"
    ".legend dd{margin:0 0 0 1.5em}"
    ".page{display:flex;flex-wrap:wrap;align-items:flex-start;gap:8px 12px}"
    ".page svg{border:1px solid #ddd;max-width:100%;height:auto}.records td{white-space:normal}"
    "table.last caption{text-align:left;font-weight:bold;padding:0 0 2px}"
    "@page{size:A4 landscape;margin:10mm}"
    "@media print{"
    "body{margin:0;font-size:9pt;-webkit-print-color-adjust:exact;print-color-adjust:exact}"
    "h1{font-size:15pt}.period{font-size:11pt}"
    ".wide{overflow:visible}table.players{width:100%;font-size:8pt}"
    "th,td{padding:1px 3px}thead{display:table-header-group}tr{break-inside:avoid}"
    ".legend{font-size:8pt;max-width:none}"
    "section{break-inside:avoid;page-break-inside:avoid}"
    "h2{font-size:11pt;margin:10px 0 3px;break-after:avoid}"
    ".page{flex-wrap:nowrap;gap:6px}.page svg{width:35%}.records{font-size:7.5pt;flex:1}"
    ".records td{white-space:nowrap}"
    "}";

// Where a record was set: "2026-12-01 20:00:00, матч 3", or for a game of
// an older journal line (no match) its place in the session, "…, игра 14".
std::string MatchText(const PlayerRecord& record) {
  std::string text = TextForFile(record.Session);
  if (!text.empty()) text += ", ";
  text += record.Match > 0 ? "матч " : "игра ";
  text += NumberText(record.Match > 0 ? record.Match : record.Position);
  return text;
}

// "2 из 8".
std::string PlaceText(const GameInMatch& game) {
  return NumberText(game.Game->Place) + " из " + NumberText(static_cast<long long>(game.Match->Games.size()));
}

// The columns of a section's last matches.
constexpr std::string_view kLastMatchCaptions[] = {"Сессия", "Матч", "Карта", "Место", "Фрагов"};

void AppendLastMatches(std::string& out, const std::vector<GameInMatch>& last) {
  if (last.empty()) return;
  out += "<table class=\"last\"><caption>Последние матчи</caption><tr>";
  for (std::string_view caption : kLastMatchCaptions) {
    out += "<th>";
    AppendEscapedXml(out, caption);
    out += "</th>";
  }
  out += "</tr>";
  for (const GameInMatch& game : last) {
    out += "<tr><td class=\"t\">";
    AppendHtmlText(out, *game.Match->Session);
    out += "</td><td class=\"n\">";
    AppendNumber(out, game.Match->Number);
    out += "</td><td class=\"t\">";
    AppendHtmlText(out, *game.Match->Map);
    out += "</td><td class=\"n\">";
    AppendEscapedXml(out, PlaceText(game));
    out += "</td><td class=\"n\">";
    AppendNumber(out, game.Game->Block->Added[CounterIndex(&PlayerTable::Frags)]);
    out += "</td></tr>";
  }
  out += "</table>";
}

void AppendPlace(std::string& out, int place) {
  if (place > 0) AppendNumber(out, place);
}

const PlayersColumnInfo& ColumnInfo(PlayersColumn column) {
  return kPlayersColumns[static_cast<std::size_t>(column)];
}

// The columns the legend under the table explains.
constexpr PlayersColumn kLegendColumns[] = {PlayersColumn::Skill, PlayersColumn::FragRating,
                                            PlayersColumn::DamageRating, PlayersColumn::AccuracyRating,
                                            PlayersColumn::Accuracy};
// Under the legend: what the match columns leave out.
constexpr std::string_view kOlderGamesNote =
    "Игры, записанные в журнал до того, как программа стала различать матчи, входят в игры, фраги и "
    "рейтинги, но не в матчи, победы и мастерство.";

}  // namespace

void AppendPlayerSection(std::string& out, const PlayerRow& row, const PlayerPage& page, int place, bool all_time,
                         const std::vector<GameInMatch>& last) {
  out += "<section id=\"p";
  AppendNumber(out, row.Slot);
  out += "\"><h2>";
  if (place > 0) {
    AppendNumber(out, place);
    out += ". ";
  }
  AppendBreakableName(out, page.Name);
  out += "</h2>";
  if (page.MatchCount == 0) {
    out += "<p>В журнале нет игр этого игрока.</p></section>\n";
    return;
  }
  out += all_time ? "<p>Игр в журнале: " : "<p>Игр за период: ";
  AppendNumber(out, static_cast<long long>(page.MatchCount));
  out += "</p><div class=\"page\">";
  AppendChartSvg(out, page.Frags, 560, 240);
  AppendChartSvg(out, page.Accuracy, 560, 240);
  out += "<table class=\"records\"><tr><th>Рекорд</th><th>Значение</th><th>Матч</th></tr>";
  for (const PlayerRecord& record : page.Records) {
    out += "<tr><td class=\"t\">";
    AppendEscapedXml(out, record.Caption);
    out += "</td><td class=\"n\">";
    if (record.Value.empty()) {
      out += "—</td><td></td></tr>";
      continue;
    }
    AppendEscapedXml(out, record.Value);
    out += "</td><td class=\"t\">";
    AppendEscapedXml(out, MatchText(record));
    out += "</td></tr>";
  }
  out += "</table>";
  AppendLastMatches(out, last);
  out += "</div></section>\n";
}

std::vector<GameInMatch> LastGames(const MatchSnapshot& matches, std::string_view name, const PeriodSpan& span,
                                   std::size_t count) {
  std::vector<GameInMatch> last;
  std::uint32_t person = 0;
  if (!PersonOfName(matches, std::string(name), person)) return last;
  const std::vector<PersonGame>& games = matches.Book.ByPerson[person];
  for (auto game = games.rbegin(); game != games.rend() && last.size() < count; ++game) {
    // A person with two names in one match: its better place, the first of its games there.
    if (std::next(game) != games.rend() && std::next(game)->Match == game->Match) continue;
    const MatchGame& played = matches.Book.GameOf(*game);
    if (span.Holds(*played.Block)) last.push_back({&matches.Book.Matches[game->Match], &played});
  }
  return last;
}

std::string PlacesCaption() { return "Место"; }

std::string PlacesTooltip() {
  return "Место по столбцу «" + std::string(ColumnInfo(kDefaultSortColumn).Caption) +
         "», от большего к меньшему; у равных одно место";
}

std::string BuildHtmlReport(const PlayerTable& table, const MatchSnapshot& snapshot,
                            const std::string& decimal_separator, const std::string& generated, PlayersPeriod period,
                            DayNumber today) {
  const std::vector<JournalMatch>& journal = snapshot.Journal;
  const MatchesBySlot all_matches = GroupMatchesBySlot(table, journal);
  const PeriodSpan span = ResolvePeriod(period, all_matches, today);
  const bool all_time = period == PlayersPeriod::AllTime;
  const MatchesBySlot period_matches = all_time ? MatchesBySlot() : MatchesIn(all_matches, span);
  const MatchesBySlot& matches = all_time ? all_matches : period_matches;
  std::vector<PlayerRow> rows = BuildPlayerRows(table, all_matches, span, &snapshot);
  SortPlayerRows(rows, kDefaultSortColumn, true);
  const std::vector<int> places = PlayerPlaces(rows, kDefaultSortColumn);

  std::string out;
  // About what a player's section and a match's points take: the page is
  // written once, without being moved as it grows.
  out.reserve(8192 + rows.size() * 6500 + journal.size() * 160);
  // The policy forbids scripts and anything fetched: the page works offline,
  // and nothing a name holds can run.
  out += "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
         "<title>Fragtally: игроки</title><style>";
  out += kStyle;
  out += "</style></head><body>\n<h1>Игроки</h1><p class=\"period\">";
  AppendEscapedXml(out, PeriodText(span));
  out += "</p><p>Отчёт составлен ";
  AppendEscapedXml(out, generated);
  out += ". Игроков: ";
  AppendNumber(out, static_cast<long long>(rows.size()));
  out += ". ";
  AppendEscapedXml(out, PlacesTooltip());
  out += ".</p>\n<div class=\"wide\"><table class=\"players\"><thead><tr><th title=\"";
  AppendEscapedXml(out, PlacesTooltip());
  out += "\">";
  AppendEscapedXml(out, PlacesCaption());
  out += "</th>";
  // The window's columns in its order: the matches, wins and skill come
  // right after the name and the games, in sight while a narrow screen
  // scrolls the table sideways.
  for (const PlayersColumnInfo& column : kPlayersColumns) {
    out += "<th title=\"";
    AppendEscapedXml(out, column.Tooltip);
    out += "\">";
    AppendEscapedXml(out, column.Caption);
    out += "</th>";
  }
  out += "</tr></thead><tbody>\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PlayerRow& row = rows[i];
    out += "<tr><td class=\"n\">";
    AppendPlace(out, places[i]);
    out += "</td>";
    for (const PlayersColumnInfo& column : kPlayersColumns) {
      if (column.Column == PlayersColumn::Name) {
        out += "<td class=\"name\"><a href=\"#p";
        AppendNumber(out, row.Slot);
        out += "\">";
        AppendBreakableName(out, row.Name);
        out += "</a></td>";
        continue;
      }
      out += column.Align == CellAlign::Right ? "<td class=\"n\">" : "<td class=\"t\">";
      AppendHtmlText(out, PlayerCellText(row, column.Column, decimal_separator));
      out += "</td>";
    }
    out += "</tr>\n";
  }
  out += "</tbody></table></div>\n<dl class=\"legend\">";
  for (PlayersColumn column : kLegendColumns) {
    out += "<dt>";
    AppendEscapedXml(out, ColumnInfo(column).Caption);
    out += "</dt><dd>";
    AppendEscapedXml(out, ColumnInfo(column).Tooltip);
    out += "</dd>";
  }
  out += "</dl>\n<p class=\"legend\">";
  AppendEscapedXml(out, kOlderGamesNote);
  out += "</p>\n";
  for (std::size_t i = 0; i < rows.size(); ++i)
    AppendPlayerSection(out, rows[i],
                        BuildPlayerPage(rows[i].Name, PersonBlocks(matches, rows[i]), decimal_separator),
                        places[i], all_time, LastGames(snapshot, rows[i].Name, span));
  out += "</body></html>\n";
  return out;
}

std::string ListSeparatorFor(const std::string& decimal_separator) { return decimal_separator == "," ? ";" : ","; }

namespace {

void AppendCsvField(std::string& out, const std::string& text, const CsvFormat& format) {
  const bool quote = text.find(format.ListSeparator) != std::string::npos ||
                     text.find_first_of("\"\r\n") != std::string::npos;
  if (!quote) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// Text a spreadsheet would take for a formula (= + - @, a tab or CR first)
// gets a leading apostrophe and stays text.
std::string FormulaSafe(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) text.insert(0, 1, '\'');
  return text;
}

}  // namespace

std::string BuildPlayersCsv(std::vector<PlayerRow> rows, const CsvFormat& format, const std::string& period) {
  SortPlayerRows(rows, kDefaultSortColumn, true);
  const std::vector<int> places = PlayerPlaces(rows, kDefaultSortColumn);
  std::string out = "\xEF\xBB\xBF";
  out.reserve(rows.size() * (140 + period.size()) + 256);
  AppendCsvField(out, PlacesCaption(), format);
  for (const PlayersColumnInfo& column : kPlayersColumns) {
    out += format.ListSeparator;
    AppendCsvField(out, std::string(column.Caption), format);
  }
  out += format.ListSeparator;
  AppendCsvField(out, "Период", format);
  out += "\r\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (places[i] > 0) AppendNumber(out, places[i]);
    for (const PlayersColumnInfo& column : kPlayersColumns) {
      std::string text = TextForFile(PlayerCellText(rows[i], column.Column, format.DecimalSeparator));
      if (column.Column == PlayersColumn::Name) text = FormulaSafe(std::move(text));
      out += format.ListSeparator;
      AppendCsvField(out, text, format);
    }
    out += format.ListSeparator;
    AppendCsvField(out, period, format);
    out += "\r\n";
  }
  return out;
}

namespace {

// The counters of the matches' CSV after its first six columns, and their captions.
struct CounterCaption {
  Counter PlayerTable::*Member;
  std::string_view Caption;
};
constexpr CounterCaption kMatchCounters[] = {
    {&PlayerTable::Frags, "Фрагов"},
    {&PlayerTable::Kills, "Убийств"},
    {&PlayerTable::Deaths, "Смертей"},
    {&PlayerTable::Suicides, "Самоубийств"},
    {&PlayerTable::DamageGiven, "Урон нанесён"},
    {&PlayerTable::DamageReceived, "Урон получен"},
};
constexpr std::string_view kMatchesCsvFirstCaptions[] = {"Сессия", "Матч", "Карта", "Игрок", "Место", "Игроков"};

}  // namespace

std::vector<std::string> MatchesCsvCaptions() {
  std::vector<std::string> captions(std::begin(kMatchesCsvFirstCaptions), std::end(kMatchesCsvFirstCaptions));
  for (const CounterCaption& counter : kMatchCounters) captions.emplace_back(counter.Caption);
  for (const Weapon& weapon : kWeapons) {
    captions.push_back(std::string(WeaponName(weapon)) + " попаданий");
    captions.push_back(std::string(WeaponName(weapon)) + " выстрелов");
  }
  captions.emplace_back("mu");
  captions.emplace_back("sigma");
  return captions;
}

std::string BuildMatchesCsv(const MatchSnapshot& matches, const CsvFormat& format) {
  std::string out = "\xEF\xBB\xBF";
  std::size_t games = 0;
  for (const PlayedMatch& match : matches.Book.Matches) games += match.Games.size();
  out.reserve(256 + games * 180);
  bool first = true;
  for (const std::string& caption : MatchesCsvCaptions()) {
    if (!first) out += format.ListSeparator;
    first = false;
    AppendCsvField(out, caption, format);
  }
  out += "\r\n";

  // The ratings are replayed match by match (as the snapshot's were
  // computed) to give each game the rating right after its match.
  SkillRatings ratings;
  ratings.People.resize(matches.People.Size());
  for (const PlayedMatch& match : matches.Book.Matches) {
    const MatchPlacings placings = match.Placings();
    RateMatch(ratings, placings);
    const std::string session = FormulaSafe(TextForFile(*match.Session));
    const std::string map = FormulaSafe(TextForFile(*match.Map));
    for (const MatchGame& game : match.Games) {
      const JournalMatch& block = *game.Block;
      AppendCsvField(out, session, format);
      out += format.ListSeparator;
      AppendNumber(out, match.Number);
      out += format.ListSeparator;
      AppendCsvField(out, map, format);
      out += format.ListSeparator;
      AppendCsvField(out, FormulaSafe(TextForFile(matches.People.NameOf(game.Person))), format);
      out += format.ListSeparator;
      AppendNumber(out, game.Place);
      out += format.ListSeparator;
      AppendNumber(out, static_cast<long long>(match.Games.size()));
      for (const CounterCaption& counter : kMatchCounters) {
        out += format.ListSeparator;
        AppendNumber(out, block.Added[CounterIndex(counter.Member)]);
      }
      for (const Weapon& weapon : kWeapons) {
        out += format.ListSeparator;
        AppendNumber(out, block.Added[CounterIndex(weapon.Hits)]);
        out += format.ListSeparator;
        AppendNumber(out, block.Added[CounterIndex(weapon.Shots)]);
      }
      const SkillRating rating = RatingOf(ratings, game.Person);
      out += format.ListSeparator;
      AppendCsvField(out, FixedText(rating.Mu, 6, format.DecimalSeparator), format);
      out += format.ListSeparator;
      AppendCsvField(out, FixedText(rating.Sigma, 6, format.DecimalSeparator), format);
      out += "\r\n";
    }
  }
  return out;
}

}  // namespace fragtally
