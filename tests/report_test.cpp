// The HTML report and the CSV table: names anyone can choose in the game
// show as text and break nothing; the CSV suits a Russian and an English
// spreadsheet.

#include <gtest/gtest.h>

#include "app/exports/report.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Whether `text` is valid UTF-8: TextForFile keeps valid UTF-8 without
// control characters as it is (line ends are taken out first), and decodes
// anything else.
bool IsUtf8(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return TextForFile(text) == text;
}

TEST(TextForFile, KeepsUtf8ReadsAnythingElseAsWindows1251AndHidesControls) {
  EXPECT_EQ(TextForFile("Игрок ☺ 🎯"), "Игрок ☺ 🎯");
  EXPECT_EQ(TextForFile("\xCF\xF0\xE8\xE2\xE5\xF2 \xB9\x98"), "Привет №\xEF\xBF\xBD");
  EXPECT_EQ(TextForFile("\xC0\xAF"), "АЇ");             // an overlong '/' is not UTF-8
  EXPECT_EQ(TextForFile("\xED\xA0\x80"), "н\u00A0Ђ");  // nor is a surrogate
  EXPECT_EQ(TextForFile("a\x01\x1B[31m\x7F" "b\xC2\x85"), "a\xEF\xBF\xBD\xEF\xBF\xBD[31m\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(TextForFile(std::string("a\0b", 3)), "a\xEF\xBF\xBD" "b");
}

const std::vector<std::string> kHostileNames = {
    "<script>alert(1)</script>",
    "\"><img src=x onerror=alert(1)>",
    "</svg></table><b>bold</b>",
    "a'b\"c&d",
    std::string("ctrl\x01\x1B[31m\0end", 14),
    "\xFF\xFE<i>x</i>\xC3",
    "=HYPERLINK(\"http://x\";\"y\")",
    "+1;2,3",
    "-2",
    "@SUM(A1)",
};

class HostileNames : public ::testing::Test {
 protected:
  HostileNames() : state(NewWindowState()) {
    PlayerTable& table = state->Table;
    for (std::size_t i = 0; i < kHostileNames.size(); ++i) {
      const int slot = static_cast<int>(i) + 1;
      table.PlayerName[slot] = kHostileNames[i];
      table.GamesPlayed[slot] = 2;
      table.Frags[slot] = slot;
      JournalMatch match;
      match.Name = kHostileNames[i];
      match.Session = "2026-12-01 20:00:00";
      match.Position = 1;
      match.Added[CounterIndex(&PlayerTable::Frags)] = slot;
      match.Added[CounterIndex(&PlayerTable::RailgunShots)] = 20;
      match.Added[CounterIndex(&PlayerTable::RailgunHits)] = 5;
      journal.push_back(match);
    }
    table.PlayerCount = static_cast<std::int16_t>(kHostileNames.size());
  }
  std::unique_ptr<WindowState> state;
  std::vector<JournalMatch> journal;
};

TEST_F(HostileNames, ShowAsTextInTheHtmlReport) {
  const std::string html = BuildHtmlReport(state->Table, *SnapshotMatches(journal), ",", "2026-12-08 01:00:00");
  EXPECT_TRUE(IsUtf8(html));
  for (const char* markup : {"<script", "<img", "<b>", "<i>", "onerror=alert(1)>"})
    EXPECT_EQ(html.find(markup), std::string::npos) << markup;
  // Every SVG and table that opens closes, and nothing else closes one.
  EXPECT_EQ(Count(html, "<svg"), 2 * kHostileNames.size());
  EXPECT_EQ(Count(html, "</svg>"), 2 * kHostileNames.size());
  EXPECT_EQ(Count(html, "<table"), Count(html, "</table>"));
  EXPECT_EQ(Count(html, "<section"), kHostileNames.size());
  // Each name shows once in the table and once as its section's heading
  // (long ones with places to break).
  std::string unbroken = html;
  for (std::size_t at; (at = unbroken.find("<wbr>")) != std::string::npos;) unbroken.erase(at, 5);
  for (const char* shown : {"&lt;script&gt;alert(1)&lt;/script&gt;", "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;",
                            "&lt;/svg&gt;&lt;/table&gt;&lt;b&gt;bold&lt;/b&gt;", "a&#39;b&quot;c&amp;d",
                            "ctrl\xEF\xBF\xBD\xEF\xBF\xBD[31m\xEF\xBF\xBD" "end", "яю&lt;i&gt;x&lt;/i&gt;Г"})
    EXPECT_EQ(Count(unbroken, shown), 2u) << shown;
  EXPECT_NE(html.find("<td class=\"n\">0,50</td>"), std::string::npos);
  // Offline and inert: no script, no resource from elsewhere.
  for (const char* outside : {"<link", "<iframe", "<object", "<image", " src=\"", " href=\"http", "url(", "@import"})
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  EXPECT_NE(html.find("default-src 'none'"), std::string::npos);
}

std::vector<std::string> CsvLines(const std::string& csv) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = csv.find("\r\n"); end != std::string::npos; end = csv.find("\r\n", start)) {
    lines.push_back(csv.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, csv.size()) << "the last line ends with CR LF";
  return lines;
}

