#pragma once

// The head-to-head window: one modeless window, owned by the main window,
// with two choosers of players above what the two chosen did against each
// other (HeadToHeadSession): the heading, the figures, the last shared
// matches, and a close button. It reads the main window's state when it
// opens and whenever the totals change; Escape closes it.

#include <windows.h>

#include <functional>

#include "app/matches/head_to_head_session.h"
#include "window/win32/owned_window.h"

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

class HeadToHeadWindow : public OwnedWindow {
  template <class Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 public:
  // `font` (the main window's, at `dpi`) must outlive the window.
  HeadToHeadWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font, std::string decimal_separator);
  ~HeadToHeadWindow() { Close(); }

  // Creates the window when it is not open, reads `state`, chooses the
  // players of slots `first` and `second` (0: none; the chooser that needs
  // one gets the focus) and brings it to the front. False when the system
  // refused to create it.
  bool Open(const WindowState& state, int first, int second);
  // The same for the player of `slot`; the second chosen stays unless it is the same.
  bool OpenFor(const WindowState& state, int slot);
  // Reads `state` again when the window is open (the totals changed).
  void Refresh(const WindowState& state);

  HeadToHeadSession& session() { return session_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Destroyed() { Forget(); }
  // Open and OpenFor: `choose` chooses the players once the session has read `state`.
  bool OpenChoosing(const WindowState& state, const std::function<void()>& choose);
  bool Create();
  void CreateControls();
  void Layout();
  void Show(bool entries_changed);

  HeadToHeadSession session_;
};

}  // namespace fragtally::win32
