#pragma once

// The presenter both windows share. It owns the window's state and runs the
// handlers of commands.h for the window's events, with what every window
// does around them: each handler at most once at a time (Form_Load and
// Form_Unload once in all), the wait cursor while a long handler runs, the
// controls brought up to date before any message box and the normal cursor
// while the box is up, and after each event the change of what the window
// shows. A window creates its controls, paints them, forwards its events
// here and applies the changes it is handed (FormView).

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/exports/export.h"
#include "app/main_window/menus.h"
#include "app/text/messages.h"
#include "app/main_window/panels.h"
#include "app/main_window/window_state.h"

namespace fragtally {

// What the window must change to show the state: the entries both selectors
// gained (they list the same names), each selector's selected entry, the
// value labels whose text changed, and the trace's caret. Texts are bytes
// that stay valid until the next event.
// Everything the window shows of the state is computed here, in one place
// (FormSession::TakeDelta): a control or menu item whose state follows the
// window state gets its field here.
struct ViewDelta {
  bool ResetEntries = false;  // drop every entry before adding NewEntries
  int FirstNewEntry = 0;      // the list position of NewEntries[0]
  std::vector<std::string_view> NewEntries;
  std::array<int, 2> Selected{-1, -1};  // by panel; -1 selects nothing
  struct LabelText {
    Panel Which;
    int Fill;  // the label's place in the panel's fill order (PanelValue)
    std::string_view Text;
  };
  std::vector<LabelText> Labels;
  std::size_t TraceCaret = 0;  // bytes of the trace before the caret
  // The menu command "Отменить последний импорт" can act (else it is greyed).
  bool UndoImportEnabled = false;
  // The totals may have changed (a load, an import or an undo ran): a window
  // that shows them (the Players window) reads them again.
  bool TotalsChanged = false;
  // The status line's new text (UTF-8), when it changed.
  std::optional<std::string_view> StatusLine;
};

// What the menu's commands ask of the window itself.
class MenuWindow {
 public:
  virtual ~MenuWindow() = default;
  // Opens the Players window, or brings it to the front.
  virtual void ShowPlayers() = 0;
  // Opens the head-to-head window for the players of two different slots
  // (from 1), or brings it to the front with them.
  virtual void ShowHeadToHead(int first_slot, int second_slot) = 0;
  // The file the player chose in the save dialog, or none (cancelled).
  virtual std::optional<std::string> ChooseExportFile(const ExportOffer& offer) = 0;
  // The separators of the user's locale for a spreadsheet.
  virtual CsvFormat UserCsvFormat() = 0;
};

// The little a window does for the presenter.
class FormView {
 public:
  virtual ~FormView() = default;
  // Brings the controls up to date.
  virtual void Apply(const ViewDelta& delta) = 0;
  // The wait cursor on (a long handler runs) or off.
  virtual void SetBusy(bool busy) = 0;
  // Before the state is loaded: the panels' picture from this file, when it
  // can be read.
  virtual void LoadPanelPictures(const std::string& path) = 0;
};

class FormSession {
 public:
  // `messages` shows the boxes; `program_folder` holds basekrm/.
  FormSession(FormView& view, MessageSink& messages, std::string program_folder);
  FormSession(const FormSession&) = delete;
  FormSession& operator=(const FormSession&) = delete;

  WindowState& state() { return *state_; }
  const WindowState& state() const { return *state_; }

  // The window's events. Load, Import, Ratings and Select are ignored while
  // another handler runs (its message box is up); Load and Unload run once
  // in the window's life, and Unload and Activate run whenever they come.
  void Load();
  void Activate();
  void Unload();
  void Import();                                        // Command1
  void Ratings(const std::string& decimal_separator);  // Command2
  void Select(Panel panel, int index);                 // a selector's entry chosen
  // The menu's commands. The exports write to a file the window had the
  // player choose, in the user's locale.
  void UndoImport();
  void About();
  void Export(ExportKind kind, const std::string& target, const CsvFormat& format);
  // A menu command chosen: runs it, with what it needs of the window.
  void Menu(MenuCommand command, MenuWindow& window);

  // How long a handler may take: a long one runs under the wait cursor.
  enum class Duration { Short, Long };
  using Handler = std::function<void(WindowState& state, MessageSink& messages)>;
  // Runs a handler as the events above run theirs: not while another runs,
  // under the wait cursor when long, every message box after the controls
  // are up to date; then the controls are brought up to date. False when it
  // did not run.
  bool Run(Duration duration, const Handler& handler);

  // Whether a handler runs now, and whether the wait cursor is up.
  bool running() const { return running_; }
  bool busy() const { return busy_; }

  // Closing writes nothing (used when only the start-up is timed).
  void DisableUnload() { unloaded_ = true; }

  // The window (re)made its controls: they show the design texts and no
  // entries. Everything the state holds is applied again.
  void ViewReset();
  // Applies what changed since the last time (nothing when nothing did).
  void Refresh();

 private:
  // Every box of a handler goes out after the controls show the state it
  // speaks of, and with the normal cursor while it is up.
  class RefreshFirst : public MessageSink {
   public:
    explicit RefreshFirst(FormSession& session) : session_(session) {}
    void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;

   private:
    template <class Box>
    auto Around(const Box& box);
    FormSession& session_;
  };

  ViewDelta TakeDelta();

  FormView& view_;
  MessageSink& outer_;
  RefreshFirst messages_;
  std::unique_ptr<WindowState> state_;

  // What the window shows now.
  int entries_shown_ = 0;
  std::array<PanelLabels, 2> labels_shown_;
  std::string status_shown_;

  bool loaded_ = false;
  bool unloaded_ = false;
  bool running_ = false;
  bool busy_ = false;
  bool totals_changed_ = false;
};

}  // namespace fragtally
