// The platform layer on Windows. Paths are bytes: UTF-8 when they are valid
// UTF-8, otherwise the system's ANSI code page (what a settings file written
// by an older program holds). They are converted to UTF-16 only to call the
// system; a long one is made absolute and given the \\?\ prefix, so that
// paths of any length work. Everything here exists on Windows 7 SP1.

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <random>
#include <vector>

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/retry.h"
#include "platform/utf8.h"

namespace fragtally::platform {

namespace detail {
void SleepMilliseconds(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }
}  // namespace detail

namespace {

using detail::RetryPauses;

// --- paths --------------------------------------------------------------------------------

std::wstring FromCodePage(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

// A path as the program keeps it, in UTF-16.
std::wstring Decode(std::string_view bytes) { return FromCodePage(IsValidUtf8(bytes) ? CP_UTF8 : CP_ACP, bytes); }

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The absolute path (relative ones against the current folder, "." and ".."
// resolved, '/' made '\'); empty when the system cannot tell.
std::wstring FullPath(const std::wstring& path) {
  if (path.empty()) return {};
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(n + 1);
  }
}

// The path without a \\?\ or \\?\UNC\ prefix, as the player writes it.
std::wstring Unprefixed(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (StartsWith(path, L"\\\\?\\")) return path.substr(4);
  return path;
}

// Below this length every call takes a path as it stands (CreateDirectoryW
// allows MAX_PATH less room for an 8.3 file name); from it on, the \\?\ form.
constexpr std::size_t kLongPath = MAX_PATH - 12;

// The form of `path` for the system's wide-character calls.
std::wstring SystemForm(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  const bool relative = !(path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) &&
                        !StartsWith(path, L"\\\\");
  if (path.size() < kLongPath && !relative) return path;
  const std::wstring full = FullPath(path);
  if (full.empty()) return path;
  // Short: as it stands, or resolved when only "." and ".." made it long.
  if (full.size() < kLongPath) return path.size() < kLongPath ? path : full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::wstring WideFolderOf(const std::wstring& path) {
  const std::size_t at = path.find_last_of(L"\\/");
  return at == std::wstring::npos ? std::wstring() : path.substr(0, at);
}

DWORD AttributesOf(const std::wstring& path) { return ::GetFileAttributesW(SystemForm(path).c_str()); }

// The full path in upper case, the same in every process and every locale.
std::wstring UpperCase(const std::wstring& text) {
  if (text.empty()) return text;
  const int n = ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return text;
  std::wstring upper(static_cast<std::size_t>(n), L'\0');
  ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), upper.data(), n);
  return upper;
}

// Whether `path` (absolute, unprefixed) is `folder` or lies below it, without regard to case.
bool IsUnder(const std::wstring& path, std::wstring folder) {
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty() || path.size() < folder.size()) return false;
  if (UpperCase(path.substr(0, folder.size())) != UpperCase(folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == L'\\';
}

std::wstring KnownFolder(const KNOWNFOLDERID& id, const wchar_t* variable) {
  std::wstring folder;
  wchar_t* path = nullptr;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path != nullptr) folder = path;
  ::CoTaskMemFree(path);
  if (folder.empty() && variable != nullptr) {
    const DWORD n = ::GetEnvironmentVariableW(variable, nullptr, 0);
    if (n > 0) {
      folder.resize(n);
      folder.resize(::GetEnvironmentVariableW(variable, folder.data(), n));
    }
  }
  return folder;
}

// The folders Windows keeps from ordinary users, whose writes it redirects
// for old programs: Program Files (both of them) and the Windows folder.
std::vector<std::wstring> ProtectedFolders() {
  std::vector<std::wstring> folders = {
      KnownFolder(FOLDERID_ProgramFiles, L"ProgramFiles"),
      KnownFolder(FOLDERID_ProgramFilesX86, L"ProgramFiles(x86)"),
      KnownFolder(FOLDERID_Windows, L"SystemRoot"),
  };
  folders.push_back(KnownFolder(FOLDERID_ProgramFilesX64, L"ProgramW6432"));
  return folders;
}

bool InProtectedFolder(const std::wstring& full) {
  for (const std::wstring& folder : ProtectedFolders())
    if (IsUnder(full, folder)) return true;
  return false;
}

// --- failures -----------------------------------------------------------------------------

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide;
  if (n > 0 && text != nullptr) wide.assign(text, n);
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
  std::string message = Utf8(wide);
  if (message.empty()) message = "error " + std::to_string(code);
  return message;
}

// Not in every winerror.h.
constexpr DWORD kDiskQuotaExceeded = 1295;

FileFault FaultOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return FileFault::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return FileFault::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return FileFault::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return FileFault::DiskFull;
    default: return FileFault::Other;
  }
}

