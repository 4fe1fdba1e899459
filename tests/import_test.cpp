// Importing the game's log: the start-up marker, blocks, the refresh at the
// end and the messages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "app/commands.h"
#include "files/paths.h"
#include "files/settings_file.h"
#include "platform/platform.h"
#include "test_support.h"
#include "app/panels.h"

namespace fragtally {
namespace {

namespace fs = std::filesystem;
using testing::CrLf;
using testing::Lines;
using testing::MatchBlock;
using testing::CurrentFolder;
using testing::ReadFile;
using testing::RecordingSink;
using testing::StateIn;
using testing::TempDir;
using testing::WriteFile;

const std::string kS1 = "--- Fs_startup : Sun Dec 06 20:00:00 2026";
const std::string kS2 = "--- Fs_startup : Mon Dec 07 21:15:03 2026";

using Result = testing::ImportResult;

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadSettings(state());  // the default path basekrm\LOG.txt, relative to the current folder
  }
  WindowState& state() { return *state_; }
  void WriteLog(const std::vector<std::string>& lines) { WriteFile(dir_.path() / "basekrm" / "LOG.txt", CrLf(lines)); }
  Result Import() { return testing::PressImport(*state_, sink_); }
  std::string Settings() { return ReadFile(SettingsFilePath(*state_)); }
  void ExpectLastMessage(MessageIcon icon, const std::string& title, const std::string& text) {
    ASSERT_FALSE(sink_.messages.empty());
    EXPECT_EQ(sink_.messages.back().icon, icon);
    EXPECT_EQ(sink_.messages.back().title, title);
    EXPECT_EQ(sink_.messages.back().text, text);
  }
  void ExpectLogNotFound() {
    ExpectLastMessage(MessageIcon::Error, "Программе не удалось найти ЛОГ файл",
                      "ЛОГ файл не найден. Либо вы просто ещё ни разу не играли в KRM, либо неправильно настроили "
                      "данную программу. Читайте прилагающийся файл, или обратитесь к разработчику - " +
                          std::string(kContactAddress));
  }
  void ExpectLogUnchanged() {
    ExpectLastMessage(MessageIcon::Information, "Статистика не занесена",
                      "ЛОГ файл не изменился с момента последней проверки. Скорее всего - вы не запускали Krellmar. "
                      "Сначала поиграйте! =)");
  }

  TempDir dir_;
  CurrentFolder inside_{dir_.path()};  // the log path is relative to the current folder
  std::unique_ptr<WindowState> state_ = StateIn(dir_.path());
  RecordingSink sink_;
};

TEST_F(ImportTest, NewStartupLineIsImportedAndTheSameLogIsRefusedNextTime) {
  state().StartupMarker = kS1;
  WriteLog(Lines({{kS2, "console: chatter", "player connected"}, MatchBlock("Ann", 3), {"console: more"}, MatchBlock("Bob", 5),
                  {"console: the end"}}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(state().StartupMarker, kS2);
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.Kills[1], 3);
  EXPECT_EQ(state().Table.Kills[2], 5);
  EXPECT_EQ(state().Table.GamesPlayed[2], 1);
  EXPECT_EQ(state().Trace.substr(0, 10), "Name=Ann\r\n");
  EXPECT_EQ(state().TraceCaret, state().Trace.size());
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 1);
  EXPECT_EQ(state().Panel1[0], "Stats for Ann");
  EXPECT_EQ(state().Panel2[0], "Stats for Bob");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS2 + "\r\n");

  // Second press before the game was started again.
  ASSERT_EQ(Import(), Result::LogUnchanged);
  ExpectLogUnchanged();
  EXPECT_EQ(state().Table.GamesPlayed[1], 1);
}

TEST_F(ImportTest, NewMatchesBehindTheRememberedStartupLineAreNotAdded) {
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), MatchBlock("Ann", 1)}));
  ASSERT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(state().Table.GamesPlayed[1], 1);
}

TEST_F(ImportTest, LogWithoutStartupLineCountsAgainOnEveryPress) {
  WriteLog(Lines({{"", "chatter"}, MatchBlock("Ann", 2), {""}}));
  ASSERT_EQ(Import(), Result::Completed);
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.GamesPlayed[1], 2);
  EXPECT_EQ(state().Table.Kills[1], 4);
  EXPECT_EQ(state().StartupMarker, "") << "an empty line does not stop an import while no marker is known";
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(ImportTest, AnyLineOutsideABlockEqualToTheMarkerStops) {
  state().StartupMarker = "plain chatter";
  WriteLog(Lines({MatchBlock("Ann", 1), {"plain chatter"}, MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::LogUnchanged);
  ExpectLogUnchanged();
  EXPECT_EQ(state().Table.PlayerCount, 1) << "blocks before the line stay added";
  EXPECT_EQ(state().Combo1.ListIndex, -1) << "no refresh";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state()))) << "no settings save";
}

TEST_F(ImportTest, MarkerInsideABlockDoesNotStop) {
  state().StartupMarker = kS1;
  WriteLog({"console: Stats for: Ann", kS1, "console: Gauntlet:   2", "console:  ", kS2});
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.Gauntlet[1], 2);
  EXPECT_EQ(state().StartupMarker, kS2);
}

