#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "app/players_window/players_session.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTableView;
class QTreeWidget;

namespace fragtally {

class ChartView;
class PlayersTableModel;

// The Players window: every player in a table sorted by a click
// on a header, a period choice above it, and below it the selected player's
// charts (frags, accuracy, skill), records, last games with their matches,
// the chosen match's scoreboard and the maps. Modeless and one of its kind: the main
// window makes it once, shows it again on its menu command, and refreshes it
// after every load, import and undo. Escape closes it. The table and the page share the
// height by a splitter; the window's place and the splitter's are kept in the game folder's
// window file when it closes and come back when it is made. Object names: frmPlayers, lblPeriod,
// cboPeriod, cmdHeadToHead, splPlayers, tblPlayers, lblPlayer, chtFrags, cboAccuracyWeapon,
// chtAccuracy, chtSkill, lstRecords, lstMatches, lblScoreboard, lstScoreboard, lstMaps; the people's:
// cmdMerge, cmdSplit, cmdHide, cmdHiddenNames, lblRankMinimum, txtRankMinimum, lblRankLegend,
// lstNames, and the list dialog's dlgChooseName, lblChoice, lstChoice.
class PlayersWindow : public QWidget {
  Q_OBJECT

 public:
  // `state` is the main window's: its table of players is read at every
  // refresh.
  // The organiser's commands on people change `state`'s journal and tell
  // their failures through `messages`.
  PlayersWindow(WindowState& state, MessageSink& messages, QWidget* parent = nullptr);
  ~PlayersWindow() override;

  // Shown again after it was closed: reads the players and the journal
  // afresh and chooses the first row when no player is chosen.
  void Open();
  // Reads the players and the journal afresh; the period, order and
  // selected player stay.
  void Refresh();

  PlayersSession& session() { return session_; }
  // What the head-to-head button does: opens that window for the slot of
  // the selected player (0: none).
  void SetHeadToHead(std::function<void(int slot)> open) { open_head_to_head_ = std::move(open); }
  // Told after every change of people (the other windows that show them refresh).
  void SetPeopleChanged(std::function<void()> changed) { people_changed_ = std::move(changed); }
  // Asks for one of `names` (bytes) in the list dialog: its index, or none
  // when cancelled. The dialog unless replaced (a test, the picture tool).
  using NameChooser = PlayersSession::NameChooser;
  void SetNameChooser(NameChooser chooser) { choose_name_ = std::move(chooser); }
  // The list dialog itself, with `names` and the first chosen; a caller shows it.
  static class QDialog* MakeNameDialog(QWidget* parent, std::string_view title, std::string_view prompt,
                                       std::string_view button, const std::vector<std::string>& names);

 protected:
  // Closing keeps the window's place and the splitter's for the next run.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The place the window file holds, on the screen it fits, and the splitter's.
  void RestorePlacement();
  // The accuracy chart's weapons, and its chart.
  void ShowWeapons(const PlayersPageView& view);
  void BuildWindow();
  // The table's rows changed (refresh, period, sort): the model reset, the
  // header's sort indicator and the selected row put back.
  void ShowTable();
  void ShowPage();
  void ShowScoreboard(const PlayersPageView& view);
  // The columns sized to their captions and longest cells.
  void FitColumns();
  // The people's buttons enabled for the rows chosen; the minimum shown.
  void ShowPeopleControls();
  std::vector<int> ChosenRows() const;
  // After a command on people: the table again, and the other windows told.
  void PeopleChanged();
  // The list dialog, or the chooser that replaces it.
  PlayersSession::NameChooser Chooser();

  WindowState& state_;
  MessageSink& messages_;
  PlayersSession session_;
  PlayersTableModel* model_ = nullptr;
  QComboBox* period_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* player_ = nullptr;
  ChartView* frags_ = nullptr;
  ChartView* accuracy_ = nullptr;
  QComboBox* weapon_ = nullptr;
  QSplitter* splitter_ = nullptr;
  ChartView* skill_ = nullptr;
  QTreeWidget* records_ = nullptr;
  QTreeWidget* matches_ = nullptr;
  std::function<void(int slot)> open_head_to_head_;
  QLabel* scoreboard_title_ = nullptr;
  QTreeWidget* scoreboard_ = nullptr;
  QTreeWidget* maps_ = nullptr;
  QTreeWidget* names_ = nullptr;
  QPushButton* merge_ = nullptr;
  QPushButton* split_ = nullptr;
  QPushButton* hide_ = nullptr;
  QPushButton* hidden_names_ = nullptr;
  QSpinBox* minimum_ = nullptr;
  QLabel* legend_ = nullptr;
  std::function<void()> people_changed_;
  NameChooser choose_name_;
  bool showing_table_ = false;  // selections made while the rows are put back are no user's
  bool showing_page_ = false;   // likewise for the last games' list and the weapon's choice
};

}  // namespace fragtally
