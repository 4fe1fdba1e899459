#include "window/win32/running_copy.h"

#include "window/win32/form1.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Fragtally.RunningCopy";

UINT BringToFrontMessage() {
  static const UINT message = RegisterWindowMessageW(L"Fragtally.BringToFront");
  return message;
}

}  // namespace

RunningCopy::RunningCopy(HINSTANCE instance, const std::string& instance_name, Form1& form) : form_(form) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(instance, kWindowClass, &window_class)) {
    window_class = WNDCLASSEXW{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &RunningCopy::WindowProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&window_class)) return;
  }
  const std::wstring name = FromUtf8(instance_name);
  hwnd_ = CreateWindowExW(0, kWindowClass, name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  // A start without administrator rights may ask a copy that has them.
  if (hwnd_ != nullptr) ChangeWindowMessageFilterEx(hwnd_, BringToFrontMessage(), MSGFLT_ALLOW, nullptr);
}

RunningCopy::~RunningCopy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK RunningCopy::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  } else if (message == BringToFrontMessage()) {
    if (auto* copy = reinterpret_cast<RunningCopy*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      ++copy->requests_;
      copy->form_.BringToFront();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool AskRunningCopyToShow(const std::string& instance_name, DWORD wait_ms) {
  const std::wstring name = FromUtf8(instance_name);
  const UINT message = BringToFrontMessage();
  for (DWORD waited = 0;; waited += 50) {
    if (HWND running = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, name.c_str())) {
      // This start is the user's doing, so it may hand the right to come to
      // the front over to the running copy.
      DWORD process = 0;
      GetWindowThreadProcessId(running, &process);
      AllowSetForegroundWindow(process);
      if (PostMessageW(running, message, 0, 0)) return true;
    }
    if (waited >= wait_ms) return false;
    Sleep(50);
  }
}

}  // namespace fragtally::win32
