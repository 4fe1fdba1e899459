#pragma once

// The main window's menu bar, above its controls: every menu and command
// with its caption, its Qt object name and its Win32 command ID. Both
// windows build their menus from this table and nothing else.

#include <span>
#include <string>
#include <string_view>

namespace fragtally {

// The commands, by their Win32 command IDs.
enum class MenuCommand {
  Players = 7001,     // the Players window
  ExportHtml = 7002,  // the HTML report, to a file the player chooses
  ExportCsv = 7003,   // the table as CSV, likewise
  UndoImport = 7004,  // takes the last import back
  About = 7005,       // the version, and where the files are
  HeadToHead = 7006,  // the two players of the main window's lists against each other
  ExportMatches = 7007,  // every journaled match as CSV, to a file the player chooses
};
// Whether a Win32 command ID is one of the menu's commands.
bool IsMenuCommand(int id);

struct MenuItem {
  MenuCommand Command;
  const char* ObjectName;  // the Qt action's object name
  const char* Label;       // UTF-8; "&" marks the letter that chooses it with the keyboard
};

struct Menu {
  const char* ObjectName;  // the Qt menu's object name
  const char* Label;
  std::span<const MenuItem> Items;
};

// What the save dialog of an export offers.
struct ExportOffer {
  const char* DialogTitle;  // UTF-8
  const char* DefaultName;  // the file name proposed
  const char* FilterName;   // the kind of file, as the dialog lists it
  const char* Extension;    // without its dot; added to a name typed without one
};
// The dialog's second kind of file, after the export's own: every file.
inline constexpr const char* kAllFilesFilterName = "Все файлы";
// ExportHtml, ExportCsv or ExportMatches.
const ExportOffer& ExportOfferFor(MenuCommand command);

// The menus in their order on the bar.
std::span<const Menu> MainMenus();

// A label as the caption reads, without its "&".
std::string MenuCaption(std::string_view label);

}  // namespace fragtally
