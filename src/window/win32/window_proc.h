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

// What the modeless windows beside the main one (Players, head-to-head)
// answer alike, and DefWindowProc for everything else: the least size of the
// client area (`least_client`, in pixels at the window's DPI), the keyboard
// focus given back to the control that had it (kept in `focus`; `first` when
// none) whenever the window is active again, as in a dialog box, and Close.
inline LRESULT ModelessWindowDefault(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, SIZE least_client,
                                     HWND& focus, HWND first) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      RECT least{0, 0, least_client.cx, least_client.cy};
      AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE, 0);
      limits.ptMinTrackSize = POINT{least.right - least.left, least.bottom - least.top};
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND had = GetFocus();
        if (had != nullptr && IsChild(hwnd, had)) focus = had;
      } else if (HIWORD(wparam) == 0) {
        SetFocus(focus != nullptr && IsWindow(focus) ? focus : first);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace fragtally::win32
