// The exports of matches: the players' table and report with matches, wins
// and the skill rating, the matches' CSV (one line per player per match, in
// the order played, with the rating after each match), the command line that
// writes it, and the undo question's words.

#include <gtest/gtest.h>

#include <map>

#include "app/exports/export.h"
#include "app/main_window/ratings.h"
#include "app/program/command_line.h"
#include "app/text/number_format.h"
#include "files/journal.h"
#include "files/journal_read.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "journal_games.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

const std::string kS1 = "2026-12-06 20:00:00", kS2 = "2026-12-07 21:15:03";

// A game with a little of everything the exports show: suicides, the
// railgun (a hit a frag, of 10 shots) and the BFG.
JournalMatch Game(const std::string& session, std::int64_t position, std::int64_t match, const std::string& map,
                  const std::string& name, int frags) {
  return JournalGame(session, position, match, map, name, frags,
                     {.Suicides = 1, .RailgunShots = 10, .RailgunHits = frags, .BfgShots = 3});
}

// Two evenings: on the first, match 1 on krmdm6 (Ann 5, Bob 3, Cid 3: Bob
// and Cid share second place) and match 2 on a map named like a formula (Bob
// and Ann 4 each: both first); on the second, Cid alone (a win). An older
// journal line of Ann's (no match, 9 frags) takes part in none of it. The
// journal holds the second evening first: the export goes by the order played.
std::vector<JournalMatch> ClubJournal() {
  return {Game(kS2, 1, 1, "", "Cid", 2),
          Game(kS1, 1, 0, "", "Ann", 9),
          Game(kS1, 2, 1, "krmdm6", "Ann", 5),
          Game(kS1, 3, 1, "krmdm6", "Bob", 3),
          Game(kS1, 4, 1, "krmdm6", "Cid", 3),
          Game(kS1, 5, 2, "=cmd|x", "Bob", 4),
          Game(kS1, 6, 2, "=cmd|x", "Ann", 4)};
}

// The statistics file of the journal's players, and Dan, whose only game is
// an older line's.
void FillTable(PlayerTable& table) {
  const char* names[] = {"Ann", "Bob", "Cid", "Dan"};
  for (int slot = 1; slot <= 4; ++slot) {
    table.PlayerName[slot] = names[slot - 1];
    table.GamesPlayed[slot] = 3;
    table.Frags[slot] = 6;
  }
  table.PlayerCount = 4;
}

