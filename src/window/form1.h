#pragma once

#include <array>
#include <memory>
#include <string>

#include <QString>
#include <QWidget>

#include "files/messages.h"
#include "stats/window_state.h"
#include "window/panels.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace fragtally {

// The program's one window. It owns the core's WindowState and is a thin
// layer over it: a user's event calls into the core, then Render() mirrors
// the state into the widgets. Every control's objectName is its name
// (Frame1, Combo1, Image1, Label1..Label74, Command1, Command2, Text2).
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `program_folder` holds basekrm/ with the statistics, settings and picture
  // files; empty means the folder of the executable.
  explicit Form1(MessageSink& messages, const QString& program_folder = {}, QWidget* parent = nullptr);
  ~Form1() override;

  // Before the window is first shown: panel pictures, settings, statistics
  // file, first and second player selected. Runs once.
  void Form_Load();
  // The window became active: Text2's caret goes to the end of the trace.
  void Form_Activate();
  // Closing: statistics (with players) and settings are written. Runs once;
  // closing is never refused.
  void Form_Unload();

  void Command1_Click();  // import the game's log
  void Command2_Click();  // ratings of the two shown players

  // Mirrors the core state into the widgets.
  void Render();

  WindowState& state() { return *state_; }
  const WindowState& state() const { return *state_; }

  // Text2 with every trace line the core has appended so far. Text2 is kept
  // hidden and is brought up to date only when it is shown or asked for here.
  QPlainTextEdit* SyncedText2();

  // Closing the window writes nothing (used when only the start-up is timed).
  void DisableUnload() { unloaded_ = true; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct PanelWidgets {
    QGroupBox* frame = nullptr;
    QComboBox* combo = nullptr;
    QLabel* picture = nullptr;
    std::array<QLabel*, kPanelLabelCount> values{};
    PanelLabels shown;  // the texts the value labels show, as core bytes
  };

  void BuildWindow();
  void BuildPanel(PanelWidgets& panel, Panel which);
  void LoadPanelPictures();
  void OnSelection(Panel which, int index);
  void RenderSelector(QComboBox* combo, const Selector& selector);
  void RenderPanel(PanelWidgets& panel, const PanelLabels& labels);
  void SyncTrace();
  void PlaceTraceCaret();
  void ShowFillFailure();

  MessageSink& messages_;
  std::unique_ptr<WindowState> state_;

  PanelWidgets panel1_, panel2_;
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPlainTextEdit* text2_ = nullptr;

  std::size_t trace_synced_ = 0;  // bytes of state.Trace already in Text2
  bool loaded_ = false;
  bool unloaded_ = false;
};

}  // namespace fragtally
