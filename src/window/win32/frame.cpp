#include "window/win32/frame.h"

#include <commctrl.h>

namespace fragtally::win32 {

namespace {

constexpr UINT_PTR kFrameSubclass = 1;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &FrameProc, kFrameSubclass);
      break;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

void AttachFrame(HWND group_box) { SetWindowSubclass(group_box, &FrameProc, kFrameSubclass, 0); }

}  // namespace fragtally::win32