// The engine's ratings of the three matches, people 0 Ann, 1 Bob, 2 Cid:
// after each match in the order played.
std::vector<SkillRatings> EngineRatings() {
  const std::vector<MatchPlacings> matches = {{{0, 1}, {1, 2}, {2, 2}}, {{1, 1}, {0, 1}}, {{2, 1}}};
  std::vector<SkillRatings> after;
  SkillRatings ratings;
  ratings.People.resize(3);
  for (const MatchPlacings& match : matches) {
    RateMatch(ratings, match);
    after.push_back(ratings);
  }
  return after;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
    parts.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The CSV's lines after its byte-order mark, each split at ";" (no field of
// these journals holds one).
std::vector<std::vector<std::string>> CsvCells(const std::string& csv) {
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
  std::vector<std::string> lines = Split(csv.substr(3), "\r\n");
  EXPECT_EQ(lines.back(), "") << "CR LF after the last line";
  lines.pop_back();
  std::vector<std::vector<std::string>> cells;
  for (const std::string& line : lines) cells.push_back(Split(line, ";"));
  return cells;
}

TEST(MatchesCsv, OneLinePerPlayerPerMatchInTheOrderPlayedWithPlacesAndTheRatingAfterEachMatch) {
  const auto snapshot = SnapshotMatches(ClubJournal());
  const std::vector<std::vector<std::string>> cells = CsvCells(BuildMatchesCsv(*snapshot, {";", ","}));
  ASSERT_EQ(cells.size(), 7u) << "the captions and six games: the older line is left out";
  const std::vector<std::string> captions = {
      "Сессия", "Матч", "Карта", "Игрок", "Место", "Игроков", "Фрагов", "Убийств", "Смертей", "Самоубийств",
      "Урон нанесён", "Урон получен", "Machinegun попаданий", "Machinegun выстрелов", "Shotgun попаданий",
      "Shotgun выстрелов", "Grenade L попаданий", "Grenade L выстрелов", "Rocket L попаданий", "Rocket L выстрелов",
      "Shaft попаданий", "Shaft выстрелов", "Railgun попаданий", "Railgun выстрелов", "Plasma gun попаданий",
      "Plasma gun выстрелов", "BFG попаданий", "BFG выстрелов", "mu", "sigma"};
  EXPECT_EQ(cells[0], captions);
  EXPECT_EQ(MatchesCsvCaptions(), captions);

  // Session, match, map, player, place, players, then the counters.
  const std::vector<std::vector<std::string>> first_columns = {
      {kS1, "1", "krmdm6", "Ann", "1", "3", "5", "6", "2", "1", "500", "50"},
      {kS1, "1", "krmdm6", "Bob", "2", "3", "3", "4", "2", "1", "300", "50"},
      {kS1, "1", "krmdm6", "Cid", "2", "3", "3", "4", "2", "1", "300", "50"},
      {kS1, "2", "'=cmd|x", "Bob", "1", "2", "4", "5", "2", "1", "400", "50"},
      {kS1, "2", "'=cmd|x", "Ann", "1", "2", "4", "5", "2", "1", "400", "50"},
      {kS2, "1", "", "Cid", "1", "1", "2", "3", "2", "1", "200", "50"},
  };
  // Each line's rating: the engine's after that line's match.
  const std::vector<SkillRatings> engine = EngineRatings();
  const std::size_t match_of_line[] = {0, 0, 0, 1, 1, 2};
  const std::uint32_t person_of_line[] = {0, 1, 2, 1, 0, 2};
  for (std::size_t line = 1; line < cells.size(); ++line) {
    SCOPED_TRACE(line);
    const std::vector<std::string>& row = cells[line];
    ASSERT_EQ(row.size(), captions.size());
    EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + 12), first_columns[line - 1]);
    EXPECT_EQ(row[22], row[6]) << "railgun hits";
    EXPECT_EQ(row[23], "10") << "railgun shots";
    EXPECT_EQ(row[26], "0");
    EXPECT_EQ(row[27], "3") << "BFG shots";
    const SkillRating rating = RatingOf(engine[match_of_line[line - 1]], person_of_line[line - 1]);
    EXPECT_EQ(row[28], FixedText(rating.Mu, 6, ",")) << "mu";
    EXPECT_EQ(row[29], FixedText(rating.Sigma, 6, ",")) << "sigma";
  }
  // The winner of the first match gained, the others lost; Cid's lone match
  // changed nothing.
  EXPECT_GT(RatingOf(engine[0], 0).Mu, kSkillMu);
  EXPECT_LT(RatingOf(engine[0], 1).Mu, kSkillMu);
  EXPECT_EQ(cells[6][28], cells[3][28]);
  EXPECT_EQ(cells[6][29], cells[3][29]);
  EXPECT_EQ(cells[3][28], cells[2][28]) << "equal places rate alike";
  EXPECT_EQ(CsvCells(BuildMatchesCsv(*SnapshotMatches({Game(kS1, 1, 1, "", "Ann", 3)}), {";", ","}))[1][28],
            "25,000000")
      << "a newcomer alone";

  // An English spreadsheet: its separators, decimals with a point.
  const SkillRating cid = RatingOf(engine[2], 2);
  const std::string english = BuildMatchesCsv(*snapshot, {",", "."});
  EXPECT_NE(english.find("\r\n2026-12-07 21:15:03,1,,Cid,1,1,2,3,2,1,200,50,"), std::string::npos) << english;
  EXPECT_NE(english.find("," + FixedText(cid.Mu, 6, ".") + "," + FixedText(cid.Sigma, 6, ".") + "\r\n"),
            std::string::npos);
  // Decimals written with the list separator are quoted.
  EXPECT_NE(BuildMatchesCsv(*snapshot, {",", ","})
                .find(",\"" + FixedText(cid.Mu, 6, ",") + "\",\"" + FixedText(cid.Sigma, 6, ",") + "\"\r\n"),
            std::string::npos);
}

