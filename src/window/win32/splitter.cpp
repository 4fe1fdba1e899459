#include "window/win32/splitter.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kSplitterClass[] = L"Fragtally.Splitter";

LRESULT CALLBACK SplitterProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Where in the bar the mouse took hold of it, kept in GWLP_USERDATA: a
  // drag keeps that point under the mouse.
  switch (message) {
    case WM_LBUTTONDOWN:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<short>(HIWORD(lparam)));
      SetCapture(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd && (wparam & MK_LBUTTON) != 0) {
        POINT at{0, static_cast<short>(HIWORD(lparam))};
        HWND parent = GetParent(hwnd);
        MapWindowPoints(hwnd, parent, &at, 1);
        SendMessageW(parent, kSplitterDragged, static_cast<WPARAM>(GetDlgCtrlID(hwnd)), at.y - static_cast<LPARAM>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT band;
      GetClientRect(hwnd, &band);
      FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
      // A grip of three dots in the middle, where a hand looks for it.
      const int middle_x = band.right / 2, middle_y = band.bottom / 2;
      HBRUSH dots = GetSysColorBrush(COLOR_BTNSHADOW);
      for (int k = -1; k <= 1; ++k) {
        RECT dot{middle_x + k * 6 - 1, middle_y - 1, middle_x + k * 6 + 1, middle_y + 1};
        FillRect(dc, &dot, dots);
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

HWND CreateSplitter(HWND parent, int id) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (!GetClassInfoExW(instance, kSplitterClass, &window_class)) {
    window_class = WNDCLASSEXW{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &SplitterProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_SIZENS);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kSplitterClass;
    if (RegisterClassExW(&window_class) == 0) return nullptr;
  }
  return CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace fragtally::win32
