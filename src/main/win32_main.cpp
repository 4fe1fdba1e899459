// Fragtally for Windows: lifetime statistics of Krellmar players, one window.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "window/win32/form1.h"
#include "window/win32/message_box_sink.h"
#include "window/win32/running_copy.h"

namespace {

// How long a second start waits for the running copy to answer: it may hold
// the folder's lock and still be creating its window.
constexpr DWORD kRunningCopyWaitMs = 5000;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
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
      MessageBoxW(nullptr, L"Не удалось создать окно программы.", L"Fragtally", MB_OK | MB_ICONERROR);
      CoUninitialize();
      return 1;
    }
    messages.SetOwner(form.hwnd());
    // From here a later start finds this copy, even while the start-up's
    // message box is up.
    fragtally::win32::RunningCopy running(instance, instance_name, form);
    form.session().Load();  // the statistics-file message, if any, comes before the window
    form.Show(show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(form.hwnd(), &message)) {
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
