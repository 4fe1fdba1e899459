#pragma once

// The head-to-head window: one modeless window, owned by the main window,
// with two choosers of players above what the two chosen did against each
// other (HeadToHeadSession): the heading, the figures, the last shared
// matches, and a close button. It reads the main window's state when it
// opens and whenever the totals change; Escape closes it.

#include <windows.h>

#include "app/matches/head_to_head_session.h"

namespace fragtally::win32 {

// Fixed IDs: the Players window's button that opens this window, this
// window's own (its "Fragtally.Id" property) and its controls'.
enum HeadToHeadId : int {
  kHeadToHeadButtonId = 8060,  // in the Players window
  kHeadToHeadWindowId = 8061,
  kFirstLabelId = 8062,
  kFirstChooserId = 8063,
  kSecondLabelId = 8064,
  kSecondChooserId = 8065,
  kSharedHeadingId = 8066,
  kFiguresId = 8067,
  kLastSharedLabelId = 8068,
  kLastSharedId = 8069,
  kHeadToHeadCloseId = 8070,
};

class HeadToHeadWindow {
  template <class Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 public:
  // `font` (the main window's, at `dpi`) must outlive the window.
  HeadToHeadWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font, std::string decimal_separator);
  HeadToHeadWindow(const HeadToHeadWindow&) = delete;
  HeadToHeadWindow& operator=(const HeadToHeadWindow&) = delete;
  ~HeadToHeadWindow();

  // Creates the window when it is not open, reads `state`, chooses the
  // players of slots `first` and `second` (0: none; the chooser that needs
  // one gets the focus) and brings it to the front. False when the system
  // refused to create it.
  bool Open(const WindowState& state, int first, int second);
  // The same for the player of `slot`; the second chosen stays unless it is the same.
  bool OpenFor(const WindowState& state, int slot);
  // Reads `state` again when the window is open (the totals changed).
  void Refresh(const WindowState& state);
  bool IsOpen() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  // Tab, Escape and the arrow keys for this window; true when it took `message`.
  bool HandleDialogMessage(MSG& message);

  HeadToHeadSession& session() { return session_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Destroyed();
  bool Create();
  void CreateControls();
  void Layout();
  void Show(bool entries_changed);
  void BringUp();
  int Scaled(int pixels_at_96) const { return MulDiv(pixels_at_96, static_cast<int>(dpi_), 96); }

  HINSTANCE instance_;
  HWND owner_;
  UINT dpi_;
  HFONT font_;
  HeadToHeadSession session_;
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  HFONT bold_font_ = nullptr;
};

}  // namespace fragtally::win32
