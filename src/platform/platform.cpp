#include "platform/platform.h"

#include <ctime>

namespace fragtally::platform {

namespace {
FileSystem* g_files = nullptr;
}

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

std::string LocalTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return stamp;
}

}  // namespace fragtally::platform
