#include "app/main_window/menus.h"

#include <array>

namespace fragtally {

namespace {

constexpr std::array<MenuItem, 1> kStatisticsItems{{
    {MenuCommand::UndoImport, "mnuUndoImport", "&Отменить последний импорт"},
}};
constexpr std::array<MenuItem, 5> kPlayersItems{{
    {MenuCommand::Players, "mnuPlayers", "&Таблица игроков…"},
    {MenuCommand::HeadToHead, "mnuHeadToHead", "&Личные встречи…"},
    {MenuCommand::ExportHtml, "mnuExportHtml", "Сохранить &отчёт…"},
    {MenuCommand::ExportCsv, "mnuExportCsv", "Сохранить т&аблицу…"},
    {MenuCommand::ExportMatches, "mnuExportMatches", "Сохранить &матчи…"},
}};
constexpr std::array<MenuItem, 1> kHelpItems{{
    {MenuCommand::About, "mnuAbout", "&О программе"},
}};
constexpr std::array<Menu, 3> kMenus{{
    {"mnuStatistics", "&Статистика", kStatisticsItems},
    {"mnuPlayersMenu", "&Игроки", kPlayersItems},
    {"mnuHelp", "С&правка", kHelpItems},
}};

constexpr ExportOffer kReportOffer{"Сохранить отчёт", "Отчёт Fragtally.html", "Отчёт HTML", "html"};
constexpr ExportOffer kTableOffer{"Сохранить таблицу", "Игроки Fragtally.csv", "Таблица CSV", "csv"};
constexpr ExportOffer kMatchesOffer{"Сохранить матчи", "Матчи Fragtally.csv", "Таблица CSV", "csv"};

}  // namespace

std::span<const Menu> MainMenus() { return kMenus; }

bool IsMenuCommand(int id) {
  for (const Menu& menu : kMenus)
    for (const MenuItem& item : menu.Items)
      if (static_cast<int>(item.Command) == id) return true;
  return false;
}

const ExportOffer& ExportOfferFor(MenuCommand command) {
  return command == MenuCommand::ExportHtml ? kReportOffer
         : command == MenuCommand::ExportCsv ? kTableOffer
                                             : kMatchesOffer;
}

std::string MenuCaption(std::string_view label) {
  std::string caption;
  caption.reserve(label.size());
  for (char c : label)
    if (c != '&') caption.push_back(c);
  return caption;
}

}  // namespace fragtally
