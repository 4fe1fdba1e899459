#pragma once

// The Windows window in-process: tests send what a user's actions send
// (BM_CLICK, CB_SETCURSEL with CBN_SELCHANGE, WM_CLOSE) and read every control
// back by its control ID; message boxes are recorded, never shown.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window/layout.h"
#include "control_reading.h"
#include "test_support.h"
#include "window/win32/form1.h"

namespace fragtally::testing {

inline int Id(const char* name) { return ControlIdOf(name); }

std::wstring TextOf(HWND hwnd);
// The rectangle of a child in its parent's client coordinates.
RECT RectInParent(HWND hwnd);
std::wstring W(const std::string& utf8);

// Records each message box as the user reads it (each line decoded, CR LF),
// and whether the window was on the screen and the cursor the normal one.
// With `real_boxes` each message is also shown as the program shows it (a
// system message box owned by the window), which the user closes with Enter
// once it is in front.
class WindowSink : public RecordingSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
  HWND window = nullptr;
  bool real_boxes = false;
  std::vector<bool> window_visible;
  std::vector<HCURSOR> cursor;
};

// Counts what the window paints of its owner-drawn controls (WM_DRAWITEM for
// the pictures and the labels) while it lives.
class DrawCounter {
 public:
  explicit DrawCounter(HWND window);
  ~DrawCounter();
  DrawCounter(const DrawCounter&) = delete;
  DrawCounter& operator=(const DrawCounter&) = delete;
  int picture_draws = 0;
  int label_draws = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self);
  HWND window_;
};

// A key pressed and released on the keyboard (SendInput): it goes to the
// window in front, to the control that has the focus.
void PressKey(WORD key);
// The message box (dialog class) of the thread that is on the screen, or nullptr.
HWND MessageBoxOf(DWORD thread);

// A window whose program folder (and current folder) is a fresh temporary
// folder; created hidden.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;

  std::filesystem::path Basekrm() const { return dir_.path() / "basekrm"; }
  void WriteStats(const std::string& bytes) const { WriteFile(Basekrm() / "Stats.krm", bytes); }
  // Form_Load, as the program does it before showing the window.
  void Load() { form_->session().Load(); }
  void ShowAndPaint();

  HWND Item(const char* name) const { return GetDlgItem(main_, Id(name)); }
  std::wstring Text(const char* name) const { return TextOf(Item(name)); }
  // A user's choice in a selector: the selection, and the notification it sends.
  void SelectAsUser(const char* combo, int index);
  // A click on a button (sent: in-process it returns after the handler).
  void Click(const char* button);
  // Shown and in front, as the program shows it.
  void ShowActive();
  // Handles what arrives for about `ms` milliseconds, as the program's
  // message loop does (the dialog keys included).
  void Pump(int ms = 100);

  // What the Save As dialog of an export would answer (none: cancelled), and
  // the requests it was asked with.
  std::optional<std::wstring> save_answer_;
  std::vector<win32::SaveRequest> save_requests_;

  TempDir dir_;
  CurrentFolder in_game_folder_;
  WindowSink sink_;
  std::unique_ptr<win32::Form1> form_;
  HWND main_ = nullptr;
};

}  // namespace fragtally::testing
