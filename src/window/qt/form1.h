#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <functional>
#include <string>

#include <QString>
#include <QWidget>

#include "app/main_window/form_session.h"
#include "app/main_window/layout.h"
#include "app/main_window/menus.h"

class QAction;
class QComboBox;
class QLabel;
class QMenuBar;
class QPlainTextEdit;

namespace fragtally {

class HeadToHeadWindow;
class PlayersWindow;

// The program's main window in Qt Widgets, built from the layout table. Its
// presenter (FormSession) owns the state and runs the handlers; the window
// forwards the user's events to it and applies the changes it hands back. Every control's objectName is its name (Frame1, Combo1, Image1,
// Label1..Label74, Command1, Command2, Text2). The menu bar sits on top and
// the status line (StatusLine) at the bottom, and the window is taller by
// both: the controls keep the client area of the layout table between them,
// each at its place.
class Form1 : public QWidget, private FormView, private MenuWindow {
  Q_OBJECT

 public:
  // `program_folder` holds basekrm/ with the statistics, settings and picture
  // files; empty means the folder of the executable.
  explicit Form1(MessageSink& messages, const QString& program_folder = {}, QWidget* parent = nullptr);
  ~Form1() override;

  // The presenter: the window's events before it is shown and after it is
  // gone (Load, Unload) are sent to it directly.
  FormSession& session() { return session_; }

  // Restores the window when it is minimised, raises and activates it, or
  // the message box it shows, if any (another start of the program asks so).
  void BringToFront();

  WindowState& state() { return session_.state(); }
  const WindowState& state() const { return session_.state(); }

  // Text2 with every trace line appended so far. Text2 is kept hidden and is
  // brought up to date only when it is shown or asked for here.
  QPlainTextEdit* SyncedText2();

  // The area of the layout table's controls, below the menu bar and above the
  // status line.
  QRect ClientArea() const;
  // The menu command's action (its objectName is the table's).
  QAction* MenuAction(MenuCommand command) const;
  // Runs a menu command, as choosing its item does.
  void RunMenuCommand(MenuCommand command);
  // The Players window once the menu made it, else null.
  PlayersWindow* Players() const { return players_; }
  // The head-to-head window once it was opened, else null.
  HeadToHeadWindow* HeadToHead() const { return head_to_head_; }

  // Asks for the file an export writes (empty: cancelled). The save dialog
  // unless replaced (a test, the picture tool).
  using SaveFileChooser = std::function<QString(const ExportOffer& offer)>;
  void SetSaveFileChooser(SaveFileChooser chooser) { choose_save_file_ = std::move(chooser); }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using PanelWidgets = PanelControls<QComboBox*, QLabel*, QLabel*>;

  // FormView
  void Apply(const ViewDelta& delta) override;
  void SetBusy(bool busy) override;
  void LoadPanelPictures(const std::string& path) override;

  void BuildWindow();
  void BuildMenus();
  // MenuWindow
  void ShowPlayers() override;
  void ShowHeadToHead(int first_slot, int second_slot) override;
  HeadToHeadWindow* MadeHeadToHead();
  std::optional<std::string> ChooseExportFile(const ExportOffer& offer) override;
  CsvFormat UserCsvFormat() override;

  void SyncTrace();
  void PlaceTraceCaret();

  MessageSink& messages_;  // the Players window's commands on people tell their failures here too
  FormSession session_;
  std::array<PanelWidgets, 2> panels_;
  QPlainTextEdit* text2_ = nullptr;
  QLabel* status_line_ = nullptr;
  QMenuBar* menu_bar_ = nullptr;
  std::map<MenuCommand, QAction*> actions_;
  PlayersWindow* players_ = nullptr;
  HeadToHeadWindow* head_to_head_ = nullptr;
  SaveFileChooser choose_save_file_;

  std::size_t trace_synced_ = 0;  // bytes of state.Trace already in Text2
};

}  // namespace fragtally
