// The command line both programs share, and the one version the window, the
// about box and --version show.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program/command_line.h"
#include "app/main_window/commands.h"
#include "app/main_window/layout.h"
#include "app/main_window/menus.h"
#include "app/program/version.h"
#include "test_support.h"

namespace fragtally::testing {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, EachOptionIsTakenAndAnythingElseRefusedWithWhatIsWrong) {
  EXPECT_EQ(ParseCommandLine({}).What, Action::OpenWindow);
  for (const char* help : {"--help", "-h", "/?"}) EXPECT_EQ(ParseCommandLine({help}).What, Action::PrintHelp) << help;
  EXPECT_EQ(ParseCommandLine({"--version"}).What, Action::PrintVersion);

  const CommandLine csv = ParseCommandLine({"--export-csv", "таблица.csv"});
  EXPECT_EQ(csv.What, Action::Export);
  EXPECT_EQ(csv.Kind, ExportKind::Csv);
  EXPECT_EQ(csv.Target, "таблица.csv");
  EXPECT_EQ(ParseCommandLine({"--export-html", "-"}).Kind, ExportKind::Html) << "a FILE may start with a dash";
  EXPECT_EQ(csv.Period, PlayersPeriod::AllTime);
  EXPECT_EQ(ParseCommandLine({"--export-csv", "a.csv", "--period", "week"}).Period, PlayersPeriod::ThisWeek);
  EXPECT_EQ(ParseCommandLine({"--export-html", "a.html", "--period=evening"}).Period, PlayersPeriod::LastEvening);

  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--frobnicate"}, "Неизвестный параметр: --frobnicate"},
      {{"-v"}, "Неизвестный параметр: -v"},
      {{"Stats.krm"}, "Лишний параметр: Stats.krm"},  // a file dropped on the program
      {{"--export-pdf", "x"}, "Неизвестный параметр: --export-pdf"},
      {{"--export-html"}, "После --export-html нужно имя файла."},
      {{"--export-csv", ""}, "После --export-csv нужно имя файла."},
      {{"--export-csv", "a.csv", "b.csv"}, "Лишний параметр: b.csv"},
      {{"--version", "--help"}, "Лишний параметр: --help"},
      {{"--export-csv", "a.csv", "--period", "fortnight"}, "Неизвестный период: fortnight"},
      {{"--export-csv", "a.csv", "--period"}, "После --period нужен период."},
      {{"--export-csv", "a.csv", "--period=year", "x"}, "Лишний параметр: x"},
  };
  for (const auto& [arguments, problem] : refused) {
    const CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.What, Action::Refuse) << arguments[0];
    EXPECT_EQ(line.Problem, problem);
  }
}

TEST(CommandLine, HelpAndVersionPrintAndARefusalShowsTheUsageOnTheErrorOutput) {
  TempDir dir;  // no statistics file
  const CsvFormat format{";", ","};
  const auto help = RunWithoutWindow({"--help"}, dir.str(), format);
  ASSERT_TRUE(help);
  EXPECT_EQ(help->ExitCode, 0);
  EXPECT_EQ(help->Out, UsageText());
  EXPECT_EQ(help->Err, "");
  for (const char* option : {"--export-html ФАЙЛ", "--export-csv ФАЙЛ", "--help", "--version"})
    EXPECT_NE(UsageText().find(option), std::string::npos) << option;

  const auto version = RunWithoutWindow({"--version"}, dir.str(), format);
  ASSERT_TRUE(version);
  EXPECT_EQ(version->ExitCode, 0);
  EXPECT_EQ(version->Out, std::string("Fragtally ") + FRAGTALLY_VERSION + "\n");

  const auto wrong = RunWithoutWindow({"--frobnicate"}, dir.str(), format);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->ExitCode, kExportUsage);
  EXPECT_EQ(wrong->Out, "");
  EXPECT_EQ(wrong->Err, "Неизвестный параметр: --frobnicate\n" + UsageText());

  const auto export_without_stats = RunWithoutWindow({"--export-csv", "t.csv"}, dir.str(), format);
  ASSERT_TRUE(export_without_stats);
  EXPECT_EQ(export_without_stats->ExitCode, kExportStatsUnreadable);
  EXPECT_EQ(export_without_stats->Out, "");
  EXPECT_NE(export_without_stats->Err.find("не записан"), std::string::npos) << export_without_stats->Err;

  EXPECT_FALSE(RunWithoutWindow({}, dir.str(), format)) << "no argument: the window opens";
}

TEST(Version, TheCaptionTheAboutBoxAndTheVersionOptionShowTheSameOne) {
  // The caption runs the three numbers together ("050" for 0.5.0).
  std::string digits;
  for (char c : std::string(FRAGTALLY_VERSION))
    if (c != '.') digits += c;
  ASSERT_EQ(digits.size(), 3u) << FRAGTALLY_VERSION;
  EXPECT_EQ(std::string(kWindowCaption), "Fragtally by Morvel version " + digits);
  TempDir dir;
  EXPECT_EQ(AboutText(*NewForm1State(dir.str())).rfind(std::string("Fragtally, версия ") + FRAGTALLY_VERSION + "\r\n", 0),
            0u);
  EXPECT_EQ(VersionText(), std::string("Fragtally ") + FRAGTALLY_VERSION + "\n");
}

#ifdef FRAGTALLY_PLAYERS_README
// The read-me shipped with both programs keeps up with them: every menu
// command, both buttons and every option of the command line are in it.
TEST(PlayersReadMe, NamesEveryMenuCommandButtonAndOption) {
  const std::string readme = ReadFile(FRAGTALLY_PLAYERS_README);
  std::vector<std::string> names = {FindControl("Command1")->DesignText, FindControl("Command2")->DesignText,
                                    "--export-html", "--export-csv", "--help", "--version"};
  for (const Menu& menu : MainMenus()) {
    // "Игроки > Таблица игроков..." as the read-me writes a menu's command.
    for (const MenuItem& item : menu.Items) {
      std::string caption = MenuCaption(item.Label);
      if (caption.size() >= 3 && caption.compare(caption.size() - 3, 3, "…") == 0) caption.replace(caption.size() - 3, 3, "...");
      names.push_back(MenuCaption(menu.Label) + " > " + caption);
    }
  }
  for (const std::string& name : names) EXPECT_NE(readme.find(name), std::string::npos) << name;
}
#endif

}  // namespace
}  // namespace fragtally::testing