TEST(MatchesCsv, NamesAndMapsStayTextAndAJournalWithoutMatchesGivesTheCaptionsOnly) {
  std::vector<JournalMatch> journal = {Game(kS1, 1, 1, "dm;\"7\"", "+Ann;1", 3), Game(kS1, 2, 1, "dm;\"7\"", "@Bob", 1)};
  const std::string csv = BuildMatchesCsv(*SnapshotMatches(journal), {";", ","});
  EXPECT_NE(csv.find("\r\n" + kS1 + ";1;\"dm;\"\"7\"\"\";\"'+Ann;1\";1;2;3;"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n" + kS1 + ";1;\"dm;\"\"7\"\"\";'@Bob;2;2;1;"), std::string::npos) << csv;

  const std::string old = BuildMatchesCsv(*SnapshotMatches({Game(kS1, 1, 0, "", "Ann", 3)}), {";", ","});
  EXPECT_EQ(CsvCells(old).size(), 1u);
}

// The CSV table's cells of `rows` by name, from the column "Игр" up to
// "Убийств": games, matches, wins, share of wins, skill.
std::map<std::string, std::vector<std::string>> MatchCells(const std::vector<PlayerRow>& rows, const std::string& period) {
  const std::vector<std::vector<std::string>> cells = CsvCells(BuildPlayersCsv(rows, {";", ","}, period));
  EXPECT_EQ(std::vector<std::string>(cells[0].begin() + 2, cells[0].begin() + 8),
            (std::vector<std::string>{"Игр", "Матчей", "Побед", "Доля побед", "Мастерство", "Убийств"}))
      << "one set of match columns, after the games";
  EXPECT_EQ(cells[0].back(), "Период");
  std::map<std::string, std::vector<std::string>> by_name;
  for (std::size_t line = 1; line < cells.size(); ++line) {
    EXPECT_EQ(cells[line].size(), cells[0].size());
    EXPECT_EQ(cells[line].back(), period);
    by_name[cells[line][1]] = std::vector<std::string>(cells[line].begin() + 2, cells[line].begin() + 7);
  }
  return by_name;
}

std::string Skill(const SkillRatings& ratings, std::uint32_t person) {
  return FixedText(ShownSkill(RatingOf(ratings, person)), 2, ",");
}