TEST_F(ImportTest, StartupLineSeenTwiceInOneLogStopsAtTheSecond) {
  WriteLog(Lines({{kS2}, MatchBlock("Ann", 1), {kS2}, MatchBlock("Bob", 1)}));
  ASSERT_EQ(Import(), Result::LogUnchanged);
  EXPECT_EQ(state().Table.PlayerCount, 1);
  EXPECT_EQ(state().StartupMarker, kS2);
}

TEST_F(ImportTest, CutOffLastBlockIsAddedAsFarAsItGoes) {
  WriteFile(dir_.path() / "basekrm" / "LOG.txt",
            CrLf(MatchBlock("Ann", 1)) + "console: Stats for: Bob\r\nconsole: Dmggiven: 70\r\nconsole: Dmgrecvd: 5");
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.DamageGiven[2], 70);
  EXPECT_EQ(state().Table.DamageReceived[2], 5);
}

TEST_F(ImportTest, MissingLogChangesNothing) {
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));
  fs::create_directories(dir_.path() / "basekrm" / "LOG.txt");
  ASSERT_EQ(Import(), Result::Failed) << "a folder is not a log";
  EXPECT_EQ(sink_.messages.size(), 2u);
}

TEST_F(ImportTest, MalformedLineEndsTheImportKeepingEarlierBlocks) {
  WriteLog(Lines({{kS2}, MatchBlock("Ann", 1), {"console: Stats for: Bob", "console: Shotgun:   1/2"}, MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_EQ(state().Table.PlayerCount, 2);
  EXPECT_EQ(state().Table.ShotgunHits[2], 1) << "the hits were added before the line failed";
  EXPECT_EQ(state().StartupMarker, kS2) << "a replaced marker stays replaced";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));

  // The log was closed: once fixed, the next press reads it again.
  WriteLog(Lines({{kS1}, MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Table.PlayerCount, 3);
}

TEST_F(ImportTest, HeaderWithNothingAfterTheColonFails) {
  WriteLog({"console: Stats for:"});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
}

TEST_F(ImportTest, FirstImportAfterAFirstRunSelectsBothPanels) {
  // No statistics file: neither selector has an entry before the import.
  WriteLog(Lines({{kS1}, MatchBlock("Ann", 1), MatchBlock("Bob", 2), MatchBlock("Cid", 3)}));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 1);
  EXPECT_EQ(state().Panel2[0], "Stats for Bob");
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS1 + "\r\n");
}

TEST_F(ImportTest, OnePlayerGoesIntoBothPanels) {
  WriteLog(MatchBlock("Ann", 1));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo2.ListIndex, 0);
  EXPECT_EQ(state().Panel2[0], "Stats for Ann");
}

TEST_F(ImportTest, LogWithoutBlocksCompletesAndSavesTheNewMarker) {
  WriteLog({kS2, "chatter"});
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo1.ListIndex, -1);
  EXPECT_EQ(state().Panel1, DesignPanelLabels()) << "panels without players keep their design texts";
  EXPECT_EQ(Settings(), "basekrm\\LOG.txt\r\n" + kS2 + "\r\n");
}

TEST_F(ImportTest, CompletedImportShowsTheFirstPlayerAndKeepsTheSecondSelection) {
  WriteLog(Lines({MatchBlock("Ann", 1), MatchBlock("Bob", 1), MatchBlock("Cid", 1)}));
  ASSERT_EQ(Import(), Result::Completed);
  SelectEntry(state(), Panel::First, 2);
  SelectEntry(state(), Panel::Second, 2);
  WriteLog(MatchBlock("Bob", 4));
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().Combo1.ListIndex, 0);
  EXPECT_EQ(state().Combo2.ListIndex, 2);
  EXPECT_EQ(state().Panel1[0], "Stats for Ann");
  EXPECT_EQ(state().Panel2[0], "Stats for Cid");
}

TEST_F(ImportTest, PanelRefreshFailureEndsWithTheMessageAndSkipsTheSave) {
  WriteLog({"console: Stats for: Ann", "console: BFG:   328/1 ", "console:  "});
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_EQ(state().Panel1[0], "Stats for Ann") << "labels before the failing accuracy show the player";
  EXPECT_EQ(state().Panel1[17], "100%") << "the failing label keeps its text";
  EXPECT_FALSE(fs::exists(SettingsFilePath(state())));
}

TEST_F(ImportTest, BackslashesInTheLogPathAreFolderSeparators) {
  fs::create_directories(dir_.path() / "logs" / "today");
  WriteFile(dir_.path() / "logs" / "today" / "LOG.txt", CrLf(MatchBlock("Ann", 1)));
  state().LogPath = "logs\\today\\LOG.txt";
  ASSERT_EQ(Import(), Result::Completed);
  EXPECT_EQ(state().LogPath, "logs\\today\\LOG.txt");
  EXPECT_EQ(Settings().substr(0, 20), "logs\\today\\LOG.txt\r\n");
  EXPECT_EQ(platform::NativePath("a\\b"), "a/b");
}

TEST_F(ImportTest, UnwritableSettingsEndTheImportWithTheMessage) {
  WriteLog(MatchBlock("Ann", 1));
  fs::create_directories(SettingsFilePath(state()));  // a folder where the file should go
  ASSERT_EQ(Import(), Result::Failed);
  ExpectLogNotFound();
  EXPECT_EQ(state().Table.PlayerCount, 1);
}

}  // namespace
}  // namespace fragtally
