#pragma once

// What the modeless windows beside the main one (Players, head-to-head) hold
// and do alike: the main window's instance, font and DPI, the window handle
// and its fixed ID, the control that had the focus, a bold font for a
// heading; making the window and its controls, placing them, and the
// messages every such window answers the same way. Each window derives from
// it, keeps its own HandleMessage (under ObjectWindowProc, which only
// dispatches) and calls Forget() from its Destroyed().

#include <windows.h>

#include <string>
#include <string_view>

#include "app/players_window/placement.h"
#include "window/win32/window_proc.h"

namespace fragtally::win32 {

// The property that carries a window's fixed ID, for the tests and the
// picture tool that look windows up.
inline constexpr wchar_t kWindowIdProperty[] = L"Fragtally.Id";

class OwnedWindow {
 public:
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  // Tab, Escape and the arrow keys for this window; true when it took `message`.
  bool HandleDialogMessage(MSG& message);

 protected:
  // `font` (the main window's, at `dpi`) must outlive the window.
  OwnedWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font)
      : instance_(instance), owner_(owner), dpi_(dpi), font_(font) {}
  // The derived window's destructor calls Close(): its messages still reach it.
  ~OwnedWindow() = default;

  // The window of class `class_name`, answered by ObjectWindowProc<Window>
  // (registered once), owned by the main window: resizable, titled `title`
  // (UTF-8), at `place` in screen pixels with its frame, with the fixed ID
  // `id`. False when the system refused.
  template <class Window>
  bool CreateWindowOf(Window& window, const wchar_t* class_name, DWORD ex_style, std::string_view title,
                      const ScreenRect& place, int id) {
    return RegisterObjectWindowClass<Window>(instance_, class_name) &&
           CreateOwned(&window, class_name, ex_style, title, place, id);
  }
  // Where the system puts a new window whose client area is `width` by
  // `height` pixels at 96 DPI.
  ScreenRect DefaultPlace(int width, int height) const;
  // Destroys the window when it is open.
  void Close();
  // What Destroyed() of the derived window does first: the window is gone.
  void Forget();

  // A child control with the main window's font; `style` adds to WS_CHILD | WS_VISIBLE.
  HWND AddControl(const wchar_t* window_class, DWORD style, int id, const std::wstring& text = {},
                  DWORD ex_style = 0);
  // A report-style list view (list_view.h) with the main window's font.
  HWND AddList(int id, bool owner_data);
  // A static line in the bold font (made from the main window's with the first).
  HWND AddHeading(int id, DWORD style);

  void Place(int id, int x, int y, int width, int height);
  // The width of the text of control `id` on one line in the main window's
  // font, with a little room after it (a label beside its control).
  int TextWidth(int id);
  // Restored when minimized, shown and brought to the front.
  void BringUp();

  // The messages every such window answers alike, and DefWindowProc for the
  // rest: the least size of the client area (`least_width` by
  // `least_height` at 96 DPI), the keyboard focus given back to the control
  // that had it (control `first_id` when none) whenever the window is active
  // again, as in a dialog box, and Close.
  LRESULT DefaultMessage(UINT message, WPARAM wparam, LPARAM lparam, int least_width, int least_height,
                         int first_id);

  int Scaled(int pixels_at_96) const { return MulDiv(pixels_at_96, static_cast<int>(dpi_), 96); }

  HINSTANCE instance_;
  HWND owner_;
  UINT dpi_;
  HFONT font_;
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;       // the control that had the focus when the window was deactivated
  HFONT bold_font_ = nullptr;  // the heading's

 private:
  bool CreateOwned(void* window, const wchar_t* class_name, DWORD ex_style, std::string_view title,
                   const ScreenRect& place, int id);
};

}  // namespace fragtally::win32