TEST(PlayersCsv, HoldsTheWindowsMatchesWinsShareAndSkillOfThePeriod) {
  std::unique_ptr<WindowState> state = NewWindowState();
  FillTable(state->Table);
  const auto snapshot = SnapshotMatches(ClubJournal());
  const MatchesBySlot by_slot = GroupMatchesBySlot(state->Table, snapshot->Journal);
  const DayNumber today = DaysFromCivil(2026, 12, 8);
  const PeriodSpan all = ResolvePeriod(PlayersPeriod::AllTime, by_slot, today);

  // Ann: both matches won (the second shared); Bob second then shared first;
  // Cid second, then alone (a win); Dan's only game is an older line's: no
  // match, no share, no rating. Games are the statistics file's 3 each.
  const std::vector<SkillRatings> engine = EngineRatings();
  const std::map<std::string, std::vector<std::string>> all_time = {
      {"Ann", {"3", "2", "2", "100,00", Skill(engine[2], 0)}},
      {"Bob", {"3", "2", "1", "50,00", Skill(engine[2], 1)}},
      {"Cid", {"3", "2", "1", "50,00", Skill(engine[2], 2)}},
      {"Dan", {"3", "0", "0", "", ""}},
  };
  const std::vector<PlayerRow> rows = BuildPlayerRows(state->Table, by_slot, all, snapshot.get());
  EXPECT_EQ(MatchCells(rows, "За всё время"), all_time);
  EXPECT_GT(ShownSkill(RatingOf(engine[2], 0)), ShownSkill(RatingOf(engine[2], 1)));
  // The same figures as the window's table.
  PlayersWindowModel window;
  window.Refresh(state->Table, snapshot, today);
  for (const PlayerRow& row : window.Rows())
    for (PlayersColumn column : {PlayersColumn::Matches, PlayersColumn::Wins, PlayersColumn::WinShare, PlayersColumn::Skill})
      EXPECT_EQ(PlayerCellText(row, column, ","),
                all_time.at(row.Name)[static_cast<std::size_t>(column) - static_cast<std::size_t>(PlayersColumn::Games)])
          << row.Name;

  // This week (from Monday 2026-12-07): Cid's lone match only, his rating
  // after it; the others played no game in the week.
  const PeriodSpan week = ResolvePeriod(PlayersPeriod::ThisWeek, by_slot, today);
  const std::map<std::string, std::vector<std::string>> week_cells = {{"Cid", {"1", "1", "1", "100,00", Skill(engine[2], 2)}}};
  EXPECT_EQ(MatchCells(BuildPlayerRows(state->Table, by_slot, week, snapshot.get()), PeriodText(week)), week_cells);

  // Without the journal's matches (a table alone) the columns stay empty.
  EXPECT_EQ(MatchCells(BuildPlayerRows(state->Table, by_slot, all), "За всё время").at("Ann"),
            (std::vector<std::string>{"3", "0", "0", "", ""}));
}

TEST(PlayersCsv, ANameJoinedToAnotherCountsAsThatPersonOncePerMatch) {
  std::unique_ptr<WindowState> state = NewWindowState();
  FillTable(state->Table);
  JournalHistory history{ClubJournal(), {}};
  history.People.PersonOfName["Cid"] = "Bob";  // the organiser joined Cid to Bob
  const auto snapshot = SnapshotMatches(std::move(history));
  const MatchesBySlot by_slot = GroupMatchesBySlot(state->Table, snapshot->Journal);
  const std::vector<PlayerRow> rows = BuildPlayerRows(
      state->Table, by_slot, ResolvePeriod(PlayersPeriod::AllTime, by_slot, DaysFromCivil(2026, 12, 8)), snapshot.get());
  // Bob: the first match once, though both his names played it (second
  // place), the second (won), the lone one under his other name (won): 3
  // matches, 2 wins. One row for the person, under its shown name, as the window has it.
  const std::map<std::string, std::vector<std::string>> cells = MatchCells(rows, "За всё время");
  EXPECT_EQ(std::vector<std::string>(cells.at("Bob").begin() + 1, cells.at("Bob").end() - 1),
            (std::vector<std::string>{"3", "2", "66,67"}));
  EXPECT_FALSE(cells.at("Bob").back().empty());
  EXPECT_EQ(cells.count("Cid"), 0u);
  EXPECT_EQ(std::vector<std::string>(cells.at("Ann").begin() + 1, cells.at("Ann").end() - 1),
            (std::vector<std::string>{"2", "2", "100,00"}));

  const std::vector<std::vector<std::string>> matches = CsvCells(BuildMatchesCsv(*snapshot, {";", ","}));
  ASSERT_EQ(matches.size(), 7u);
  EXPECT_EQ(matches[3][3], "Bob") << "the person's shown name";
  EXPECT_EQ(matches[6][3], "Bob");
}

