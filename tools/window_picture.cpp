// Renders the main window to a PNG file, the way a new user sees it after the
// first import of a game log: start-up without files, then the import button.
// With a third file, the Players window too, opened from the menu at its
// opening size, sorted by skill with the first player selected (the page
// shows the newest match's scoreboard). With two more, the second log (more
// evenings of the same players) is appended to the game's log and imported
// first, so that the Players window's charts have games to show, and the
// head-to-head window of the first and the third player of the main
// window's lists is rendered too. With one more after those, the main window
// with its "Игроки" menu open, after the first import. With three more after
// that, a third log (an evening where Tarn played as T4rn and Ostrov's name
// came in two encodings) appended and imported, the Players window with Tarn
// and T4rn merged, the minimum of matches at 8 (greyed rows) and the merged
// person chosen; and the merge's list dialog.
//
//   QT_QPA_PLATFORM=offscreen window_picture docs/window.png demo/basekrm/LOG.txt [docs/players.png
//     [docs/head-to-head.png demo/basekrm/LOG-more-evenings.txt [docs/menu.png
//       [demo/basekrm/LOG-names.txt docs/players-people.png docs/merge-names.png]]]]
//
// Works in a fresh temporary folder (program folder and current folder); the
// message boxes are printed instead of shown.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "app/players_window/players.h"
#include "window/qt/form1.h"
#include "window/qt/head_to_head_window.h"
#include "window/qt/players_window.h"
#include "window/qt/qt_message_sink.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 3 && argc != 4 && argc != 6 && argc != 7 && argc != 10) {
    std::fprintf(stderr,
                 "usage: %s OUTPUT.png GAME_LOG.txt [PLAYERS.png [HEAD_TO_HEAD.png MORE_LOG.txt [MENU.png "
                 "[NAMES_LOG.txt PEOPLE.png MERGE_DIALOG.png]]]]\n",
                 argv[0]);
    return 2;
  }
  const std::filesystem::path output = std::filesystem::absolute(argv[1]);
  const std::filesystem::path log = std::filesystem::absolute(argv[2]);
  const std::filesystem::path players_output = argc >= 4 ? std::filesystem::absolute(argv[3]) : std::filesystem::path();
  const std::filesystem::path head_to_head_output =
      argc >= 6 ? std::filesystem::absolute(argv[4]) : std::filesystem::path();
  const std::filesystem::path more_log = argc >= 6 ? std::filesystem::absolute(argv[5]) : std::filesystem::path();
  const std::filesystem::path menu_output = argc >= 7 ? std::filesystem::absolute(argv[6]) : std::filesystem::path();
  const std::filesystem::path names_log = argc == 10 ? std::filesystem::absolute(argv[7]) : std::filesystem::path();
  const std::filesystem::path people_output = argc == 10 ? std::filesystem::absolute(argv[8]) : std::filesystem::path();
  const std::filesystem::path dialog_output = argc == 10 ? std::filesystem::absolute(argv[9]) : std::filesystem::path();

  QTemporaryDir folder;
  if (!folder.isValid()) return 1;
  const std::filesystem::path base = folder.path().toStdString();
  std::error_code ec;
  std::filesystem::create_directories(base / "basekrm", ec);
  std::filesystem::copy_file(log, base / "basekrm" / "LOG.txt", ec);
  if (ec) {
    std::fprintf(stderr, "cannot copy %s: %s\n", log.c_str(), ec.message().c_str());
    return 1;
  }
  std::filesystem::current_path(base);

  fragtally::PrintingSink messages;
  fragtally::Form1 form(messages, folder.path());
  form.session().DisableUnload();
  form.session().Load();
  form.show();
  form.session().Import();
  QApplication::processEvents();

  const auto save = [](QWidget& window, const std::filesystem::path& file) {
    if (window.grab().save(QString::fromStdString(file.string()), "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return false;
  };
  if (!save(form, output)) return 1;
  if (!menu_output.empty()) {
    // The menu is a window of its own: drawn over the main window under its title.
    auto* bar = form.findChild<QMenuBar*>();
    auto* menu = form.findChild<QMenu*>(QStringLiteral("mnuPlayersMenu"));
    if (bar == nullptr || menu == nullptr) return 1;
    const QPoint at = bar->mapTo(&form, bar->actionGeometry(menu->menuAction()).bottomLeft());
    bar->setActiveAction(menu->menuAction());
    menu->popup(form.mapToGlobal(at));
    QApplication::processEvents();
    const QPixmap window = form.grab(), popup = menu->grab();
    QPixmap canvas(std::max(window.width(), at.x() + popup.width()), std::max(window.height(), at.y() + popup.height()));
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, window);
    painter.drawPixmap(at, popup);
    painter.end();
    menu->hide();
    if (!canvas.save(QString::fromStdString(menu_output.string()), "PNG")) return 1;
  }
  if (players_output.empty()) return 0;

  // More evenings of the same players, appended to the log and imported.
  if (!head_to_head_output.empty()) {
    std::ifstream more(more_log, std::ios::binary);
    std::ofstream log_file(base / "basekrm" / "LOG.txt", std::ios::binary | std::ios::app);
    log_file << more.rdbuf();
    if (!more || !log_file) {
      std::fprintf(stderr, "cannot append %s\n", more_log.c_str());
      return 1;
    }
    form.session().Import();
  }
  form.RunMenuCommand(fragtally::MenuCommand::Players);
  fragtally::PlayersWindow& players = *form.Players();
  auto* table = players.findChild<QTableView*>(QStringLiteral("tblPlayers"));
  emit table->horizontalHeader()->sectionClicked(static_cast<int>(fragtally::PlayersColumn::Skill));
  table->selectRow(0);
  QApplication::processEvents();
  if (!save(players, players_output)) return 1;
  players.close();
  if (head_to_head_output.empty()) return 0;
  form.session().Select(fragtally::Panel::First, 0);
  form.session().Select(fragtally::Panel::Second, 2);
  form.RunMenuCommand(fragtally::MenuCommand::HeadToHead);
  QApplication::processEvents();
  if (!save(*form.HeadToHead(), head_to_head_output)) return 1;
  if (argc != 10) return 0;

  // The evening of other names; Tarn and T4rn merged as the organiser would.
  {
    std::ifstream more(names_log, std::ios::binary);
    std::ofstream log_file(base / "basekrm" / "LOG.txt", std::ios::binary | std::ios::app);
    log_file << more.rdbuf();
    if (!more || !log_file) {
      std::fprintf(stderr, "cannot append %s\n", names_log.c_str());
      return 1;
    }
  }
  form.session().Import();
  form.RunMenuCommand(fragtally::MenuCommand::Players);
  fragtally::PlayersSession& people = players.session();
  people.SetRankMinimum(form.state(), messages, 8);
  const auto row_of = [&](const std::string& name) {
    for (int row = 0; row < people.RowCount(); ++row)
      if (people.model().Rows()[static_cast<std::size_t>(row)].Name == name) return row;
    return -1;
  };
  players.SetNameChooser([](std::string_view, std::string_view, std::string_view, const std::vector<std::string>& names) {
    return std::optional<int>(static_cast<int>(std::find(names.begin(), names.end(), "Tarn") - names.begin()));
  });
  table->clearSelection();
  for (const char* name : {"Tarn", "T4rn"})
    table->selectionModel()->select(table->model()->index(row_of(name), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  players.findChild<QPushButton*>(QStringLiteral("cmdMerge"))->click();
  table->selectRow(row_of("Tarn"));
  QApplication::processEvents();
  if (!save(players, people_output)) return 1;

  QDialog* dialog = fragtally::PlayersWindow::MakeNameDialog(
      &players, fragtally::kPeopleTexts.MergeTitle, fragtally::kPeopleTexts.MergePrompt, fragtally::kPeopleTexts.MergeButton,
      {"Tarn", "T4rn"});
  dialog->show();
  QApplication::processEvents();
  const bool saved = save(*dialog, dialog_output);
  delete dialog;
  return saved ? 0 : 1;
}
