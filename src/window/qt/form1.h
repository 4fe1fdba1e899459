#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>

#include <QString>
#include <QWidget>

#include "app/messages.h"
#include "app/panels.h"
#include "stats/window_state.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace fragtally {

// The program's one window in Qt Widgets, built from the layout table. It
// owns the WindowState and is a thin layer over the handlers of app/: a
// user's event calls a handler, then Render() copies the state into the
// widgets. Every control's objectName is its name (Frame1, Combo1, Image1,
// Label1..Label74, Command1, Command2, Text2).
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `program_folder` holds basekrm/ with the statistics, settings and picture
  // files; empty means the folder of the executable.
  explicit Form1(MessageSink& messages, const QString& program_folder = {}, QWidget* parent = nullptr);
  ~Form1() override;

  // Before the window is first shown: panel pictures, then the handler
  // (settings, statistics file, first and second player). Runs once.
  void Form_Load();
  void Form_Activate();
  // Closing: statistics (with players) and settings are written. Runs once;
  // closing is never refused.
  void Form_Unload();

  void Command1_Click();  // import the game's log
  void Command2_Click();  // ratings of the two shown players

  // Copies the state into the widgets.
  void Render();

  // Restores the window when it is minimised, raises and activates it, or
  // the message box it shows, if any (another start of the program asks so).
  void BringToFront();

  WindowState& state() { return *state_; }
  const WindowState& state() const { return *state_; }

  // Text2 with every trace line appended so far. Text2 is kept hidden and is
  // brought up to date only when it is shown or asked for here.
  QPlainTextEdit* SyncedText2();

  // Closing the window writes nothing (used when only the start-up is timed).
  void DisableUnload() { unloaded_ = true; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Messages go out only after the widgets show the state they speak of,
  // and with the ordinary cursor, even in the middle of a long command.
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

  struct PanelWidgets {
    QComboBox* combo = nullptr;
    QLabel* picture = nullptr;
    std::array<QLabel*, kPanelValueCount> values{};
    PanelLabels shown;  // the texts the value labels show, as bytes
  };

  void BuildWindow();
  void LoadPanelPictures();
  void OnSelection(Panel which, int index);
  void RenderSelector(QComboBox* combo, const Selector& selector);
  void RenderPanel(PanelWidgets& panel, const PanelLabels& labels);
  void SyncTrace();
  void PlaceTraceCaret();

  RenderFirst messages_;
  std::unique_ptr<WindowState> state_;

  PanelWidgets panel1_, panel2_;
  QPlainTextEdit* text2_ = nullptr;

  std::size_t trace_synced_ = 0;  // bytes of state.Trace already in Text2
  bool loaded_ = false;
  bool unloaded_ = false;
};

// Bytes from the files as the window shows them.
QString ShownText(std::string_view bytes);

}  // namespace fragtally
