#include "window/win32/panel_paint.h"

#include <string>

namespace fragtally::win32 {

void DrawPicture(const DRAWITEMSTRUCT& item, HBITMAP scaled) {
  const RECT& r = item.rcItem;
  if (scaled == nullptr) {
    FillRect(item.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  HDC source = CreateCompatibleDC(item.hDC);
  HGDIOBJ old = SelectObject(source, scaled);
  BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

// The label is painted whole, in one BitBlt, from an off-screen buffer
// holding the part of the picture under it and the text on top. Nothing
// between the old and the new text reaches the screen, and no trace of the
// old text can remain.
void DrawLabel(const DRAWITEMSTRUCT& item, const ControlSpec& control, HFONT font, HWND picture, HBITMAP scaled) {
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (width <= 0 || height <= 0) return;

  HDC buffer = CreateCompatibleDC(item.hDC);
  HBITMAP buffer_bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  HGDIOBJ old_bitmap = SelectObject(buffer, buffer_bitmap);

  RECT all{0, 0, width, height};
  FillRect(buffer, &all, GetSysColorBrush(COLOR_BTNFACE));  // what lies outside the picture, if anything
  if (scaled != nullptr) {
    POINT at{0, 0};  // the label's top left corner in the picture
    MapWindowPoints(item.hwndItem, picture, &at, 1);
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, scaled);
    BitBlt(buffer, 0, 0, width, height, source, at.x, at.y, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }

  const int length = GetWindowTextLengthW(item.hwndItem);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(item.hwndItem, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));

  SetBkMode(buffer, TRANSPARENT);
  SetTextColor(buffer, RGB(control.TextColour.Red, control.TextColour.Green, control.TextColour.Blue));
  HGDIOBJ old_font = SelectObject(buffer, font);
  const UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_TOP | (control.Align == TextAlign::Centre ? DT_CENTER : DT_LEFT);
  DrawTextW(buffer, text.c_str(), length, &all, format);
  SelectObject(buffer, old_font);

  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old_bitmap);
  DeleteObject(buffer_bitmap);
  DeleteDC(buffer);
}

}  // namespace fragtally::win32