// What another program's hold on a file gives, and passes when it lets go:
// a virus scanner, a backup or sync tool, an editor or the game has the file
// open without sharing it, or is just deleting or renaming it (which shows as
// a denied access for a moment).
bool Transient(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED ||
         code == ERROR_USER_MAPPED_FILE;
}

// A denied access that no waiting changes: a folder where a file was meant,
// or a read-only file.
bool DeniedForGood(const std::wstring& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
}

// Whether another program has `path` open without letting it be deleted or
// renamed: the rename over it then only says that access was denied.
bool HeldByAnother(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return false;
  }
  const DWORD code = ::GetLastError();
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

// Runs `call` (true on success, GetLastError() otherwise) until it succeeds,
// fails for good or `pauses` are spent; 0, or the last error.
template <class Call>
DWORD Retrying(RetryPauses& pauses, const std::wstring& target, Call call) {
  for (;;) {
    if (call()) return 0;
    const DWORD code = ::GetLastError();
    if (!Transient(code) || (code == ERROR_ACCESS_DENIED && DeniedForGood(target)) || !pauses.Wait()) return code;
  }
}

bool Fail(FileFailure& failure, const std::string& path, DWORD code) {
  failure.Fault = FaultOf(code);
  failure.Path = path;
  failure.Code = static_cast<int>(code);
  failure.SystemText = SystemMessage(code);
  failure.ProtectedFolder =
      failure.Fault == FileFault::AccessDenied && InProtectedFolder(Unprefixed(FullPath(Decode(path))));
  return false;
}

// --- what a name is -----------------------------------------------------------------------

// What an open handle is, when no regular file: Folder, NotRegular or None.
FileFault NotAFile(HANDLE file) {
  if (::GetFileType(file) != FILE_TYPE_DISK) return FileFault::NotRegular;
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return FileFault::Folder;
  return FileFault::None;
}

// The name for its attributes alone: no data is read or written, and no
// other program's share mode stands in the way. INVALID_HANDLE_VALUE when
// nothing has that name.
HANDLE OpenForAttributes(const std::wstring& wide) {
  return ::CreateFileW(SystemForm(wide).c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// What `wide` names when it is no regular file: Folder (a folder, or a link
// or junction to one), NotRegular (a device: CON, NUL, COM1 and the like,
// which Windows finds in every folder, or a \\.\ name such as a pipe's; under
// Wine also the host's devices and FIFOs, which have no attributes but open
// for them); None for a file, a link to one, or nothing at all.
FileFault NotAFile(const std::wstring& wide) {
  const std::wstring full = FullPath(wide);
  const bool drive = full.size() >= 6 && full[5] == L':';  // \\.\C: is a drive's files
  if (StartsWith(full, L"\\\\.\\") && !drive) return FileFault::NotRegular;
  const DWORD attributes = AttributesOf(wide);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileFault::Folder : FileFault::None;
  HANDLE file = OpenForAttributes(wide);
  if (file == INVALID_HANDLE_VALUE) return FileFault::None;
  const FileFault fault = NotAFile(file);
  ::CloseHandle(file);
  return fault;
}

// The file a write to `wide` reaches: where it is a symbolic link (a reparse
// point, or under Wine a link of the host), the file the link leads to, in
// the \\?\ form; otherwise `wide` itself. 0, or why a link's file cannot be
// reached.
DWORD LinkTarget(const std::wstring& wide, std::wstring& target) {
  target = wide;
  HANDLE file = OpenForAttributes(wide);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    const DWORD attributes = AttributesOf(wide);
    const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return link ? code : 0;  // nothing there: the file is made
  }
  std::vector<wchar_t> buffer(MAX_PATH);
  constexpr DWORD kForm = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  DWORD n = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), kForm);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()), kForm);
  }
  ::CloseHandle(file);
  if (n == 0 || n >= buffer.size()) return 0;  // the system cannot tell: the name itself
  const std::wstring final_path(buffer.data(), n);
  // Another name than the one given (a link, a junction or a short name on
  // the way): the file the system reached.
  if (UpperCase(Unprefixed(final_path)) != UpperCase(Unprefixed(FullPath(wide)))) target = final_path;
  return 0;
}