TEST_F(HostileNames, StayTextInTheCsv) {
  const std::vector<PlayerRow> rows =
      BuildPlayerRows(state->Table, GroupMatchesBySlot(state->Table, journal), PlayersPeriod::AllTime, 0);
  const std::string russian = BuildPlayersCsv(rows, {";", ","});
  ASSERT_EQ(russian.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_TRUE(IsUtf8(russian));
  std::vector<std::string> lines = CsvLines(russian.substr(3));
  ASSERT_EQ(lines.size(), kHostileNames.size() + 1);
  EXPECT_EQ(lines[0], "Место;Игрок;Игр;Матчей;Побед;Доля побед;Мастерство;Убийств;Смертей;Самоубийств;Фрагов;Рейтинг фрагов;Рейтинг повреждений;"
                      "Рейтинг точности;Точность;Убийств на смерть;Последняя игра;Период");
  // Ranked: slot k has k frags in two games, so the last slot comes first.
  EXPECT_EQ(lines[10], "10;<script>alert(1)</script>;2;0;0;;;0;0;0;1;0,50;0,00;0;;;2026-12-01 20:00;За всё время");
  EXPECT_EQ(lines[9].substr(0, 36), "9;\"\"\"><img src=x onerror=alert(1)>\";");
  EXPECT_EQ(lines[7].substr(0, 14), "7;\"a'b\"\"c&d\";2");
  EXPECT_EQ(lines[4].substr(0, 36), "4;\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\";");
  EXPECT_EQ(lines[3].substr(0, 12), "3;\"'+1;2,3\";");
  EXPECT_EQ(lines[2].substr(0, 6), "2;'-2;");
  EXPECT_EQ(lines[1].substr(0, 12), "1;'@SUM(A1);");

  const std::vector<std::string> english = CsvLines(BuildPlayersCsv(rows, {",", "."}, "За этот месяц: 2026-12-01 — 2026-12-08").substr(3));
  EXPECT_EQ(english[10], "10,<script>alert(1)</script>,2,0,0,,,0,0,0,1,0.50,0.00,0,,,2026-12-01 20:00,"
                         "За этот месяц: 2026-12-01 — 2026-12-08");
  EXPECT_EQ(english[3].substr(0, 12), "3,\"'+1;2,3\",");
  // A locale that writes decimals with the list separator gets them quoted.
  EXPECT_EQ(CsvLines(BuildPlayersCsv(rows, {",", ","}).substr(3))[10],
            "10,<script>alert(1)</script>,2,0,0,,,0,0,0,1,\"0,50\",\"0,00\",0,,,2026-12-01 20:00,За всё время");
  EXPECT_EQ(ListSeparatorFor(","), ";");
  EXPECT_EQ(ListSeparatorFor("."), ",");
}

// The report of a club's week: the players of the week ranked by the frag
// rating, the period and the time at the top, a legend of the ratings, and a
// page that reads on a phone and prints on landscape A4.
TEST(HtmlReport, RanksThePeriodsPlayersAndSaysWhichPeriodAndWhen) {
  std::unique_ptr<WindowState> state = NewWindowState();
  PlayerTable& table = state->Table;
  const std::vector<std::string> names = {"Пётр Первый", "Старик", std::string(30, 'W'), "Новичок"};
  std::vector<JournalMatch> journal;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int slot = static_cast<int>(i) + 1;
    table.PlayerName[slot] = names[i];
    table.GamesPlayed[slot] = 1;
    JournalMatch match;
    match.Name = names[i];
    // The old-timer last played in November; the others this week, the
    // long name with the most frags, Пётр Первый with the fewest.
    match.Session = i == 1 ? "2026-11-20 20:00:00" : "2026-12-07 21:00:00";
    match.Position = slot;
    match.Added[CounterIndex(&PlayerTable::GamesPlayed)] = 1;
    match.Added[CounterIndex(&PlayerTable::Frags)] = i == 0 ? 1 : i == 2 ? 9 : 4;
    journal.push_back(match);
  }
  table.PlayerCount = static_cast<std::int16_t>(names.size());

  const std::string html =
      BuildHtmlReport(table, *SnapshotMatches(journal), ",", "2026-12-08 21:05:00", PlayersPeriod::ThisWeek, DaysFromCivil(2026, 12, 8));
  EXPECT_NE(html.find("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"), std::string::npos);
  EXPECT_NE(html.find("За эту неделю: 2026-12-07 — 2026-12-08"), std::string::npos);
  EXPECT_NE(html.find("Отчёт составлен 2026-12-08 21:05:00. Игроков: 3."), std::string::npos);
  // Ranked, with places; the old-timer played no game this week and is not there.
  const std::size_t long_name = html.find("<a href=\"#p3\">"), newcomer = html.find("<a href=\"#p4\">"),
                    peter = html.find("<a href=\"#p1\">");
  ASSERT_NE(peter, std::string::npos);
  EXPECT_LT(long_name, newcomer);
  EXPECT_LT(newcomer, peter);
  EXPECT_EQ(html.find("Старик"), std::string::npos);
  EXPECT_NE(html.find("<tr><td class=\"n\">3</td><td class=\"name\"><a href=\"#p1\">Пётр Первый</a>"), std::string::npos);
  EXPECT_NE(html.find("<h2>1. WWWWWWWWWWWW<wbr>WWWWWWWWWWWW<wbr>WWWWWW</h2>"), std::string::npos);
  // A short name breaks between its words only.
  EXPECT_EQ(Count(html, "Пётр Первый"), 2u);
  // Each header explains itself; the legend under the table says what the ratings compute.
  for (const PlayersColumnInfo& column : kPlayersColumns)
    EXPECT_NE(html.find("<th title=\"" + std::string(column.Tooltip) + "\">" + std::string(column.Caption) + "</th>"),
              std::string::npos)
        << column.Caption;
  for (const char* rating : {"Рейтинг фрагов", "Рейтинг повреждений", "Рейтинг точности"})
    EXPECT_NE(html.find("<dt>" + std::string(rating) + "</dt><dd>"), std::string::npos) << rating;
  EXPECT_GT(html.find("<dl class=\"legend\">"), html.find("</table>"));
  // On paper: landscape A4, sections kept whole where they fit.
  EXPECT_NE(html.find("@page{size:A4 landscape"), std::string::npos);
  EXPECT_NE(html.find("section{break-inside:avoid"), std::string::npos);
  EXPECT_NE(html.find("Игр за период: 1"), std::string::npos);
}

}  // namespace
}  // namespace fragtally::testing
