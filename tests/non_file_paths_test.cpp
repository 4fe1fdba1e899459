// Names that are no regular file, as the player meets them: a log path that
// names a folder or a device (or, on POSIX systems, a FIFO nobody writes) and
// an export to one. The import and the export end at once and say what the
// name is, in the player's words; nothing is read, written or replaced.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/exports/export.h"
#include "app/text/messages.h"
#include "files/paths.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::ImportResult;
using testing::PressImport;
using testing::ReadFile;
using testing::RecordingSink;
using testing::StateIn;
using testing::TempDir;
using testing::WriteStatsFile;

constexpr const char* kFolderCause = "Причина: под этим именем папка, а не файл.";
constexpr const char* kNotAFileCause = "Причина: под этим именем не обычный файл, а устройство";

// Each name with the words its cause begins with.
std::vector<std::pair<std::string, std::string>> SpecialNames(const TempDir& dir) {
  std::filesystem::create_directories(dir.path() / "a folder");
  std::vector<std::pair<std::string, std::string>> names = {{(dir.path() / "a folder").string(), kFolderCause}};
#ifdef _WIN32
  names.emplace_back((dir.path() / "NUL").string(), kNotAFileCause);
  names.emplace_back("CON", kNotAFileCause);
#else
  names.emplace_back("/dev/null", kNotAFileCause);
  const std::string fifo = (dir.path() / "fifo").string();
  EXPECT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  names.emplace_back(fifo, kNotAFileCause);
#endif
  return names;
}

TEST(SpecialFiles, ALogPathThatNamesNoFileSaysWhatItIs) {
  TempDir game, others;
  for (const auto& [log, cause] : SpecialNames(others)) {
    SCOPED_TRACE(log);
    auto state = StateIn(game.path());
    WriteStatsFile(*state, "");
    state->LogPath = log;
    RecordingSink sink;
    EXPECT_EQ(PressImport(*state, sink), ImportResult::Failed);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].title, kLogNotFoundTitle);
    EXPECT_NE(sink.messages[0].text.find("\r\n" + cause), std::string::npos) << sink.messages[0].text;
    EXPECT_EQ(ReadFile(StatsFilePath(*state)), "");
  }
}

TEST(SpecialFiles, AnExportToANameThatIsNoFileIsRefusedAndSaysWhy) {
  TempDir dir;
  auto state = StateIn(dir.path());
  for (const auto& [target, cause] : SpecialNames(dir)) {
    SCOPED_TRACE(target);
    const ExportResult result = WriteExport(ExportKind::Csv, state->Table, MatchSnapshot{}, target, CsvFormat{});
    EXPECT_EQ(result.ExitCode, kExportWriteFailed);
    // The cause in the export's own words: "(<cause>)." after the file's name.
    const std::string words = cause.substr(std::string("Причина: ").size());
    const std::string shown = words.back() == '.' ? words.substr(0, words.size() - 1) : words;
    EXPECT_NE(result.Message.find(" (" + shown), std::string::npos) << result.Message;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a folder"));
}

}  // namespace
}  // namespace fragtally
