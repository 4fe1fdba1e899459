// Fragtally for Windows: lifetime statistics of Krellmar players, one window.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program/command_line.h"
#include "app/text/messages.h"
#include "platform/platform.h"
#include "window/win32/form1.h"
#include "window/win32/message_box_sink.h"
#include "window/win32/running_copy.h"
#include "window/win32/text.h"
#include "window/win32/user_locale.h"

namespace {

// How long a second start waits for the running copy to answer: it may hold
// the folder's lock and still be creating its window.
constexpr DWORD kRunningCopyWaitMs = 5000;

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating zero
  return bytes;
}

// What the program says without a window, where a script or the console it
// was started from sees it. The program has no console of its own (a GUI
// program): when its output was redirected (a pipe, a file) the handle is
// there already; otherwise it writes to the console of the program that
// started it.
void Tell(const std::string& message, bool error) {
  HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
  }
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    std::wstring wide(message.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, message.data(), static_cast<int>(message.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
  }
}

// --help, --version, the exports and a wrong option: done without a window;
// none when the program was started to open its window.
std::optional<int> RunWithoutWindow() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::nullopt;
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  const std::optional<fragtally::ProgramExit> done =
      fragtally::RunWithoutWindow(arguments, fragtally::platform::ExecutableFolder(), fragtally::win32::UserCsvFormat());
  if (!done) return std::nullopt;
  if (!done->Out.empty()) Tell(done->Out, false);
  if (!done->Err.empty()) Tell(done->Err, true);
  return done->ExitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  if (const std::optional<int> done = RunWithoutWindow()) return *done;

  // One copy per game folder, before anything is read: a second start brings
  // the running copy to the front and ends, touching no file (two copies
  // would each save their own totals over the other's).
  const std::string folder = fragtally::platform::ExecutableFolder();
  const std::unique_ptr<fragtally::platform::InstanceLock> lock = fragtally::platform::LockGameFolder(folder);
  const std::string instance_name = fragtally::platform::InstanceName(folder);
  if (lock == nullptr) {
    fragtally::win32::AskRunningCopyToShow(instance_name, kRunningCopyWaitMs);
    return 0;
  }

  // COM for the picture decoder (WIC); the common controls of the manifest.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  int exit_code = 0;
  {
    fragtally::win32::MessageBoxSink messages;
    fragtally::win32::Form1 form(messages);
    if (form.Create(instance) == nullptr) {
      MessageBoxW(nullptr, fragtally::win32::FromUtf8(fragtally::kWindowNotCreatedText).c_str(), L"Fragtally", MB_OK | MB_ICONERROR);
      CoUninitialize();
      return 1;
    }
    messages.SetOwner(form.hwnd());
    // From here a later start finds this copy, even while the start-up's
    // message box is up.
    fragtally::win32::RunningCopy running(instance, instance_name, form);
    if (!lock->LocksFolder())
      messages.ShowMessage(fragtally::MessageIcon::Error, fragtally::kGameFolderNotLockedTitle,
                           fragtally::GameFolderNotLockedText(fragtally::platform::AbsolutePath(folder)));
    form.session().Load();  // the statistics-file message, if any, comes before the window
    form.Show(show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!form.HandleDialogMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    exit_code = static_cast<int>(message.wParam);
    // An end by other means than closing the window saves all the same
    // (Form_Unload runs once).
    form.session().Unload();
  }
  CoUninitialize();
  return exit_code;
}