// --- files --------------------------------------------------------------------------------

// Creates `folder` and the folders on the way to it: 0, or why a folder
// could not be made.
DWORD CreateFolders(const std::wstring& folder) {
  if (folder.empty() || folder.back() == L':' || AttributesOf(folder) != INVALID_FILE_ATTRIBUTES) return 0;
  const DWORD above = CreateFolders(WideFolderOf(folder));
  if (::CreateDirectoryW(SystemForm(folder).c_str(), nullptr)) return 0;
  const DWORD code = ::GetLastError();
  return code == ERROR_ALREADY_EXISTS ? 0 : (above != 0 ? above : code);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// Writes the bytes, waits until the disk has them and closes the file: 0, or
// the first error (a close that fails after a good write counts too).
DWORD WriteFlushAndClose(HANDLE file, std::string_view bytes) {
  DWORD code = WriteAll(file, bytes) && ::FlushFileBuffers(file) ? 0 : ::GetLastError();
  if (!::CloseHandle(file) && code == 0) code = ::GetLastError();
  return code;
}

long long SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

DWORD WithoutReadOnly(DWORD attributes) {
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// Removes a file of ours, waiting for a scanner that looks at it.
void Remove(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    ::SetFileAttributesW(path.c_str(), WithoutReadOnly(attributes));
  RetryPauses pauses;
  Retrying(pauses, path, [&] { return ::DeleteFileW(path.c_str()) != 0; });
}

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE file) : file_(file) {}
  ~Win32InputFile() override { ::CloseHandle(file_); }
  long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(file_, buffer, chunk, &got, &at)) return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
  }
  long long Size() override { return SizeOf(file_); }

 private:
  HANDLE file_;
};

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<InputFile> OpenForReading(const std::string& path, FileFailure* failure) override {
    FileFailure ignored;
    if (failure == nullptr) failure = &ignored;
    const std::wstring wide = Decode(path);
    if (const FileFault fault = NotAFile(wide); fault != FileFault::None) {
      detail::FailNotAFile(*failure, path, fault);
      return nullptr;
    }
    const std::wstring name = SystemForm(wide);
    HANDLE file = INVALID_HANDLE_VALUE;
    RetryPauses pauses;
    const DWORD code = Retrying(pauses, name, [&] {
      file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
      return file != INVALID_HANDLE_VALUE;
    });
    if (code != 0) {
      Fail(*failure, path, code);
      return nullptr;
    }
    if (const FileFault fault = NotAFile(file); fault != FileFault::None) {
      ::CloseHandle(file);
      detail::FailNotAFile(*failure, path, fault);
      return nullptr;
    }
    return std::make_unique<Win32InputFile>(file);
  }

  bool Exists(const std::string& path) override { return AttributesOf(Decode(path)) != INVALID_FILE_ATTRIBUTES; }

  void RemoveTemporaries(const std::string& path) override {
    const std::wstring wide = Decode(path);
    const std::wstring folder = WideFolderOf(wide);
    const std::wstring base = wide.substr(folder.empty() ? 0 : folder.size() + 1);
    const std::wstring prefix = folder.empty() ? std::wstring() : folder + L"\\";
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(SystemForm(prefix + base + L".new-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> leftovers;
    do {
      if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
      if (IsTemporaryOf(Utf8(found.cFileName), Utf8(base))) leftovers.emplace_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    for (const std::wstring& name : leftovers) ::DeleteFileW(SystemForm(prefix + name).c_str());
  }

  bool ReplaceFile(const std::string& path, std::string_view contents, FileFailure& failure) override {
    // Nothing but a file is replaced; a link stays a link, its file is replaced.
    const std::wstring named = Decode(path);
    if (const FileFault fault = NotAFile(named); fault != FileFault::None)
      return detail::FailNotAFile(failure, path, fault);
    std::wstring wide;
    if (const DWORD code = LinkTarget(named, wide); code != 0) return Fail(failure, path, code);
    const DWORD folder_code = CreateFolders(WideFolderOf(wide));
    const std::wstring target = SystemForm(wide);
    // A file the player made read-only stays as it is (Windows itself
    // refuses to rename over it; not every system that runs this does).
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return Fail(failure, path, ERROR_ACCESS_DENIED);
    }
    RetryPauses pauses;  // one time for every step together

    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD code = 0;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
      temporary = SystemForm(wide + L".new-" + std::to_wstring(random() % 1000000));
      code = Retrying(pauses, temporary, [&] {
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE;
      });
      if (code != 0 && code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
      // The file the player knows, not the temporary one; for a missing
      // folder, why it could not be made.
      return Fail(failure, path, code == ERROR_PATH_NOT_FOUND && folder_code != 0 ? folder_code : code);
    }
    code = WriteFlushAndClose(file, contents);
    bool ok = code == 0;
    if (ok) {
      code = Retrying(pauses, target, [&] {
        return ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      });
      if (code == ERROR_ACCESS_DENIED && HeldByAnother(target)) code = ERROR_SHARING_VIOLATION;
      ok = code == 0;
    }
    if (!ok) {
      Remove(temporary);
      return Fail(failure, path, code);
    }
    return true;
  }

  bool AppendToFile(const std::string& path, std::string_view bytes, FileFailure& failure) override {
    const std::wstring wide = Decode(path);
    if (const FileFault fault = NotAFile(wide); fault != FileFault::None)
      return detail::FailNotAFile(failure, path, fault);
    const DWORD folder_code = CreateFolders(WideFolderOf(wide));
    const std::wstring target = SystemForm(wide);
    HANDLE file = INVALID_HANDLE_VALUE;
    RetryPauses pauses;
    DWORD code = Retrying(pauses, target, [&] {
      // Readers may go on reading; nobody else writes in between.
      file = ::CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      return file != INVALID_HANDLE_VALUE;
    });
    if (file == INVALID_HANDLE_VALUE)
      return Fail(failure, path, code == ERROR_PATH_NOT_FOUND && folder_code != 0 ? folder_code : code);
    if (const FileFault fault = NotAFile(file); fault != FileFault::None) {
      ::CloseHandle(file);
      return detail::FailNotAFile(failure, path, fault);
    }
    code = WriteFlushAndClose(file, bytes);
    return code == 0 || Fail(failure, path, code);
  }

  bool KeepCopy(const std::string& path, const std::string& copy, FileFailure& failure) override {
    // Of a link, the file it leads to: a second name for the link itself
    // would show whatever its file later becomes.
    const std::wstring named = Decode(path);
    if (const FileFault fault = NotAFile(named); fault != FileFault::None)
      return detail::FailNotAFile(failure, path, fault);
    std::wstring original;
    if (const DWORD code = LinkTarget(named, original); code != 0) return Fail(failure, path, code);
    const std::wstring from = SystemForm(original), to = SystemForm(Decode(copy));
    RetryPauses pauses;  // one time for the link and the copy together
    DWORD code = Retrying(pauses, from, [&] { return ::CreateHardLinkW(to.c_str(), from.c_str(), nullptr) != 0; });
    if (code == 0) return true;
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return Fail(failure, copy, code);
    // No hard links here: copy, and check that every byte arrived.
    code = Retrying(pauses, from, [&] { return ::CopyFileW(from.c_str(), to.c_str(), TRUE) != 0; });
    if (code != 0) {
      if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) ::DeleteFileW(to.c_str());
      // Held by another program, or missing: the original; otherwise the copy's place.
      const bool original = FaultOf(code) == FileFault::InUse || ::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES;
      return Fail(failure, original ? path : copy, code);
    }
    HANDLE source = ::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    // The copy has the original's attributes: a read-only one loses the
    // attribute for the moment of its flush to the disk.
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    const bool read_only = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (read_only) ::SetFileAttributesW(to.c_str(), WithoutReadOnly(attributes));
    HANDLE kept = ::CreateFileW(to.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool ok = source != INVALID_HANDLE_VALUE && kept != INVALID_HANDLE_VALUE && SizeOf(source) >= 0 &&
              SizeOf(source) == SizeOf(kept) && ::FlushFileBuffers(kept);
    code = ok ? 0 : ::GetLastError();
    if (source != INVALID_HANDLE_VALUE) ::CloseHandle(source);
    if (kept != INVALID_HANDLE_VALUE) ::CloseHandle(kept);
    if (!ok) {
      Remove(to);
      return Fail(failure, copy, code ? code : ERROR_WRITE_FAULT);
    }
    if (read_only) ::SetFileAttributesW(to.c_str(), attributes);
    return true;
  }
};

class MutexLock : public InstanceLock {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexLock() override {
    if (mutex_ != nullptr) ::CloseHandle(mutex_);
  }
  bool LocksFolder() const override { return mutex_ != nullptr; }

 private:
  HANDLE mutex_;
};

}  // namespace

