#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/messages.h"
#include "app/panels.h"
#include "stats/window_state.h"
#include "window/win32/picture.h"

namespace fragtally::win32 {

struct FormOptions {
  // The program's window ends the message loop when it is destroyed; a
  // test's window must not.
  bool quit_on_destroy = true;
};

// The program's one window in Win32, built from the layout table. It owns
// the WindowState and is a thin layer over the handlers of app/: a user's
// event calls a handler, then Render() copies the state into the controls.
// Every control is a direct child of the main window with its control ID
// from the table (ControlIdOf), so GetDlgItem(main, id) finds each one.
class Form1 {
 public:
  // `program_folder` holds basekrm/ (bytes in the ANSI code page); empty
  // means the folder of the executable.
  explicit Form1(MessageSink& messages, std::string program_folder = {}, FormOptions options = {});
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1();

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

  // Before the window is first shown: the panel pictures, then the handler
  // (settings, statistics file, first and second player). Runs once.
  void Form_Load();
  void Form_Activate();
  // Closing: statistics (with players) and settings are written. Runs once;
  // closing is never refused.
  void Form_Unload();

  void Command1_Click();  // import the game's log
  void Command2_Click();  // ratings of the two shown players

  // Copies the state into the controls.
  void Render();

  WindowState& state() { return *state_; }
  const WindowState& state() const { return *state_; }

  // Whether a handler that may take long runs now (the wait cursor is up).
  bool busy() const { return busy_; }

  UINT dpi() const { return dpi_; }
  HFONT FontOf(FontKind kind) const { return kind == FontKind::PanelLabel ? label_font_ : window_font_; }

  // How often the pictures and the labels were painted (tests check what a
  // text change repaints).
  struct PaintCounters {
    int picture_draws = 0;
    int label_draws = 0;
  };
  PaintCounters& paint_counters() { return counters_; }

  // The trace as Text2 answers it: every line decoded, CR LF line ends.
  // Computed on demand, a block at a time; nothing of it is kept.
  std::size_t TraceLength() const;
  std::size_t CopyTrace(wchar_t* buffer, std::size_t capacity) const;
  // Where the trace's caret is, in characters of that text.
  std::size_t TraceCaretPosition() const;

 private:
  // Messages go out only after the controls show the state they speak of,
  // and with the normal cursor while the box is up.
  class RenderFirst : public MessageSink {
   public:
    RenderFirst(Form1& form, MessageSink& messages) : form_(form), messages_(messages) {}
    void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;

   private:
    template <class Box>
    auto Around(Box box);
    Form1& form_;
    MessageSink& messages_;
  };

  // The wait cursor for the lifetime of the guard, taken down on every path.
  class WaitCursor {
   public:
    explicit WaitCursor(Form1& form);
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

   private:
    Form1& form_;
    bool was_busy_;
    HCURSOR previous_;
  };

  struct ControlInfo {
    const ControlSpec* spec;
    HWND hwnd;
  };
  struct PanelControls {
    HWND combo = nullptr;
    HWND picture = nullptr;
    std::array<HWND, kPanelValueCount> values{};
    PanelLabels shown;  // the texts the value labels show, as bytes
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK TraceProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR form);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

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
  void LoadPanelPictures();
  void OnCommand(int id, int code);
  void OnSelection(Panel panel, int index);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void DrawPicture(const DRAWITEMSTRUCT& item);
  void DrawLabel(const DRAWITEMSTRUCT& item, const ControlSpec& spec);
  HBITMAP ScaledPicture();
  RECT PixelRect(const ControlSpec& spec) const;
  void RenderSelector(HWND combo, const Selector& selector);
  void RenderPanel(PanelControls& panel, const PanelLabels& labels);

  RenderFirst messages_;
  std::unique_ptr<WindowState> state_;
  FormOptions options_;

  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND text2_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  std::map<int, ControlInfo> controls_;  // by control ID
  PanelControls panel1_, panel2_;

  UINT dpi_ = 96;
  HFONT window_font_ = nullptr;
  HFONT label_font_ = nullptr;
  PanelPicture picture_;
  PaintCounters counters_;

  bool loaded_ = false;
  bool unloaded_ = false;
  bool busy_ = false;
  bool in_handler_ = false;  // a handler runs (its message box may be up)
  bool close_pending_ = false;
};

}  // namespace fragtally::win32