TEST(HtmlReport, ShowsMatchesWinsTheRatingOnceAndEachPlayersLastMatchesWithPlaceAndMap) {
  std::unique_ptr<WindowState> state = NewWindowState();
  FillTable(state->Table);
  const auto snapshot = SnapshotMatches(ClubJournal());
  const std::string html = BuildHtmlReport(state->Table, *snapshot, ",", "2026-12-08 21:05:00");
  for (PlayersColumn column : {PlayersColumn::Matches, PlayersColumn::Wins, PlayersColumn::WinShare, PlayersColumn::Skill}) {
    const std::string header = "\">" + std::string(kPlayersColumns[static_cast<std::size_t>(column)].Caption) + "</th>";
    const std::size_t at = html.find(header);
    EXPECT_NE(at, std::string::npos) << header;
    EXPECT_EQ(html.find(header, at + 1), std::string::npos) << header << " twice";
  }
  const std::string ann_skill = Skill(EngineRatings()[2], 0);
  // After the name and the games.
  EXPECT_NE(html.find("<a href=\"#p1\">Ann</a></td><td class=\"n\">3</td><td class=\"n\">2</td><td class=\"n\">2</td>"
                      "<td class=\"n\">100,00</td><td class=\"n\">" + ann_skill + "</td>"),
            std::string::npos);
  EXPECT_NE(html.find("<a href=\"#p4\">Dan</a></td><td class=\"n\">3</td><td class=\"n\">0</td><td class=\"n\">0</td>"
                      "<td class=\"n\"></td><td class=\"n\"></td>"),
            std::string::npos)
      << "Dan: no match, no rating";
  EXPECT_NE(html.find(">Игр</th><th title=\"" + std::string(kPlayersColumns[2].Tooltip) + "\">Матчей</th>"),
            std::string::npos);
  EXPECT_NE(html.find("<dt>Мастерство</dt>"), std::string::npos) << "the legend explains the rating";

  // Ann's section: her last matches newest first, with place and map; the
  // older line is no match of hers. Her most frags came in that older line:
  // the record names the game by its place in the session.
  const std::size_t ann = html.find("<section id=\"p1\">"), bob = html.find("<section id=\"p2\">");
  ASSERT_NE(ann, std::string::npos);
  ASSERT_NE(bob, std::string::npos);
  const std::string ann_section = html.substr(ann, html.find("</section>", ann) - ann);
  const std::string row = "<tr><td class=\"t\">" + kS1 + "</td><td class=\"n\">";
  const std::size_t second = ann_section.find(row + "2</td><td class=\"t\">=cmd|x</td><td class=\"n\">1 из 2</td>"
                                              "<td class=\"n\">4</td></tr>");
  const std::size_t first = ann_section.find(row + "1</td><td class=\"t\">krmdm6</td><td class=\"n\">1 из 3</td>"
                                             "<td class=\"n\">5</td></tr>");
  ASSERT_NE(second, std::string::npos) << ann_section;
  EXPECT_GT(first, second);
  EXPECT_NE(ann_section.find("<p>Игр в журнале: 3</p>"), std::string::npos);
  EXPECT_NE(ann_section.find(kS1 + ", игра 1</td>"), std::string::npos);
  const std::string bob_section = html.substr(bob, html.find("</section>", bob) - bob);
  EXPECT_NE(bob_section.find("<td class=\"n\">2 из 3</td>"), std::string::npos);
  EXPECT_NE(bob_section.find(kS1 + ", матч 2</td>"), std::string::npos) << "his record: 4 frags in match 2";
}

