// The platform layer on Windows: the program's folder, file names as bytes in
// the ANSI code page, the log path against the current folder, the atomic
// replace and the backup with the Win32 calls, and the same save failures the
// Linux reliability tests inject, where Wine allows them: a full disk and a
// read-only one (folders prepared by tests/win32/run_tests.sh, which mounts a
// small and a read-only tmpfs), a target held open by another program, a
// folder where the file belongs.

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/commands.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "stats/player_table.h"
#include "platform/platform.h"
#include "test_support.h"
#include "window/win32/text.h"

namespace fragtally {
namespace {

using testing::CurrentFolder;
using testing::ReadFile;
using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;

platform::FileSystem& Native() { return platform::NativeFileSystem(); }

// The names in a folder, sorted, one a line (UTF-8).
std::string Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(win32::ToUtf8(entry.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  std::string out;
  for (const auto& name : names) out += name + "\n";
  return out;
}

// A path as the program keeps it: bytes in the ANSI code page.
std::string Ansi(const std::filesystem::path& path) {
  const std::wstring wide = path.wstring();
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

DWORD LinksOf(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return info.nNumberOfLinks;
}

const std::string kGrach = "\xC3\xF0\xE0\xF7";  // Грач in Windows-1251

TEST(Win32Platform, TheProgramFolderIsTheExecutablesFolder) {
  wchar_t module[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::filesystem::path expected = std::filesystem::path(module).parent_path();
  const std::string folder = platform::ExecutableFolder();
  EXPECT_EQ(folder, Ansi(expected));
  EXPECT_NE(folder.back(), '\\');
  EXPECT_TRUE(std::filesystem::is_directory(expected));
  // And a new window's state starts there.
  RecordingSink sink;
  auto state = NewForm1State(platform::ExecutableFolder());
  EXPECT_EQ(StatsFilePath(*state), folder + "\\basekrm\\Stats.krm");
  EXPECT_EQ(PanelPicturePath(*state), folder + "\\basekrm\\custom\\stats.jpg");
}

TEST(Win32Platform, FileNamesAreBytesInTheAnsiCodePage) {
  TempDir dir;
  const std::string name = Ansi(dir.path()) + "\\" + kGrach + "\\" + kGrach + ".txt";
  std::string error;
  ASSERT_TRUE(Native().ReplaceFile(name, "bytes\r\n", error)) << error;
  // The system got the characters these bytes are in the ANSI code page.
  wchar_t wide[16] = L"";
  const int n = MultiByteToWideChar(CP_ACP, 0, kGrach.data(), 4, wide, 16);
  const std::wstring grach(wide, static_cast<std::size_t>(n));
  if (GetACP() == 1251) {
    EXPECT_EQ(grach, L"Грач");
  }
  const std::filesystem::path on_disk = dir.path() / grach / (grach + L".txt");
  EXPECT_TRUE(std::filesystem::exists(on_disk));
  EXPECT_EQ(ReadFile(on_disk), "bytes\r\n");
  auto file = Native().OpenForReading(name);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 7);
  char buffer[16];
  EXPECT_EQ(file->ReadAt(0, buffer, sizeof buffer), 7);
  EXPECT_EQ(file->ReadAt(7, buffer, sizeof buffer), 0);
  EXPECT_EQ(file->ReadAt(100, buffer, sizeof buffer), 0);
  EXPECT_TRUE(Native().Exists(name));
  EXPECT_TRUE(Native().Exists(Ansi(dir.path()) + "\\" + kGrach));
  EXPECT_EQ(Native().OpenForReading(Ansi(dir.path()) + "\\" + kGrach), nullptr) << "a folder";
  EXPECT_EQ(Native().OpenForReading(name + ".missing"), nullptr);
}

// The settings file's log path is taken as it stands: backslashes and all,
// relative to the current folder, in the ANSI code page.
TEST(Win32Platform, TheLogPathIsResolvedAgainstTheCurrentFolder) {
  TempDir program, game;
  const std::wstring folder = win32::FromAnsiCodePage(kGrach);
  WriteFile(game.path() / L"logs" / folder / L"LOG.txt",
            testing::CrLf(testing::Lines({{"--- Fs_startup : Sun Mar 15 18:02:44 2026"}, testing::MatchBlock("Ann", 3)})));
  CurrentFolder in_game(game.path());
  auto state = testing::StateIn(program.path());
  WriteFile(program.path() / "basekrm" / "mSetup.ini", "logs\\" + kGrach + "\\LOG.txt\r\n\r\n");
  RecordingSink sink;
  Form_Load(*state, sink);  // no statistics file yet
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(state->LogPath, "logs\\" + kGrach + "\\LOG.txt");
  Command1_Click(*state, sink);
  EXPECT_EQ(sink.messages.size(), 1u) << sink.messages.back().title;
  EXPECT_EQ(state->Table.PlayerCount, 1);
  const std::string first_line = "logs\\" + kGrach + "\\LOG.txt\r\n";
  EXPECT_EQ(ReadFile(program.path() / "basekrm" / "mSetup.ini").substr(0, first_line.size()), first_line);
  EXPECT_TRUE(std::filesystem::exists(program.path() / "basekrm" / "Stats.krm"));
}

TEST(Win32Platform, ReplaceWritesEveryByteAndLeavesNothingBeside) {
  TempDir dir;
  const std::string path = Ansi(dir.path()) + "\\new\\folder\\file.bin";
  std::string big(3 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  std::string error;
  ASSERT_TRUE(Native().ReplaceFile(path, "old\r\n", error)) << error;
  ASSERT_TRUE(Native().ReplaceFile(path, big, error)) << error;
  EXPECT_EQ(ReadFile(dir.path() / "new" / "folder" / "file.bin"), big);
  ASSERT_TRUE(Native().ReplaceFile(path, "", error)) << error;
  EXPECT_EQ(ReadFile(dir.path() / "new" / "folder" / "file.bin"), "");
  EXPECT_EQ(Listing(dir.path() / "new" / "folder"), "file.bin\n");
}

TEST(Win32Platform, ReplaceRefusedKeepsTheOldFile) {
  TempDir dir;
  const auto target = dir.path() / "Stats.krm";
  WriteFile(target, "old\r\n");
  std::string error;
  {
    // Another program holds the file open without letting it be replaced.
    HANDLE held = CreateFileW(target.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Native().ReplaceFile(Ansi(target), "new\r\n", error));
    CloseHandle(held);
  }
  EXPECT_NE(error.find("Stats.krm"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(target), "old\r\n");
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\n");
  // A folder where the file belongs.
  std::filesystem::create_directories(dir.path() / "mSetup.ini");
  error.clear();
  EXPECT_FALSE(Native().ReplaceFile(Ansi(dir.path() / "mSetup.ini"), "new\r\n", error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "mSetup.ini"));
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\nmSetup.ini\n");
}

TEST(Win32Platform, KeepCopyIsAHardLinkAndNeverReplacesACopy) {
  TempDir dir;
  const auto original = dir.path() / "Stats.krm";
  const auto backup = dir.path() / "Stats.krm.20260315-180244.bak";
  WriteFile(original, "old\r\n");
  std::string error;
  ASSERT_TRUE(Native().KeepCopy(Ansi(original), Ansi(backup), error)) << error;
  EXPECT_EQ(LinksOf(original), 2u);
  EXPECT_EQ(ReadFile(backup), "old\r\n");
  // The atomic replace gives the name a new file; the copy keeps the old one.
  ASSERT_TRUE(Native().ReplaceFile(Ansi(original), "new\r\n", error)) << error;
  EXPECT_EQ(ReadFile(backup), "old\r\n");
  EXPECT_FALSE(Native().KeepCopy(Ansi(original), Ansi(backup), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadFile(backup), "old\r\n");
}

// A partial load keeps the old file under a backup name before the save.
TEST(Win32Platform, APartialLoadKeepsTheOldFileBeforeTheSave) {
  TempDir dir;
  auto state = testing::StateIn(dir.path());
  const std::string broken = testing::StatsFileOf({testing::Totals{"Ann"}}) + "console: Stats for:\r\n";
  testing::WriteStatsFile(*state, broken);
  RecordingSink sink;
  Form_Load(*state, sink);
  ASSERT_EQ(sink.messages.size(), 1u);
  Form_Unload(*state, sink);
  EXPECT_EQ(sink.messages.size(), 1u);
  const std::string listing = Listing(dir.path() / "basekrm");
  EXPECT_NE(listing.find("Stats.krm.2"), std::string::npos) << listing;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "basekrm")) {
    if (entry.path().extension() == ".bak") {
      EXPECT_EQ(ReadFile(entry.path()), broken);
    }
  }
}

TEST(Win32Platform, LargeBlocksAreWritable) {
  const std::size_t size = 256u << 20;
  char* block = static_cast<char*>(platform::AllocateLarge(size));
  block[0] = 1;
  block[size - 1] = 2;
  EXPECT_EQ(block[0] + block[size - 1], 3);
  platform::FreeLarge(block, size);
  const std::string stamp = platform::LocalTimeStamp();
  EXPECT_EQ(stamp.size(), 15u);
  EXPECT_EQ(stamp[8], '-');
}

// --- failures of the disk (folders prepared by tests/win32/run_tests.sh) ------------------

std::filesystem::path PreparedFolder(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

// Closing with many players where both saves fail: the user is told twice,
// and the old files stay byte for byte with nothing beside them.
void ExpectClosingFailsAndKeepsTheOldFiles(const std::filesystem::path& program_folder, const std::string& listing) {
  const std::string old_stats = ReadFile(program_folder / "basekrm" / "Stats.krm");
  const std::string old_settings = ReadFile(program_folder / "basekrm" / "mSetup.ini");
  auto state = NewForm1State(Ansi(program_folder));
  RecordingSink sink;
  Form_Load(*state, sink);
  ASSERT_TRUE(sink.messages.empty()) << sink.messages[0].title;
  ASSERT_GT(state->Table.PlayerCount, 0);
  state->LogPath = "a new log path\\LOG.txt";  // the settings differ from the file's
  Form_Unload(*state, sink);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].title, kSaveFailedTitle);
  EXPECT_EQ(sink.messages[0].text.rfind(kStatsSaveFailedText, 0), 0u);
  EXPECT_GT(sink.messages[0].text.size(), std::string(kStatsSaveFailedText).size());
  EXPECT_EQ(sink.messages[1].text.rfind(kSettingsSaveFailedText, 0), 0u);
  EXPECT_EQ(ReadFile(program_folder / "basekrm" / "Stats.krm"), old_stats);
  EXPECT_EQ(ReadFile(program_folder / "basekrm" / "mSetup.ini"), old_settings);
  EXPECT_EQ(Listing(program_folder / "basekrm"), listing);
}

TEST(Win32SaveFaults, AFullDiskKeepsTheOldFiles) {
  const std::filesystem::path prepared = PreparedFolder("FRAGTALLY_FULL_FOLDER");
  if (prepared.empty()) GTEST_SKIP() << "no small file system prepared (FRAGTALLY_FULL_FOLDER)";
  const std::filesystem::path full = prepared / ("run-" + std::to_string(GetCurrentProcessId()));
  struct RemovedAfterwards {
    std::filesystem::path folder;
    ~RemovedAfterwards() {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    }
  } removed{full};
  const auto basekrm = full / "basekrm";
  std::filesystem::create_directories(basekrm);
  auto state = NewForm1State(Ansi(full));
  for (int i = 1; i <= 3; ++i) {
    state->CurrentName = "Player " + std::to_string(i);
    FindOrAddPlayer(*state);
  }
  state->LogPath = "basekrm\\LOG.txt";
  SaveStatsFile(*state);
  WriteFile(basekrm / "mSetup.ini", "basekrm\\LOG.txt\r\n\r\n");
  // More than is left: the system takes part of it (a short write), the
  // rest is asked for again and refused; the old file stays, nothing beside it.
  std::string error;
  const std::string old_stats = ReadFile(basekrm / "Stats.krm");
  EXPECT_FALSE(Native().ReplaceFile(Ansi(basekrm / "Stats.krm"), std::string(1 << 20, 'b'), error));
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 ERROR_DISK_FULL, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring disk_full = text != nullptr ? text : L"";
  if (text != nullptr) LocalFree(text);
  while (!disk_full.empty() && (disk_full.back() == L'\r' || disk_full.back() == L'\n' || disk_full.back() == L' '))
    disk_full.pop_back();
  EXPECT_NE(error.find(win32::ToUtf8(disk_full)), std::string::npos) << error;
  EXPECT_EQ(ReadFile(basekrm / "Stats.krm"), old_stats);
  EXPECT_EQ(Listing(basekrm), "Stats.krm\nmSetup.ini\n");
  // Fill what is left.
  {
    HANDLE filler = CreateFileW((basekrm / "filler").wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(filler, INVALID_HANDLE_VALUE);
    std::string block(4096, 'x');
    DWORD written = 0;
    while (::WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written > 0) {
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    CloseHandle(filler);
  }
  ExpectClosingFailsAndKeepsTheOldFiles(full, "Stats.krm\nfiller\nmSetup.ini\n");
}

TEST(Win32SaveFaults, AReadOnlyDiskKeepsTheOldFiles) {
  const std::filesystem::path read_only = PreparedFolder("FRAGTALLY_READONLY_FOLDER");
  if (read_only.empty()) GTEST_SKIP() << "no read-only file system prepared (FRAGTALLY_READONLY_FOLDER)";
  std::string error;
  EXPECT_FALSE(Native().ReplaceFile(Ansi(read_only / "basekrm" / "new.txt"), "x", error));
  EXPECT_NE(error.find("new.txt"), std::string::npos) << error;
  ExpectClosingFailsAndKeepsTheOldFiles(read_only, "Stats.krm\nmSetup.ini\n");
}

// Where no hard link can be made (another file system), the copy is made
// and checked.
TEST(Win32SaveFaults, KeepCopyCopiesWhereNoLinkCanBeMade) {
  const std::filesystem::path read_only = PreparedFolder("FRAGTALLY_READONLY_FOLDER");
  if (read_only.empty()) GTEST_SKIP() << "no second file system prepared (FRAGTALLY_READONLY_FOLDER)";
  TempDir dir;
  const auto original = read_only / "basekrm" / "Stats.krm";
  const auto copy = dir.path() / "Stats.krm.bak";
  std::string error;
  ASSERT_TRUE(Native().KeepCopy(Ansi(original), Ansi(copy), error)) << error;
  EXPECT_EQ(ReadFile(copy), ReadFile(original));
  EXPECT_EQ(LinksOf(copy), 1u);
  EXPECT_FALSE(Native().KeepCopy(Ansi(original), Ansi(copy), error)) << "never over a copy";
}

}  // namespace
}  // namespace fragtally