std::wstring WidePath(std::string_view path) { return SystemForm(Decode(path)); }

FileSystem& NativeFileSystem() {
  static Win32FileSystem files;
  return files;
}

void* AllocateLarge(std::size_t bytes) {
  void* block = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void FreeLarge(void* block, std::size_t) { ::VirtualFree(block, 0, MEM_RELEASE); }

// Windows makes committed pages at their first write, and has no call that
// makes them sooner without writing them.
void PrepareLarge(void*, std::size_t) {}
bool PreparesLarge() { return false; }

void YieldToOthers() { ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE); }

std::string ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return ".";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const std::wstring program = Unprefixed(std::wstring(buffer.begin(), buffer.end()));
  return Utf8(program.substr(0, program.find_last_of(L"\\/")));
}

std::string AbsolutePath(const std::string& path) {
  const std::wstring full = FullPath(Decode(path.empty() ? std::string(".") : path));
  return full.empty() ? path : Utf8(Unprefixed(full));
}

std::string GameView(const std::string& path) {
  const std::wstring full = Unprefixed(FullPath(Decode(path)));
  // Only a path on a drive is redirected; its copy lies below VirtualStore
  // without the drive: C:\Program Files\Game\x -> ...\VirtualStore\Program Files\Game\x.
  if (full.size() < 3 || full[1] != L':' || !InProtectedFolder(full)) return path;
  const std::wstring local = KnownFolder(FOLDERID_LocalAppData, L"LOCALAPPDATA");
  if (local.empty()) return path;
  std::wstring store = local;
  if (store.back() != L'\\') store += L'\\';
  store += L"VirtualStore" + full.substr(2);
  return AttributesOf(store) != INVALID_FILE_ATTRIBUTES ? Utf8(store) : path;
}