TEST(ExportMatches, TheCommandLineWritesEveryJournaledMatch) {
  TempDir dir;
  CurrentFolder folder(dir.path());
  RecordingSink sink;
  auto state = StateIn(dir.path());
  LoadSettings(*state);
  WriteFile(dir.path() / "basekrm" / "LOG.txt",
            CrLf(Lines({{"--- Fs_startup : Sun Dec 06 20:00:00 2026", "map: krmdm6"}, MatchBlock("Ann", 2),
                        MatchBlock("Bob", 5), {"Bob: gg"}, MatchBlock("Ann", 1)})));
  PressImport(*state, sink);

  const CommandLine line = ParseCommandLine({"--export-matches", "матчи.csv"});
  EXPECT_EQ(line.Kind, ExportKind::Matches);
  EXPECT_EQ(line.Target, "матчи.csv");
  EXPECT_EQ(ParseCommandLine({"--export-matches", "m.csv", "--period", "week"}).Problem, "Лишний параметр: --period")
      << "every match, of no period";
  EXPECT_NE(UsageText().find("--export-matches ФАЙЛ"), std::string::npos);

  const std::string target = (dir.path() / "матчи.csv").string();
  const auto exit = RunWithoutWindow({"--export-matches", target}, dir.str(), {";", ","});
  ASSERT_TRUE(exit);
  EXPECT_EQ(exit->ExitCode, kExportWritten) << exit->Err;
  EXPECT_NE(exit->Out.find("Матчи сохранены: "), std::string::npos);
  EXPECT_NE(exit->Out.find("игр в журнале: 3, матчей: 2)"), std::string::npos) << exit->Out;
  const std::vector<std::vector<std::string>> cells = CsvCells(ReadFile(dir.path() / "матчи.csv"));
  ASSERT_EQ(cells.size(), 4u);
  const auto head = [](const std::vector<std::string>& row) { return std::vector<std::string>(row.begin(), row.begin() + 7); };
  EXPECT_EQ(head(cells[1]), (std::vector<std::string>{kS1, "1", "krmdm6", "Bob", "1", "2", "5"}));
  EXPECT_EQ(head(cells[2]), (std::vector<std::string>{kS1, "1", "krmdm6", "Ann", "2", "2", "2"}));
  EXPECT_EQ(head(cells[3]), (std::vector<std::string>{kS1, "2", "krmdm6", "Ann", "1", "1", "1"}));

  // The table from the same folder: Ann second then alone (a win), Bob first.
  const std::string table = (dir.path() / "table.csv").string();
  const auto table_exit = RunWithoutWindow({"--export-csv", table}, dir.str(), {";", ","});
  ASSERT_TRUE(table_exit);
  EXPECT_EQ(table_exit->ExitCode, kExportWritten) << table_exit->Err;
  std::map<std::string, std::vector<std::string>> rows;
  for (const std::vector<std::string>& row : CsvCells(ReadFile(dir.path() / "table.csv")))
    rows[row[1]] = std::vector<std::string>(row.begin() + 2, row.begin() + 6);
  EXPECT_EQ(rows["Игрок"], (std::vector<std::string>{"Игр", "Матчей", "Побед", "Доля побед"}));
  EXPECT_EQ(rows["Ann"], (std::vector<std::string>{"2", "2", "1", "50,00"}));
  EXPECT_EQ(rows["Bob"], (std::vector<std::string>{"1", "1", "1", "100,00"}));
}

TEST(UndoQuestion, NamesTheMatchesAndGamesTheImportBrought) {
  JournalImport last;
  last.Commit.Time = "2026-12-07 23:40:00";
  for (int match = 1; match <= 6; ++match)
    for (int player = 0; player < 6; ++player)
      last.Matches.push_back(Game(kS2, match * 6 + player, match, "krmdm6", "P" + std::to_string(player), player));
  last.Matches.push_back(Game("", 1, 1, "", "Ann", 1));
  last.Matches.push_back(Game(kS1, 1, 0, "", "Ann", 1));  // an older line: a game without a match
  last.Matches.push_back(Game(kS1, 2, 0, "", "Bob", 1));
  const std::string question = UndoQuestionText(last);
  EXPECT_EQ(question,
            "Отменить последний импорт (2026-12-07 23:40:00): 7 матчей, 39 игр?\r\n"
            "Из статистики будут убраны:\r\n"
            "игровая сессия 2026-12-07 21:15:03: 6 матчей, 36 игр\r\n"
            "без даты игровой сессии: 1 матч, 1 игра\r\n"
            "игровая сессия 2026-12-06 20:00:00: 2 игры\r\n"
            "(игра - результат одного игрока в одном матче).\r\n"
            "Следующий импорт занесёт эти игры снова, если они ещё есть в ЛОГ файле.");
  EXPECT_NE(UndoQuestionText(JournalImport{}).find("?\r\nОн не занёс ни одной игры;"), std::string::npos);
}

}  // namespace
}  // namespace fragtally::testing
