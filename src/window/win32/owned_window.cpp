#include "window/win32/owned_window.h"

#include <commctrl.h>

#include <algorithm>

#include "window/win32/list_view.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

// Resizable, owned by the main window, so it stays above it and goes with it.
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

bool OwnedWindow::HandleDialogMessage(MSG& message) {
  return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message);
}

ScreenRect OwnedWindow::DefaultPlace(int width, int height) const {
  RECT frame{0, 0, Scaled(width), Scaled(height)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  return {CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top};
}

bool OwnedWindow::CreateOwned(void* window, const wchar_t* class_name, DWORD ex_style, std::string_view title,
                              const ScreenRect& place, int id) {
  if (!CreateWindowExW(ex_style, class_name, FromUtf8(title).c_str(), kStyle, place.X, place.Y, place.Width,
                       place.Height, owner_, nullptr, instance_, window)) {
    return false;
  }
  SetPropW(hwnd_, kWindowIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(id)));
  return true;
}

void OwnedWindow::Close() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void OwnedWindow::Forget() {
  RemovePropW(hwnd_, kWindowIdProperty);
  hwnd_ = nullptr;
  focus_ = nullptr;
  if (bold_font_ != nullptr) DeleteObject(bold_font_);
  bold_font_ = nullptr;
}

HWND OwnedWindow::AddControl(const wchar_t* window_class, DWORD style, int id, const std::wstring& text,
                             DWORD ex_style) {
  HWND control = CreateWindowExW(ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

HWND OwnedWindow::AddList(int id, bool owner_data) {
  HWND list = CreateListView(hwnd_, id, owner_data);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return list;
}

HWND OwnedWindow::AddHeading(int id, DWORD style) {
  if (bold_font_ == nullptr) {
    LOGFONTW logfont{};
    GetObjectW(font_, sizeof logfont, &logfont);
    logfont.lfWeight = FW_BOLD;
    bold_font_ = CreateFontIndirectW(&logfont);
  }
  HWND heading = AddControl(WC_STATICW, style, id);
  SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(bold_font_), FALSE);
  return heading;
}

void OwnedWindow::Place(int id, int x, int y, int width, int height) {
  SetWindowPos(Control(id), nullptr, x, y, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

int OwnedWindow::TextWidth(int id) {
  HWND control = Control(id);
  wchar_t text[64] = L"";
  GetWindowTextW(control, text, 64);
  HDC dc = GetDC(control);
  SelectObject(dc, font_);
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  ReleaseDC(control, dc);
  return rect.right + Scaled(2);
}

void OwnedWindow::BringUp() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

LRESULT OwnedWindow::DefaultMessage(UINT message, WPARAM wparam, LPARAM lparam, int least_width, int least_height,
                                    int first_id) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lparam);
      RECT least{0, 0, Scaled(least_width), Scaled(least_height)};
      AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE, 0);
      limits.ptMinTrackSize = POINT{least.right - least.left, least.bottom - least.top};
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND had = GetFocus();
        if (had != nullptr && IsChild(hwnd_, had)) focus_ = had;
      } else if (HIWORD(wparam) == 0) {
        SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : Control(first_id));
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace fragtally::win32
