#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "app/main_window/form_session.h"
#include "app/main_window/layout.h"
#include "app/main_window/menus.h"
#include "window/win32/picture.h"
#include "window/win32/head_to_head_window.h"
#include "window/win32/players_window.h"
#include "window/win32/save_dialog.h"

namespace fragtally::win32 {

struct FormOptions {
  // The program's window ends the message loop when it is destroyed; a
  // test's window must not.
  bool quit_on_destroy = true;
  // Asks for the file of an export (the system's Save As dialog when empty;
  // a test answers without a dialog).
  SaveFileChooser choose_save_file;
};

// The program's one window in Win32, built from the layout table. Its
// presenter (FormSession) owns the state and runs the handlers; the window
// forwards the user's events to it and applies the changes it hands back.
// Every control is a direct child of the main window with its control ID
// from the table (ControlIdOf), so GetDlgItem(main, id) finds each one; the
// status line (kStatusLineId) is under them, the window taller by it. The
// panels' drawing, the trace box and the frames are in files of their own.
class Form1 : private FormView, private MenuWindow {
 public:
  // `program_folder` holds basekrm/ (bytes in the ANSI code page); empty
  // means the folder of the executable.
  explicit Form1(MessageSink& messages, std::string program_folder = {}, FormOptions options = {});
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  // Registers the window class (once) and creates the window and its
  // controls, hidden. nullptr when the system refused.
  HWND Create(HINSTANCE instance);
  // Shown as `show_command` says. Once the window is active, the keyboard
  // focus is on the first control in the tab order.
  void Show(int show_command);
  // Restores the window when it is minimised and brings it to the front, or
  // the message box it shows, if any (another start of the program asks so).
  void BringToFront();
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  // The Players window, once the menu opened it (it may have been closed since).
  PlayersWindow* players() const { return players_.get(); }
  // The head-to-head window, once it was opened (it may have been closed since).
  HeadToHeadWindow* head_to_head() const { return head_to_head_.get(); }
  // The dialog keys (Tab, Enter, Escape) of this window and the Players
  // window, as the message loop hands them over; true when one took `message`.
  bool HandleDialogMessage(MSG& message);

  // The presenter: the window's events before it is shown and after it is
  // gone (Load, Unload) are sent to it directly.
  FormSession& session() { return session_; }
  WindowState& state() { return session_.state(); }
  const WindowState& state() const { return session_.state(); }

  UINT dpi() const { return dpi_; }
  HFONT FontOf(FontKind kind) const { return kind == FontKind::PanelLabel ? label_font_ : window_font_; }

 private:
  // Every box of a handler takes the focus: the control that had it is
  // remembered first and gets it back once the window is active again.
  class FocusKeeping : public MessageSink {
   public:
    FocusKeeping(Form1& form, MessageSink& messages) : form_(form), messages_(messages) {}
    void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;

   private:
    Form1& form_;
    MessageSink& messages_;
  };

  struct ControlInfo {
    const ControlSpec* control;
    HWND hwnd;
  };
  using PanelHandles = PanelControls<HWND, HWND, HWND>;

  // FormView
  void Apply(const ViewDelta& delta) override;
  void SetBusy(bool busy) override;
  void LoadPanelPictures(const std::string& path) override;

  template <class Window>
  friend LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The window is gone (WM_NCDESTROY): so are its controls.
  void Destroyed();

  // The keyboard focus, kept as a dialog box keeps it: the control that has
  // it is remembered when the window is deactivated or minimised (a message
  // box comes up, the user switches away) and gets it back when the window is
  // active again; the first tab stop when none was remembered.
  void RememberFocus();
  void RestoreFocus();
  // The command button that has the focus, or nullptr: Enter presses it.
  HWND FocusedButton() const;

  void CreateControls();
  void ApplyDpi(UINT dpi);
  void OnCommand(int id, int code);
  // MenuWindow
  void ShowPlayers() override;
  void ShowHeadToHead(int first_slot, int second_slot) override;
  HeadToHeadWindow& MadeHeadToHead();
  std::optional<std::string> ChooseExportFile(const ExportOffer& offer) override;
  CsvFormat UserCsvFormat() override;
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HBITMAP ScaledPicture();
  RECT PixelRect(const ControlSpec& control) const;

  FocusKeeping messages_;
  FormSession session_;
  FormOptions options_;

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  std::map<int, ControlInfo> controls_;  // by control ID
  std::array<PanelHandles, 2> panels_;

  UINT dpi_ = 96;
  HFONT window_font_ = nullptr;
  HFONT label_font_ = nullptr;
  PanelPicture picture_;
  std::unique_ptr<PlayersWindow> players_;
  std::unique_ptr<HeadToHeadWindow> head_to_head_;

  bool busy_ = false;
  HCURSOR cursor_before_busy_ = nullptr;
  bool close_pending_ = false;
};

}  // namespace fragtally::win32
