#pragma once

#include <QDialog>

#include "app/matches/head_to_head_session.h"

class QComboBox;
class QLabel;
class QTreeWidget;

namespace fragtally {

// The head-to-head window: two choosers of players and what the two chosen
// did against each other (HeadToHeadSession). Modeless and one of its kind:
// the main window makes it once, opens it for the players of its lists or
// for the Players window's player, and refreshes it after every import and
// undo. Escape and the close button close it. Object names: frmHeadToHead,
// lblFirst, cboFirst, lblSecond, cboSecond, lblShared, lstFigures,
// lblLastShared, lstLastShared, cmdClose.
class HeadToHeadWindow : public QDialog {
  Q_OBJECT

 public:
  // `state` is the main window's: its players and journal are read at every refresh.
  explicit HeadToHeadWindow(const WindowState& state, QWidget* parent = nullptr);

  // Reads the state afresh, chooses the players of slots `first` and
  // `second` (0: none; the chooser that needs one gets the focus) and shows
  // the window in front.
  void Open(int first, int second);
  // Opened for the player of `slot`, the second chosen stays unless it is the same.
  void OpenFor(int slot);
  // Reads the players and the journal afresh when the window is shown.
  void Refresh();

  HeadToHeadSession& session() { return session_; }

 private:
  void BuildWindow();
  void Show(bool entries_changed);
  void BringUp();

  const WindowState& state_;
  HeadToHeadSession session_;
  std::array<QComboBox*, 2> choosers_{};
  QLabel* heading_ = nullptr;
  QTreeWidget* figures_ = nullptr;
  QTreeWidget* matches_ = nullptr;
};

}  // namespace fragtally