// In the global namespace: a copy that another user runs in the same game
// folder, in another session (a switch of users, a remote desktop), sees it
// too. Any user may make a mutex there; one made by another user (or with
// other rights) cannot be opened, which says as much as its being there.
std::unique_ptr<InstanceLock> LockGameFolder(const std::string& folder) {
  const std::string name = InstanceName(folder);
  const std::wstring mutex_name = L"Global\\" + std::wstring(name.begin(), name.end());
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutex_name.c_str());
  const DWORD code = ::GetLastError();
  if (mutex != nullptr && code == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return nullptr;  // another copy holds it
  }
  // Denied: it exists, made by a copy running with other rights.
  if (mutex == nullptr && code == ERROR_ACCESS_DENIED) return nullptr;
  return std::make_unique<MutexLock>(mutex);  // without a mutex at all: run as if alone
}

std::string InstanceName(const std::string& folder) {
  std::wstring full = FullPath(Decode(folder.empty() ? std::string(".") : folder));
  // The long names of a folder given by its 8.3 short name.
  std::vector<wchar_t> buffer(full.size() + MAX_PATH);
  const std::wstring system = SystemForm(full);
  DWORD n = ::GetLongPathNameW(system.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = ::GetLongPathNameW(system.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  if (n > 0 && n < buffer.size()) full = std::wstring(buffer.data(), n);
  full = Unprefixed(full);
  while (!full.empty() && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return detail::HashedName(Utf8(UpperCase(full)));
}

}  // namespace fragtally::platform
