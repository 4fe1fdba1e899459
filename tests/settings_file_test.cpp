// The settings file: two lines, defaults, and what a save writes.
#include <gtest/gtest.h>

#include "files/paths.h"
#include "files/settings_file.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::ReadFile;
using testing::StateIn;
using testing::TempDir;
using testing::WriteFile;

class SettingsTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::unique_ptr<WindowState> state_ = StateIn(dir_.path());
  void Load(const std::string& contents) {
    WriteFile(SettingsFilePath(*state_), contents);
    LoadSettings(*state_);
  }
};

TEST_F(SettingsTest, MissingOrEmptyFileGivesTheDefaults) {
  LoadSettings(*state_);
  EXPECT_EQ(state_->LogPath, "basekrm\\LOG.txt");
  EXPECT_EQ(state_->StartupMarker, "");
  auto other = StateIn(dir_.path());
  WriteFile(SettingsFilePath(*other), "");
  LoadSettings(*other);
  EXPECT_EQ(other->LogPath, "basekrm\\LOG.txt");
}

TEST_F(SettingsTest, ValuesAreTakenExactly) {
  Load("  \r\n--- Fs_startup : Mon Dec 07 12:00:00 2026\r\nthird line\r\n");
  EXPECT_EQ(state_->LogPath, "  ");
  EXPECT_EQ(state_->StartupMarker, "--- Fs_startup : Mon Dec 07 12:00:00 2026");
}

TEST_F(SettingsTest, EmptyFirstLineGivesTheDefaultWithTheMarker) {
  Load("\r\nmarker");
  EXPECT_EQ(state_->LogPath, "basekrm\\LOG.txt");
  EXPECT_EQ(state_->StartupMarker, "marker");
}

TEST_F(SettingsTest, OneLineSetsOnlyThePath) {
  Load("C:\\Games\\krm\\LOG.txt");
  EXPECT_EQ(state_->LogPath, "C:\\Games\\krm\\LOG.txt");
  EXPECT_EQ(state_->StartupMarker, "");
}

TEST_F(SettingsTest, SaveWritesExactlyTwoLines) {
  Load("mylog.txt\r\n\r\nextra\r\n");
  SaveSettings(*state_);
  EXPECT_EQ(ReadFile(SettingsFilePath(*state_)), "mylog.txt\r\n\r\n");
  state_->StartupMarker = "--- Fs_startup : x";
  SaveSettings(*state_);
  EXPECT_EQ(ReadFile(SettingsFilePath(*state_)), "mylog.txt\r\n--- Fs_startup : x\r\n");
}

}  // namespace
}  // namespace fragtally
