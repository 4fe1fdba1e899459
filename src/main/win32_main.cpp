// Fragtally for Windows: lifetime statistics of Krellmar players, one window.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "window/win32/form1.h"
#include "window/win32/message_box_sink.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
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
    form.Form_Load();  // the statistics-file message, if any, comes before the window
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
    form.Form_Unload();
  }
  CoUninitialize();
  return exit_code;
}
