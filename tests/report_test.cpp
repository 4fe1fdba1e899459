// The HTML report and the CSV table: names anyone can choose in the game
// show as text and break nothing; the CSV suits a Russian and an English
// spreadsheet.

#include <gtest/gtest.h>

#include "app/report.h"
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
  const std::string html = BuildHtmlReport(state->Table, journal, ",", "2026-12-08 01:00:00");
  EXPECT_TRUE(IsUtf8(html));
  for (const char* markup : {"<script", "<img", "<b>", "<i>", "onerror=alert(1)>"})
    EXPECT_EQ(html.find(markup), std::string::npos) << markup;
  // Every SVG and table that opens closes, and nothing else closes one.
  EXPECT_EQ(Count(html, "<svg"), 2 * kHostileNames.size());
  EXPECT_EQ(Count(html, "</svg>"), 2 * kHostileNames.size());
  EXPECT_EQ(Count(html, "<table"), Count(html, "</table>"));
  EXPECT_EQ(Count(html, "<section"), kHostileNames.size());
  // Each name shows once in the table and once as its section's heading.
  for (const char* shown : {"&lt;script&gt;alert(1)&lt;/script&gt;", "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;",
                            "&lt;/svg&gt;&lt;/table&gt;&lt;b&gt;bold&lt;/b&gt;", "a&#39;b&quot;c&amp;d",
                            "ctrl\xEF\xBF\xBD\xEF\xBF\xBD[31m\xEF\xBF\xBD" "end", "яю&lt;i&gt;x&lt;/i&gt;Г"})
    EXPECT_EQ(Count(html, shown), 2u) << shown;
  EXPECT_NE(html.find("<td class=\"n\">0,5</td>"), std::string::npos);
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
  EXPECT_EQ(lines[0], "Игрок;Игр;Убийств;Смертей;Самоубийств;Фрагов;Рейтинг фрагов;Рейтинг повреждений;"
                      "Рейтинг точности;Убийств на смерть;Последняя игра");
  EXPECT_EQ(lines[1], "<script>alert(1)</script>;2;0;0;0;1;0,5;0;0;;2026-12-01 20:00");
  EXPECT_EQ(lines[2].substr(0, 34), "\"\"\"><img src=x onerror=alert(1)>\";");
  EXPECT_EQ(lines[4].substr(0, 12), "\"a'b\"\"c&d\";2");
  EXPECT_EQ(lines[7].substr(0, 34), "\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\";");
  EXPECT_EQ(lines[8].substr(0, 10), "\"'+1;2,3\";");
  EXPECT_EQ(lines[9].substr(0, 4), "'-2;");
  EXPECT_EQ(lines[10].substr(0, 10), "'@SUM(A1);");

  const std::vector<std::string> english = CsvLines(BuildPlayersCsv(rows, {",", "."}).substr(3));
  EXPECT_EQ(english[1], "<script>alert(1)</script>,2,0,0,0,1,0.5,0,0,,2026-12-01 20:00");
  EXPECT_EQ(english[8].substr(0, 10), "\"'+1;2,3\",");
  // A locale that writes decimals with the list separator gets them quoted.
  EXPECT_EQ(CsvLines(BuildPlayersCsv(rows, {",", ","}).substr(3))[1],
            "<script>alert(1)</script>,2,0,0,0,1,\"0,5\",0,0,,2026-12-01 20:00");
  EXPECT_EQ(ListSeparatorFor(","), ";");
  EXPECT_EQ(ListSeparatorFor("."), ",");
}

}  // namespace
}  // namespace fragtally::testing
