#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>

#include "platform/retry.h"

namespace fragtally::platform {

namespace {
FileSystem* g_files = nullptr;
std::atomic<int> g_retry_milliseconds{kDefaultRetryMilliseconds};

// About a second in all with the default time: 10 + 20 + 40 + 80 + 150 +
// 250 + 250 + 200 ms. A longer time goes on in steps of 250 ms.
constexpr int kPauses[] = {10, 20, 40, 80, 150, 250, 250, 200};
constexpr int kLaterPause = 250;
}  // namespace

void SetRetryMilliseconds(int milliseconds) { g_retry_milliseconds = std::max(0, milliseconds); }

namespace detail {

RetryPauses::RetryPauses() : left_(g_retry_milliseconds.load()) {}

bool RetryPauses::Wait() {
  if (left_ <= 0) return false;
  constexpr int kCount = static_cast<int>(sizeof kPauses / sizeof kPauses[0]);
  const int pause = std::min(left_, step_ < kCount ? kPauses[step_] : kLaterPause);
  ++step_;
  left_ -= pause;
  SleepMilliseconds(pause);
  return true;
}

std::string HashedName(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  char name[40];
  std::snprintf(name, sizeof name, "fragtally-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

bool FailNotAFile(FileFailure& failure, const std::string& path, FileFault fault) {
  failure.Fault = fault;
  failure.Path = path;
  failure.Code = 0;
  failure.SystemText = fault == FileFault::Folder ? "is a folder" : "not a regular file";
  failure.ProtectedFolder = false;
  return false;
}

}  // namespace detail

FileSystem& Files() { return g_files != nullptr ? *g_files : NativeFileSystem(); }

void UseFileSystem(FileSystem* files) { g_files = files; }

std::string NativePath(std::string_view path) {
  std::string name(path);
#ifndef _WIN32
  for (char& c : name)
    if (c == '\\') c = '/';
#endif
  return name;
}

namespace {
std::string LocalTimeAs(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, format, &local);
  return stamp;
}
}  // namespace

std::string LocalTimeStamp() { return LocalTimeAs("%Y%m%d-%H%M%S"); }
std::string LocalDateTime() { return LocalTimeAs("%Y-%m-%d %H:%M:%S"); }

bool FileSystem::AppendToFile(const std::string& path, std::string_view bytes, FileFailure& failure) {
  return NativeFileSystem().AppendToFile(path, bytes, failure);
}

void FileSystem::RemoveTemporaries(const std::string& path) { NativeFileSystem().RemoveTemporaries(path); }

bool IsTemporaryOf(std::string_view name, std::string_view base) {
  constexpr std::string_view kMark = ".new-";
  if (name.size() <= base.size() + kMark.size() || name.substr(0, base.size()) != base ||
      name.substr(base.size(), kMark.size()) != kMark)
    return false;
  const std::string_view digits = name.substr(base.size() + kMark.size());
  if (digits.size() > 6) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace fragtally::platform
