// The platform layer on Windows. File names are bytes in the system's ANSI
// code page, as the settings file holds them; they are converted to UTF-16
// only to call the system.

#include <cstdio>
#include <cwchar>
#include <new>
#include <random>
#include <vector>

#include <windows.h>

#include "platform/platform.h"

namespace fragtally::platform {

namespace {

std::wstring Wide(std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

// UTF-16 to the ANSI code page; false when a character has no byte there.
bool Narrow(const std::wstring& wide, std::string& bytes) {
  bytes.clear();
  if (wide.empty()) return true;
  BOOL lossy = FALSE;
  int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  bytes.resize(static_cast<std::size_t>(n));
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, &lossy);
  return !lossy;
}

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) {
    std::wstring wide(text, n);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    message.resize(static_cast<std::size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), message.data(), size, nullptr, nullptr);
  }
  if (text != nullptr) ::LocalFree(text);
  if (message.empty()) message = "error " + std::to_string(code);
  return message;
}

bool Fail(FileFailure& failure, const std::string& path, DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: failure.Fault = FileFault::NotFound; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: failure.Fault = FileFault::InUse; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: failure.Fault = FileFault::AccessDenied; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: failure.Fault = FileFault::DiskFull; break;
    default: failure.Fault = FileFault::Other; break;
  }
  failure.Path = path;
  failure.Code = static_cast<int>(code);
  failure.SystemText = SystemMessage(code);
  failure.ProtectedFolder = false;
  return false;
}

std::string FolderOf(const std::string& path) {
  std::size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

void CreateFolders(const std::string& folder) {
  if (folder.empty() || ::GetFileAttributesW(Wide(folder).c_str()) != INVALID_FILE_ATTRIBUTES) return;
  CreateFolders(FolderOf(folder));
  ::CreateDirectoryW(Wide(folder).c_str(), nullptr);
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

long long SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(file, &size) ? size.QuadPart : -1;
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
    HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (failure != nullptr) Fail(*failure, path, ::GetLastError());
      return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ::CloseHandle(file);
      if (failure != nullptr) Fail(*failure, path, ERROR_ACCESS_DENIED);
      return nullptr;
    }
    return std::make_unique<Win32InputFile>(file);
  }

  bool Exists(const std::string& path) override {
    return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool ReplaceFile(const std::string& path, std::string_view contents, FileFailure& failure) override {
    CreateFolders(FolderOf(path));
    const std::wstring target = Wide(path);
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
      temporary = target + L".new-" + std::to_wstring(random() % 1000000);
      file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
      return Fail(failure, path, ::GetLastError());
    }
    bool ok = WriteAll(file, contents) && ::FlushFileBuffers(file);
    DWORD code = ok ? 0 : ::GetLastError();
    if (!::CloseHandle(file) && ok) {
      ok = false;
      code = ::GetLastError();
    }
    if (ok && !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ok = false;
      code = ::GetLastError();
    }
    if (!ok) {
      ::DeleteFileW(temporary.c_str());
      return Fail(failure, path, code);
    }
    return true;
  }

  bool KeepCopy(const std::string& path, const std::string& copy, FileFailure& failure) override {
    const std::wstring from = Wide(path), to = Wide(copy);
    if (::CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return true;
    DWORD code = ::GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
      return Fail(failure, copy, code);
    }
    // No hard links here: copy, and check that every byte arrived.
    if (!::CopyFileW(from.c_str(), to.c_str(), TRUE)) {
      code = ::GetLastError();
      if (code != ERROR_FILE_EXISTS) ::DeleteFileW(to.c_str());
      return Fail(failure, copy, code);
    }
    HANDLE original = ::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE kept = ::CreateFileW(to.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool ok = original != INVALID_HANDLE_VALUE && kept != INVALID_HANDLE_VALUE && SizeOf(original) >= 0 &&
              SizeOf(original) == SizeOf(kept) && ::FlushFileBuffers(kept);
    code = ok ? 0 : ::GetLastError();
    if (original != INVALID_HANDLE_VALUE) ::CloseHandle(original);
    if (kept != INVALID_HANDLE_VALUE) ::CloseHandle(kept);
    if (!ok) {
      ::DeleteFileW(to.c_str());
      return Fail(failure, copy, code ? code : ERROR_WRITE_FAULT);
    }
    return true;
  }
};

}  // namespace

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

std::string ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return ".";
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  std::wstring program(buffer.begin(), buffer.end());
  std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));
  std::string bytes;
  if (Narrow(folder, bytes)) return bytes;
  // A folder name the code page cannot spell: its short name usually can.
  DWORD n = ::GetShortPathNameW(folder.c_str(), nullptr, 0);
  if (n > 0) {
    std::wstring short_name(n, L'\0');
    n = ::GetShortPathNameW(folder.c_str(), short_name.data(), n);
    short_name.resize(n);
    std::string short_bytes;
    if (n > 0 && Narrow(short_name, short_bytes)) return short_bytes;
  }
  return bytes;
}

}  // namespace fragtally::platform

namespace fragtally::platform {

void SetRetryMilliseconds(int) {}

std::string AbsolutePath(const std::string& path) { return path; }

std::string GameView(const std::string& path) { return path; }

std::unique_ptr<InstanceLock> LockGameFolder(const std::string&) { return std::make_unique<InstanceLock>(); }

std::string InstanceName(const std::string& folder) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : folder) hash = (hash ^ c) * 1099511628211ull;
  char name[40];
  std::snprintf(name, sizeof name, "fragtally-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace fragtally::platform
