#pragma once

// The window procedure of a window that is a C++ object: the object comes
// with WM_NCCREATE (CreateWindowExW's last argument), is kept in the
// window's GWLP_USERDATA and handles every message with its HandleMessage;
// after WM_NCDESTROY it hears Destroyed() and is reached no more. A class
// using it declares ObjectWindowProc<itself> a friend.

#include <windows.h>

#include "window/win32/resource.h"

namespace fragtally::win32 {

template <class Window>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window* window = nullptr;
  if (message == WM_NCCREATE) {
    window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  } else {
    window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  const LRESULT result = window->HandleMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->Destroyed();
  }
  return result;
}

// Registers the window class `name` of `instance` for ObjectWindowProc<Window>
// once: the program's icon, the arrow cursor, the dialog colour behind.
// False when the system refused.
template <class Window>
bool RegisterObjectWindowClass(HINSTANCE instance, const wchar_t* name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (GetClassInfoExW(instance, name, &window_class)) return true;
  window_class = WNDCLASSEXW{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &ObjectWindowProc<Window>;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(FRAGTALLY_IDI_ICON), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  return RegisterClassExW(&window_class) != 0;
}

}  // namespace fragtally::win32
