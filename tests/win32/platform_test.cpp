// The platform layer on Windows: the program's folder, file names as UTF-8
// or as bytes in the ANSI code page, folders the code page cannot spell, paths
// longer than MAX_PATH, the log path against the current folder, the atomic
// replace and the backup with the Win32 calls, files other programs hold
// (tried again until they let go), the game's VirtualStore copy, one copy of
// the program per game folder, and the same save failures the Linux
// reliability tests inject, where Wine allows them: a full disk and a
// read-only one (folders prepared by tests/win32/run_tests.sh, which mounts a
// small and a read-only tmpfs), a read-only file, a folder or a device where
// the file belongs, a symbolic link. Wine enforces share modes as Windows does, also within one process.

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window/commands.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "stats/player_table.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "test_support.h"
#include "window/win32/text.h"

namespace fragtally {
namespace {

using testing::CurrentFolder;
using testing::ReadFile;
using testing::RecordingSink;
using testing::TempDir;
using testing::WriteFile;

using platform::FileFailure;
using platform::FileFault;

platform::FileSystem& Native() { return platform::NativeFileSystem(); }

std::string Utf8(const std::filesystem::path& path) { return win32::ToUtf8(path.wstring()); }

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
  EXPECT_EQ(folder, Utf8(expected));
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
  FileFailure failure;
  ASSERT_TRUE(Native().ReplaceFile(name, "bytes\r\n", failure)) << failure.SystemText;
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
  failure = {};
  EXPECT_EQ(Native().OpenForReading(Ansi(dir.path()) + "\\" + kGrach, &failure), nullptr) << "a folder";
  EXPECT_EQ(failure.Fault, FileFault::Folder);
  EXPECT_EQ(failure.Path, Ansi(dir.path()) + "\\" + kGrach);
  failure = {};
  EXPECT_EQ(Native().OpenForReading(name + ".missing", &failure), nullptr);
  EXPECT_EQ(failure.Fault, FileFault::NotFound);
  EXPECT_EQ(failure.Code, static_cast<int>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(failure.Path, name + ".missing");
  failure = {};
  EXPECT_EQ(Native().OpenForReading(Ansi(dir.path()) + "\\missing\\LOG.txt", &failure), nullptr);
  EXPECT_EQ(failure.Fault, FileFault::NotFound);
  EXPECT_EQ(failure.Code, static_cast<int>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(failure.SystemText.empty());
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
  FileFailure failure;
  ASSERT_TRUE(Native().ReplaceFile(path, "old\r\n", failure)) << failure.SystemText;
  ASSERT_TRUE(Native().ReplaceFile(path, big, failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(dir.path() / "new" / "folder" / "file.bin"), big);
  ASSERT_TRUE(Native().ReplaceFile(path, "", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(dir.path() / "new" / "folder" / "file.bin"), "");
  EXPECT_EQ(Listing(dir.path() / "new" / "folder"), "file.bin\n");
}

TEST(Win32Platform, ReplaceRefusedKeepsTheOldFile) {
  TempDir dir;
  const auto target = dir.path() / "Stats.krm";
  WriteFile(target, "old\r\n");
  FileFailure failure;
  // A folder where the file belongs: refused at once, not tried again.
  std::filesystem::create_directories(dir.path() / "mSetup.ini");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Native().ReplaceFile(Ansi(dir.path() / "mSetup.ini"), "new\r\n", failure));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(failure.Path, Ansi(dir.path() / "mSetup.ini"));
  EXPECT_NE(failure.Fault, FileFault::None);
  EXPECT_FALSE(failure.SystemText.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "mSetup.ini"));
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\nmSetup.ini\n");
}

TEST(Win32Platform, KeepCopyIsAHardLinkAndNeverReplacesACopy) {
  TempDir dir;
  const auto original = dir.path() / "Stats.krm";
  const auto backup = dir.path() / "Stats.krm.20260315-180244.bak";
  WriteFile(original, "old\r\n");
  FileFailure failure;
  ASSERT_TRUE(Native().KeepCopy(Ansi(original), Ansi(backup), failure)) << failure.SystemText;
  EXPECT_EQ(LinksOf(original), 2u);
  EXPECT_EQ(ReadFile(backup), "old\r\n");
  // The atomic replace gives the name a new file; the copy keeps the old one.
  ASSERT_TRUE(Native().ReplaceFile(Ansi(original), "new\r\n", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(backup), "old\r\n");
  EXPECT_FALSE(Native().KeepCopy(Ansi(original), Ansi(backup), failure));
  EXPECT_EQ(failure.Path, Ansi(backup));
  EXPECT_EQ(failure.Fault, FileFault::Other);
  EXPECT_EQ(failure.Code, static_cast<int>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadFile(backup), "old\r\n");
  // Of a file that is not there, the original is named.
  failure = {};
  EXPECT_FALSE(Native().KeepCopy(Ansi(dir.path() / "missing.krm"), Ansi(dir.path() / "missing.krm.bak"), failure));
  EXPECT_EQ(failure.Fault, FileFault::NotFound);
  EXPECT_EQ(failure.Path, Ansi(dir.path() / "missing.krm"));
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\nStats.krm.20260315-180244.bak\n");
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
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].title, kStatsBackupTitle) << "the player is told the backup's name";
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

// --- files other programs hold --------------------------------------------------------

// Another program (an editor, a virus scanner, a sync tool, the game) has the
// file open for reading and writing, sharing it as `share` says, never
// letting it be deleted or renamed (no FILE_SHARE_DELETE).
class Holder {
 public:
  Holder(const std::filesystem::path& path, DWORD share)
      : handle_(CreateFileW(path.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~Holder() {
    if (releaser_.joinable()) releaser_.join();
    Release();
  }
  bool Holds() const { return handle_.load() != INVALID_HANDLE_VALUE; }
  void ReleaseAfter(int milliseconds) {
    releaser_ = std::thread([this, milliseconds] {
      Sleep(static_cast<DWORD>(milliseconds));
      Release();
    });
  }
  void Release() {
    HANDLE handle = handle_.exchange(INVALID_HANDLE_VALUE);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }

 private:
  std::atomic<HANDLE> handle_;
  std::thread releaser_;
};

struct ShareMode {
  DWORD share;
  const char* name;
};
const ShareMode kShareModes[] = {
    {0, "not shared"},
    {FILE_SHARE_READ, "shared for reading"},
    {FILE_SHARE_READ | FILE_SHARE_WRITE, "shared for reading and writing"},
};

enum class Operation { Open, Replace, KeepCopy };
const char* NameOf(Operation operation) {
  switch (operation) {
    case Operation::Open: return "open for reading";
    case Operation::Replace: return "replace";
    case Operation::KeepCopy: return "keep a copy";
  }
  return "";
}

// Whether a holder with `share` keeps `operation` from working: reading
// needs the holder to share reading; the replace renames over the file,
// which needs FILE_SHARE_DELETE; a copy reads the file.
bool Blocks(Operation operation, DWORD share) {
  return operation == Operation::Replace || (share & FILE_SHARE_READ) == 0;
}

// A file system other than the temporary folder's, where no hard link into
// it can be made (Wine's Z: drive is the Linux root; /dev/shm is a tmpfs).
std::filesystem::path OtherFileSystem() {
  const std::filesystem::path shm = L"Z:\\dev\\shm";
  std::error_code ec;
  if (!std::filesystem::is_directory(shm, ec)) return {};
  const std::filesystem::path folder = shm / ("fragtally-platform-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(folder, ec);
  return ec ? std::filesystem::path() : folder;
}

// A statistics file another program holds, and each operation on it.
class HeldFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    other_ = OtherFileSystem();
    if (other_.empty()) GTEST_SKIP() << "no second file system for the copy";
  }
  void TearDown() override {
    platform::SetRetryMilliseconds(platform::kDefaultRetryMilliseconds);
    std::error_code ec;
    if (!other_.empty()) std::filesystem::remove_all(other_, ec);
  }

  // The file the operation works on, with its old contents.
  std::filesystem::path Prepare(Operation operation) {
    std::error_code ec;
    std::filesystem::remove_all(dir_.path() / "basekrm", ec);
    std::filesystem::remove_all(other_ / "basekrm", ec);
    // The copy is made across file systems: by CopyFileW, not as a link.
    const auto target = (operation == Operation::KeepCopy ? other_ : dir_.path()) / "basekrm" / "Stats.krm";
    WriteFile(target, kOld);
    return target;
  }
  std::filesystem::path CopyOf() const { return dir_.path() / "Stats.krm.bak"; }

  bool Run(Operation operation, const std::filesystem::path& target, FileFailure& failure) {
    switch (operation) {
      case Operation::Open: {
        auto file = Native().OpenForReading(Ansi(target), &failure);
        if (file == nullptr) return false;
        char buffer[64];
        return file->ReadAt(0, buffer, sizeof buffer) == static_cast<long long>(kOld.size()) &&
               std::string(buffer, kOld.size()) == kOld;
      }
      case Operation::Replace: return Native().ReplaceFile(Ansi(target), kNew, failure);
      case Operation::KeepCopy: return Native().KeepCopy(Ansi(target), Ansi(CopyOf()), failure);
    }
    return false;
  }

  // After a success: the new file in place, or the copy beside; nothing else.
  void ExpectDone(Operation operation, const std::filesystem::path& target) {
    EXPECT_EQ(ReadFile(target), operation == Operation::Replace ? kNew : kOld);
    EXPECT_EQ(Listing(target.parent_path()), "Stats.krm\n");
    if (operation == Operation::KeepCopy) {
      EXPECT_EQ(ReadFile(CopyOf()), kOld);
      std::filesystem::remove(CopyOf());
    }
    EXPECT_FALSE(std::filesystem::exists(CopyOf()));
  }

  const std::string kOld = "old statistics\r\n", kNew = "new statistics\r\n";
  TempDir dir_;
  std::filesystem::path other_;
};

TEST_F(HeldFiles, ReleasedWithinTheRetriesTheOperationSucceeds) {
  for (Operation operation : {Operation::Open, Operation::Replace, Operation::KeepCopy}) {
    for (const ShareMode& mode : kShareModes) {
      SCOPED_TRACE(std::string(NameOf(operation)) + ", held " + mode.name);
      const auto target = Prepare(operation);
      Holder holder(target, mode.share);
      ASSERT_TRUE(holder.Holds());
      holder.ReleaseAfter(200);
      FileFailure failure;
      const auto start = std::chrono::steady_clock::now();
      EXPECT_TRUE(Run(operation, target, failure)) << failure.Code << " " << failure.SystemText;
      const auto waited = std::chrono::steady_clock::now() - start;
      if (Blocks(operation, mode.share)) {
        EXPECT_GE(waited, std::chrono::milliseconds(150)) << "done while still held";
        EXPECT_FALSE(holder.Holds());
      } else {
        EXPECT_TRUE(holder.Holds()) << "waited for a holder that shares the file";
      }
      holder.Release();
      ExpectDone(operation, target);
    }
  }
}

TEST_F(HeldFiles, HeldForGoodItFailsInUseAndTheOldFileStays) {
  platform::SetRetryMilliseconds(400);
  for (Operation operation : {Operation::Open, Operation::Replace, Operation::KeepCopy}) {
    for (const ShareMode& mode : kShareModes) {
      if (!Blocks(operation, mode.share)) continue;
      SCOPED_TRACE(std::string(NameOf(operation)) + ", held " + mode.name);
      const auto target = Prepare(operation);
      const std::string listing = Listing(target.parent_path());
      Holder holder(target, mode.share);
      ASSERT_TRUE(holder.Holds());
      FileFailure failure;
      const auto start = std::chrono::steady_clock::now();
      EXPECT_FALSE(Run(operation, target, failure));
      const auto waited = std::chrono::steady_clock::now() - start;
      EXPECT_GE(waited, std::chrono::milliseconds(380));
      EXPECT_LT(waited, std::chrono::milliseconds(1500));
      EXPECT_EQ(failure.Fault, FileFault::InUse) << failure.Code << " " << failure.SystemText;
      EXPECT_EQ(failure.Code, static_cast<int>(ERROR_SHARING_VIOLATION));
      EXPECT_EQ(failure.Path, Ansi(target)) << "the file the player knows";
      EXPECT_FALSE(failure.SystemText.empty());
      EXPECT_FALSE(failure.ProtectedFolder);
      holder.Release();
      EXPECT_EQ(ReadFile(target), kOld);
      EXPECT_EQ(Listing(target.parent_path()), listing) << "a temporary file left behind";
      EXPECT_FALSE(std::filesystem::exists(CopyOf()));
    }
  }
  // Without retries: no pause at all. Told apart from the 400 ms of retries
  // above, not by a tight bound of its own (a loaded machine under Wine took
  // 211 ms for the one try).
  platform::SetRetryMilliseconds(0);
  const auto target = Prepare(Operation::Replace);
  Holder holder(target, 0);
  FileFailure failure;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Run(Operation::Replace, target, failure));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(380));
  EXPECT_EQ(failure.Fault, FileFault::InUse);
}

// The program's handlers with a statistics file another program holds, in
// each share mode, at an import and at closing: the player is told which file
// and why, the settings stay with the statistics on disk, and once the holder
// lets go a new start counts every match once.
TEST_F(HeldFiles, ImportAndClosingWithTheStatisticsFileHeld) {
  platform::SetRetryMilliseconds(100);
  for (const ShareMode& mode : kShareModes) {
    SCOPED_TRACE(mode.name);
    std::error_code ec;
    std::filesystem::remove_all(dir_.path() / "basekrm", ec);
    const auto basekrm = dir_.path() / "basekrm";
    CurrentFolder here(dir_.path());
    const std::string ann = testing::CrLf(testing::Lines({{"--- Fs_startup : one"}, testing::MatchBlock("Ann", 1)}));
    WriteFile(basekrm / "LOG.txt", ann);
    auto state = NewForm1State(Ansi(dir_.path()));
    RecordingSink sink;
    Form_Load(*state, sink);
    Command1_Click(*state, sink);
    const std::string settings = ReadFile(basekrm / "mSetup.ini");
    const std::string stats = ReadFile(basekrm / "Stats.krm");
    WriteFile(basekrm / "LOG.txt", ann + testing::CrLf(testing::MatchBlock("Bob", 2)));
    {
      Holder holder(basekrm / "Stats.krm", mode.share);
      ASSERT_TRUE(holder.Holds());
      for (const char* moment : {"import", "closing"}) {
        SCOPED_TRACE(moment);
        sink.messages.clear();
        if (moment[0] == 'i')
          Command1_Click(*state, sink);
        else
          Form_Unload(*state, sink);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].title, kSaveFailedTitle);
        const std::string& text = sink.messages[0].text;
        EXPECT_NE(text.find("\r\n" + Ansi(basekrm / "Stats.krm") + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Причина: файл занят другой программой"), std::string::npos) << text;
      }
    }
    EXPECT_EQ(ReadFile(basekrm / "Stats.krm"), stats);
    EXPECT_EQ(ReadFile(basekrm / "mSetup.ini"), settings);
    auto next = NewForm1State(Ansi(dir_.path()));
    sink.messages.clear();
    Form_Load(*next, sink);
    Command1_Click(*next, sink);
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_EQ(next->Table.PlayerCount, 2);
    EXPECT_EQ(next->Table.GamesPlayed[1], 1);
    EXPECT_EQ(next->Table.GamesPlayed[2], 1);
  }
  platform::SetRetryMilliseconds(platform::kDefaultRetryMilliseconds);
}

// Where the file system has hard links, the copy is a second name made while
// the file is held: no sharing is asked for.
TEST_F(HeldFiles, AHardLinkIsMadeWhileTheFileIsHeld) {
  platform::SetRetryMilliseconds(0);
  const auto target = Prepare(Operation::Replace);
  Holder holder(target, 0);
  FileFailure failure;
  ASSERT_TRUE(Native().KeepCopy(Ansi(target), Ansi(target.parent_path() / "Stats.krm.bak"), failure))
      << failure.SystemText;
  holder.Release();  // a second name of the same file, held alike
  EXPECT_EQ(LinksOf(target.parent_path() / "Stats.krm.bak"), 2u);
  EXPECT_EQ(ReadFile(target.parent_path() / "Stats.krm.bak"), kOld);
}

// Copied where no link can be made, a read-only statistics file gives a
// read-only copy with every byte.
TEST_F(HeldFiles, AReadOnlyFileIsCopiedReadOnly) {
  const auto target = Prepare(Operation::KeepCopy);
  ASSERT_TRUE(SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  FileFailure failure;
  EXPECT_TRUE(Native().KeepCopy(Ansi(target), Ansi(CopyOf()), failure)) << failure.Code << " " << failure.SystemText;
  EXPECT_EQ(ReadFile(CopyOf()), kOld);
  EXPECT_EQ(LinksOf(CopyOf()), 1u);
  EXPECT_EQ(GetFileAttributesW(CopyOf().wstring().c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  SetFileAttributesW(CopyOf().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32Platform, AReadOnlyFileIsAccessDeniedAtOnce) {
  TempDir dir;
  const auto target = dir.path() / "Stats.krm";
  WriteFile(target, "old\r\n");
  ASSERT_TRUE(SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  FileFailure failure;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Native().ReplaceFile(Ansi(target), "new\r\n", failure));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << "waited for a read-only file";
  EXPECT_EQ(failure.Fault, FileFault::AccessDenied);
  EXPECT_EQ(failure.Code, static_cast<int>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(failure.Path, Ansi(target));
  EXPECT_FALSE(failure.SystemText.empty());
  EXPECT_FALSE(failure.ProtectedFolder);
  EXPECT_EQ(GetFileAttributesW(target.wstring().c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFile(target), "old\r\n");
  EXPECT_EQ(Listing(dir.path()), "Stats.krm\n");
}

// --- names ----------------------------------------------------------------------------

// A settings file of an older program holds the ANSI bytes of a name, a newer
// one (and the program's own folder) UTF-8: both name the same file.
TEST(Win32Platform, Utf8AndAnsiBytesNameTheSameFile) {
  std::wstring name;
  for (const wchar_t* candidate : {L"Грач", L"Café", L"Ärger"}) {
    const std::string ansi = Ansi(candidate);
    if (win32::FromAnsiCodePage(ansi) == candidate && !platform::IsValidUtf8(ansi)) {
      name = candidate;
      break;
    }
  }
  ASSERT_FALSE(name.empty()) << "no name for code page " << GetACP();
  TempDir dir;
  const std::filesystem::path file = dir.path() / name / (name + L".txt");
  const std::string ansi = Ansi(file), utf8 = Utf8(file);
  ASSERT_NE(ansi, utf8);
  FileFailure failure;
  ASSERT_TRUE(Native().ReplaceFile(ansi, "written by ANSI name\r\n", failure)) << failure.SystemText;
  EXPECT_TRUE(Native().Exists(utf8));
  auto opened = Native().OpenForReading(utf8);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Size(), 22);
  opened.reset();
  ASSERT_TRUE(Native().ReplaceFile(utf8, "written by UTF-8 name\r\n", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(file), "written by UTF-8 name\r\n");
  ASSERT_TRUE(Native().KeepCopy(utf8, ansi + ".bak", failure)) << failure.SystemText;
  EXPECT_EQ(LinksOf(file), 2u);
  EXPECT_EQ(Listing(dir.path()), win32::ToUtf8(name) + "\n");
  EXPECT_EQ(Listing(dir.path() / name), win32::ToUtf8(name) + ".txt\n" + win32::ToUtf8(name) + ".txt.bak\n");
  EXPECT_EQ(platform::AbsolutePath(ansi), utf8) << "the full path is given in UTF-8";
}

// Runs the probe program (tests/win32/platform_probe.cpp) with `arguments`;
// its exit code, or -1 when it did not run.
int RunProbe(const std::filesystem::path& program, const std::wstring& arguments) {
  std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.wstring().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::filesystem::path Probe() {
  wchar_t module[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return std::filesystem::path(module).parent_path() / "platform_probe.exe";
}

// A game folder named in letters neither code page has (Greek): the program
// started there finds its folder and its files, and saves there.
TEST(Win32Platform, AFolderTheCodePageCannotSpell) {
  TempDir dir;
  const std::filesystem::path game = dir.path() / L"Κρέλμαρ Αρένα";
  ASSERT_NE(win32::FromAnsiCodePage(Ansi(game)), game.wstring()) << "the code page spells Greek";
  const std::string stats = Utf8(game / "basekrm" / "Stats.krm");
  FileFailure failure;
  ASSERT_TRUE(Native().ReplaceFile(stats, "Greek folder\r\n", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(game / "basekrm" / "Stats.krm"), "Greek folder\r\n");
  EXPECT_TRUE(Native().Exists(Utf8(game / "basekrm")));
  auto opened = Native().OpenForReading(stats);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Size(), 14);
  opened.reset();
  ASSERT_TRUE(Native().KeepCopy(stats, stats + ".bak", failure)) << failure.SystemText;
  {
    CurrentFolder in(game);
    EXPECT_EQ(platform::AbsolutePath("basekrm\\Stats.krm"), stats);
  }
  // The program itself in that folder.
  ASSERT_TRUE(CopyFileW(Probe().wstring().c_str(), (game / "fragtally.exe").wstring().c_str(), FALSE));
  const std::filesystem::path report = dir.path() / "report.txt";
  ASSERT_EQ(RunProbe(game / "fragtally.exe", L"folder \"" + report.wstring() + L"\""), 0);
  EXPECT_EQ(ReadFile(report), Utf8(game) + "\nGreek folder\r\n");
}

// Every operation on a file whose full path is longer than MAX_PATH, given
// absolute and relative, in UTF-8 and in the ANSI code page.
TEST(Win32Platform, PathsLongerThanMaxPath) {
  TempDir dir;
  std::wstring relative = L"basekrm";
  for (int i = 0; i < 8; ++i) relative += L"\\a folder with a rather long name, number " + std::to_wstring(i);
  const std::wstring folder = dir.path().wstring() + L"\\" + relative;
  const std::wstring file = folder + L"\\Stats.krm";
  ASSERT_GT(file.size(), 300u);
  const std::wstring on_disk = L"\\\\?\\" + file;  // what the test reads through
  FileFailure failure;
  ASSERT_TRUE(Native().ReplaceFile(win32::ToUtf8(file), "long\r\n", failure)) << failure.Code << " " << failure.SystemText;
  EXPECT_NE(GetFileAttributesW(on_disk.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(Native().ReplaceFile(Ansi(file), "longer\r\n", failure)) << failure.Code << " " << failure.SystemText;
  EXPECT_TRUE(Native().Exists(win32::ToUtf8(file)));
  auto opened = Native().OpenForReading(win32::ToUtf8(file), &failure);
  ASSERT_NE(opened, nullptr) << failure.SystemText;
  EXPECT_EQ(opened->Size(), 8);
  opened.reset();
  ASSERT_TRUE(Native().KeepCopy(win32::ToUtf8(file), win32::ToUtf8(file + L".bak"), failure)) << failure.SystemText;
  EXPECT_EQ(LinksOf(on_disk), 2u);
  {
    CurrentFolder in(dir.path());
    const std::string relative_file = win32::ToUtf8(relative + L"\\Stats.krm");
    ASSERT_TRUE(Native().ReplaceFile(relative_file, "relative\r\n", failure)) << failure.SystemText;
    EXPECT_EQ(platform::AbsolutePath(relative_file), win32::ToUtf8(file));
  }
  // Nothing beside the two names; the backup kept the old bytes.
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(win32::ToUtf8(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Stats.krm", "Stats.krm.bak"}));
  auto backup = Native().OpenForReading(win32::ToUtf8(file + L".bak"));
  ASSERT_NE(backup, nullptr);
  EXPECT_EQ(backup->Size(), 8);
  // A missing file there says so.
  EXPECT_EQ(Native().OpenForReading(win32::ToUtf8(folder + L"\\LOG.txt"), &failure), nullptr);
  EXPECT_EQ(failure.Fault, FileFault::NotFound);
  EXPECT_EQ(failure.Path, win32::ToUtf8(folder + L"\\LOG.txt"));
  // Removed here: the temporary folder's own removal does not reach so deep.
  DeleteFileW(on_disk.c_str());
  DeleteFileW((on_disk + L".bak").c_str());
  for (std::wstring at = folder; at.size() > dir.path().wstring().size(); at = at.substr(0, at.rfind(L'\\')))
    RemoveDirectoryW((L"\\\\?\\" + at).c_str());
}

// Wine takes paths of any length as they are; Windows 7 takes a path longer
// than MAX_PATH only in the \\?\ form, absolute, with backslashes. So the
// form itself is checked here, as the window gets it too.
TEST(Win32Platform, LongPathsTakeTheExtendedForm) {
  EXPECT_EQ(platform::WidePath("C:\\Games\\Krellmar\\basekrm\\Stats.krm"), L"C:\\Games\\Krellmar\\basekrm\\Stats.krm");
  EXPECT_EQ(platform::WidePath("basekrm\\LOG.txt"), L"basekrm\\LOG.txt") << "short relative paths stay relative";
  EXPECT_EQ(platform::WidePath("C:\\Games\\\xCE\x9A\xCF\x81\xCE\xAD\xCE\xBB"), L"C:\\Games\\\u039A\u03C1\u03AD\u03BB");
  std::string segments;
  for (int i = 0; i < 6; ++i) segments += "\\a folder with a rather long name, number " + std::to_string(i);
  const std::wstring wide_segments(segments.begin(), segments.end());
  const std::wstring five_segments = wide_segments.substr(0, wide_segments.rfind(L'\\'));
  EXPECT_EQ(platform::WidePath("C:\\Games" + segments + "\\..\\Stats.krm"), L"C:\\Games" + five_segments + L"\\Stats.krm")
      << "long only by its \"..\"";
  EXPECT_EQ(platform::WidePath("C:\\Games" + segments + "\\x\\..\\Stats.krm"),
            L"\\\\?\\C:\\Games" + wide_segments + L"\\Stats.krm");
  std::string slashes = "C:/Games" + segments + "/Stats.krm";
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  EXPECT_EQ(platform::WidePath(slashes), L"\\\\?\\C:\\Games" + wide_segments + L"\\Stats.krm");
  EXPECT_EQ(platform::WidePath("\\\\server\\share" + segments), L"\\\\?\\UNC\\server\\share" + wide_segments);
  {
    TempDir dir;
    CurrentFolder in(dir.path());
    EXPECT_EQ(platform::WidePath(segments.substr(1)), L"\\\\?\\" + dir.path().wstring() + wide_segments);
  }
  const std::wstring prefixed = L"\\\\?\\C:\\Games" + wide_segments;
  EXPECT_EQ(platform::WidePath(win32::ToUtf8(prefixed)), prefixed) << "given in the extended form already";
}

// --- the game's VirtualStore copy -----------------------------------------------------

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
  wchar_t* path = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

// An old game under Program Files wrote its files into the user's
// VirtualStore: that copy is the game's view of the file.
TEST(Win32Platform, TheGamesViewOfProgramFilesIsTheVirtualStore) {
  const std::wstring program_files = KnownFolder(FOLDERID_ProgramFiles);
  const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
  ASSERT_FALSE(program_files.empty());
  ASSERT_FALSE(local.empty());
  const std::wstring game_name = L"Krellmar test " + std::to_wstring(GetCurrentProcessId());
  const std::filesystem::path game = program_files + L"\\" + game_name;
  const std::filesystem::path store = local + L"\\VirtualStore" + program_files.substr(2) + L"\\" + game_name;
  struct Removed {
    std::filesystem::path a, b;
    ~Removed() {
      std::error_code ec;
      SetFileAttributesW((a / "basekrm" / "mSetup.ini").wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
      std::filesystem::remove_all(a, ec);
      std::filesystem::remove_all(b, ec);
    }
  } removed{game, store};
  WriteFile(game / "basekrm" / "LOG.txt", "the installed log\r\n");
  const std::string log = Utf8(game / "basekrm" / "LOG.txt");
  EXPECT_EQ(platform::GameView(log), log) << "no copy in the VirtualStore yet";
  WriteFile(store / "basekrm" / "LOG.txt", "the game's log\r\n");
  EXPECT_EQ(platform::GameView(log), Utf8(store / "basekrm" / "LOG.txt"));
  auto opened = Native().OpenForReading(platform::GameView(log));
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Size(), 16);
  // Relative, in the ANSI code page, in another case: the same file.
  {
    CurrentFolder in(game);
    EXPECT_EQ(platform::GameView("basekrm\\LOG.txt"), Utf8(store / "basekrm" / "LOG.txt"));
    EXPECT_TRUE(Native().Exists(platform::GameView("BASEKRM\\log.txt")));
  }
  // Outside the protected folders there is no VirtualStore view.
  TempDir dir;
  WriteFile(dir.path() / "LOG.txt", "x");
  const std::filesystem::path elsewhere = local + L"\\VirtualStore" + dir.path().wstring().substr(2);
  WriteFile(elsewhere / "LOG.txt", "y");
  EXPECT_EQ(platform::GameView(Ansi(dir.path() / "LOG.txt")), Ansi(dir.path() / "LOG.txt"));
  std::error_code ec;
  std::filesystem::remove_all(elsewhere, ec);
  // Access denied below Program Files says so.
  WriteFile(game / "basekrm" / "mSetup.ini", "old\r\n");
  SetFileAttributesW((game / "basekrm" / "mSetup.ini").wstring().c_str(), FILE_ATTRIBUTE_READONLY);
  FileFailure failure;
  EXPECT_FALSE(Native().ReplaceFile(Utf8(game / "basekrm" / "mSetup.ini"), "new\r\n", failure));
  EXPECT_EQ(failure.Fault, FileFault::AccessDenied);
  EXPECT_TRUE(failure.ProtectedFolder);
  // Not found there is not a matter of protection.
  failure = {};
  EXPECT_EQ(Native().OpenForReading(Utf8(game / "basekrm" / "Stats.krm"), &failure), nullptr);
  EXPECT_EQ(failure.Fault, FileFault::NotFound);
  EXPECT_FALSE(failure.ProtectedFolder);
}

// --- names that are no regular file ----------------------------------------------------

// A folder and the devices Windows finds under any name (NUL, CON, COM1, in
// every folder) or under \\.\: never read, replaced, appended to or
// copied, refused at once with what the name is (not a cause about writing),
// and nothing left beside them.
TEST(Win32SpecialFiles, AFolderOrADeviceIsNeitherReadNorWritten) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "LOG.txt" / "inside");
  const std::vector<std::pair<std::string, FileFault>> names = {
      {Utf8(dir.path() / "LOG.txt"), FileFault::Folder},
      {Utf8(dir.path() / "NUL"), FileFault::NotRegular},
      {Ansi(dir.path() / "COM1"), FileFault::NotRegular},
      {"CON", FileFault::NotRegular},
      {"\\\\.\\NUL", FileFault::NotRegular},
  };
  for (const auto& [name, fault] : names) {
    SCOPED_TRACE(name);
    const auto start = std::chrono::steady_clock::now();
    FileFailure failure;
    EXPECT_EQ(Native().OpenForReading(name, &failure), nullptr);
    EXPECT_EQ(failure.Fault, fault);
    EXPECT_EQ(failure.Path, name);
    EXPECT_EQ(failure.SystemText, fault == FileFault::Folder ? "is a folder" : "not a regular file");
    failure = {};
    EXPECT_FALSE(Native().ReplaceFile(name, "new\r\n", failure));
    EXPECT_EQ(failure.Fault, fault);
    failure = {};
    EXPECT_FALSE(Native().AppendToFile(name, "new\r\n", failure));
    EXPECT_EQ(failure.Fault, fault);
    failure = {};
    EXPECT_FALSE(Native().KeepCopy(name, Utf8(dir.path() / "copy"), failure));
    EXPECT_EQ(failure.Fault, fault);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << "tried again";
  }
  EXPECT_EQ(Listing(dir.path()), "LOG.txt\n");
  EXPECT_EQ(Listing(dir.path() / "LOG.txt"), "inside\n");
}

// Through `link` to `real`: the file it leads to is replaced and appended
// to, and the link stays; its backup keeps what the file held.
void ExpectWrittenThrough(const std::filesystem::path& link, const std::filesystem::path& real) {
  WriteFile(link, "old\r\n");  // through the link
  const std::string backup = Utf8(link) + ".bak";
  DeleteFileW(win32::FromUtf8(backup).c_str());
  FileFailure failure;
  ASSERT_TRUE(Native().KeepCopy(Utf8(link), backup, failure)) << failure.SystemText;
  ASSERT_TRUE(Native().ReplaceFile(Utf8(link), "new\r\n", failure)) << failure.SystemText;
  ASSERT_TRUE(Native().AppendToFile(Utf8(link), "more\r\n", failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(real), "new\r\nmore\r\n");
  EXPECT_EQ(ReadFile(win32::FromUtf8(backup)), "old\r\n");
  EXPECT_EQ(Listing(real.parent_path()), Utf8(real.filename()) + "\n");
  DeleteFileW(win32::FromUtf8(backup).c_str());
}

// A symbolic link to a file is written through. (Skipped where no link can
// be made: Wine says it made one and makes none.)
TEST(Win32SpecialFiles, ALinkIsWrittenThroughToItsFile) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "saves");
  std::filesystem::create_directories(dir.path() / "basekrm");
  const auto real = dir.path() / "saves" / "Stats.krm";
  WriteFile(real, "");
  const auto link = dir.path() / "basekrm" / "Stats.krm";
  if (!CreateSymbolicLinkW(link.wstring().c_str(), real.wstring().c_str(), 0x2 /* unprivileged */))
    CreateSymbolicLinkW(link.wstring().c_str(), real.wstring().c_str(), 0);
  const DWORD attributes = GetFileAttributesW(link.wstring().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    GTEST_SKIP() << "no symbolic link here";
  ExpectWrittenThrough(link, real);
  EXPECT_TRUE(GetFileAttributesW(link.wstring().c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "the link stays";
}

// Under Wine, what the host system made (tests/win32/run_tests.sh): a link,
// which Wine shows as a plain file, is written through; a FIFO and a device,
// which show no attributes, are refused as what they are.
TEST(Win32SpecialFiles, TheHostsLinksFifosAndDevicesUnderWine) {
  const char* host = std::getenv("FRAGTALLY_HOST_FOLDER");
  if (host == nullptr) GTEST_SKIP() << "not under Wine (FRAGTALLY_HOST_FOLDER)";
  const std::filesystem::path folder = win32::FromUtf8(host);
  ExpectWrittenThrough(folder / "basekrm" / "Stats.krm", folder / "saves" / "Stats.krm");
  for (const std::string& name : {Utf8(folder / "fifo"), std::string("Z:\\dev\\null")}) {
    SCOPED_TRACE(name);
    FileFailure failure;
    EXPECT_EQ(Native().OpenForReading(name, &failure), nullptr);
    EXPECT_EQ(failure.Fault, FileFault::NotRegular);
    failure = {};
    EXPECT_FALSE(Native().ReplaceFile(name, "new\r\n", failure));
    EXPECT_EQ(failure.Fault, FileFault::NotRegular);
    failure = {};
    EXPECT_FALSE(Native().AppendToFile(name, "new\r\n", failure));
    EXPECT_EQ(failure.Fault, FileFault::NotRegular);
  }
  EXPECT_EQ(Listing(folder), "basekrm\nfifo\nsaves\n");
}

// --- one copy per game folder ---------------------------------------------------------

TEST(Win32Platform, OneCopyPerGameFolder) {
  TempDir dir;
  const std::filesystem::path game = dir.path() / L"Krellmar";
  std::filesystem::create_directories(game / "basekrm");
  const std::string name = platform::InstanceName(Utf8(game));
  EXPECT_EQ(name.rfind("fragtally-", 0), 0u) << name;
  for (char c : name) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '-') << name;
  // However the folder is written, without regard to case.
  std::string upper = Utf8(game);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  std::string slashes = Utf8(game);
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  const std::vector<std::string> same = {Utf8(game) + "\\", upper, slashes, Ansi(game), Utf8(game / "basekrm" / "..")};
  for (const std::string& other : same) EXPECT_EQ(platform::InstanceName(other), name) << other;
  EXPECT_NE(platform::InstanceName(Utf8(game / "basekrm")), name);

  auto first = platform::LockGameFolder(Utf8(game));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->LocksFolder());
  // In the global namespace, where a copy in another session (another user
  // switched to, a remote desktop) finds it as well.
  const std::wstring global = L"Global\\" + std::wstring(name.begin(), name.end());
  HANDLE seen = OpenMutexW(SYNCHRONIZE, FALSE, global.c_str());
  EXPECT_NE(seen, nullptr) << "no mutex " << name << " in the global namespace";
  if (seen != nullptr) CloseHandle(seen);
  for (const std::string& other : same) EXPECT_EQ(platform::LockGameFolder(other), nullptr) << other;
  {
    CurrentFolder in(game);
    EXPECT_EQ(platform::LockGameFolder("."), nullptr);
  }
  // Another copy of the program, in another process.
  EXPECT_EQ(RunProbe(Probe(), L"lock \"" + game.wstring() + L"\""), 3);
  // Another game folder is free.
  auto other = platform::LockGameFolder(Utf8(game / "basekrm"));
  EXPECT_NE(other, nullptr);
  // Free again when the first copy ends.
  first.reset();
  EXPECT_EQ(RunProbe(Probe(), L"lock \"" + game.wstring() + L"\""), 0);
  EXPECT_NE(platform::LockGameFolder(Utf8(game)), nullptr);
  EXPECT_EQ(Listing(game), "basekrm\n") << "nothing written into the game folder";
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
  // The statistics could not be written, so the settings are not either.
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].title, kSaveFailedTitle);
  EXPECT_EQ(sink.messages[0].text.rfind("Файл статистики не записан, прежний файл остался без изменений:\r\n", 0), 0u)
      << sink.messages[0].text;
  EXPECT_NE(sink.messages[0].text.find("\r\nПричина: "), std::string::npos);
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
  FileFailure failure;
  const std::string old_stats = ReadFile(basekrm / "Stats.krm");
  EXPECT_FALSE(Native().ReplaceFile(Ansi(basekrm / "Stats.krm"), std::string(1 << 20, 'b'), failure));
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 ERROR_DISK_FULL, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring disk_full = text != nullptr ? text : L"";
  if (text != nullptr) LocalFree(text);
  while (!disk_full.empty() && (disk_full.back() == L'\r' || disk_full.back() == L'\n' || disk_full.back() == L' '))
    disk_full.pop_back();
  EXPECT_EQ(failure.SystemText, win32::ToUtf8(disk_full));
  EXPECT_EQ(failure.Fault, FileFault::DiskFull);
  EXPECT_EQ(failure.Path, Ansi(basekrm / "Stats.krm"));
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
  FileFailure failure;
  EXPECT_FALSE(Native().ReplaceFile(Ansi(read_only / "basekrm" / "new.txt"), "x", failure));
  EXPECT_EQ(failure.Path, Ansi(read_only / "basekrm" / "new.txt"));
  EXPECT_EQ(failure.Fault, FileFault::AccessDenied) << failure.Code << " " << failure.SystemText;
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
  FileFailure failure;
  ASSERT_TRUE(Native().KeepCopy(Ansi(original), Ansi(copy), failure)) << failure.SystemText;
  EXPECT_EQ(ReadFile(copy), ReadFile(original));
  EXPECT_EQ(LinksOf(copy), 1u);
  EXPECT_FALSE(Native().KeepCopy(Ansi(original), Ansi(copy), failure)) << "never over a copy";
  EXPECT_EQ(failure.Path, Ansi(copy));
}

}  // namespace
}  // namespace fragtally
