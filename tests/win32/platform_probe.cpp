// A second program for the platform tests (tests/win32/platform_test.cpp):
//
//   platform_probe folder OUTPUT   writes the program's folder (UTF-8), a line
//                                  end, and the bytes of basekrm\Stats.krm
//                                  read through that folder, to OUTPUT
//   platform_probe lock FOLDER     exit code 0 when it gets the lock for the
//                                  game folder FOLDER, 3 when another copy holds it

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace fragtally::platform;
  if (argc != 3) return 2;
  const std::wstring command = argv[1];
  if (command == L"lock") return LockGameFolder(Utf8(argv[2])) != nullptr ? 0 : 3;
  if (command != L"folder") return 2;
  const std::string folder = ExecutableFolder();
  std::string report = folder + "\n";
  if (auto stats = NativeFileSystem().OpenForReading(folder + "\\basekrm\\Stats.krm")) {
    char buffer[256];
    const long long n = stats->ReadAt(0, buffer, sizeof buffer);
    if (n > 0) report.append(buffer, static_cast<std::size_t>(n));
  }
  FileFailure failure;
  return NativeFileSystem().ReplaceFile(Utf8(argv[2]), report, failure) ? 0 : 1;
}
