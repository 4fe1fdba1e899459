// Renders the main window to a PNG file, the way a new user sees it after the
// first import of a game log: start-up without files, then the import button.
// With a third file, the Players window too, opened from the menu, sorted by
// skill with the first player selected (the page shows the newest match's scoreboard).
//
//   QT_QPA_PLATFORM=offscreen window_picture docs/window.png demo/basekrm/LOG.txt [docs/players.png]
//
// Works in a fresh temporary folder (program folder and current folder); the
// message boxes are printed instead of shown.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <QApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QTableView>
#include <QTemporaryDir>

#include "app/players_window/players.h"
#include "window/qt/form1.h"
#include "window/qt/players_window.h"
#include "window/qt/qt_message_sink.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s OUTPUT.png GAME_LOG.txt [PLAYERS.png]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path output = std::filesystem::absolute(argv[1]);
  const std::filesystem::path log = std::filesystem::absolute(argv[2]);
  const std::filesystem::path players_output = argc == 4 ? std::filesystem::absolute(argv[3]) : std::filesystem::path();

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
  if (players_output.empty()) return 0;

  form.RunMenuCommand(fragtally::MenuCommand::Players);
  fragtally::PlayersWindow& players = *form.Players();
  auto* table = players.findChild<QTableView*>(QStringLiteral("tblPlayers"));
  emit table->horizontalHeader()->sectionClicked(static_cast<int>(fragtally::PlayersColumn::Skill));
  table->selectRow(0);
  QApplication::processEvents();
  return save(players, players_output) ? 0 : 1;
}
