#pragma once

// The system's Save As dialog for the menu's exports.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/main_window/menus.h"

namespace fragtally::win32 {

// What the dialog offers for one kind of export.
struct SaveRequest {
  std::wstring Title;
  std::wstring DefaultName;  // the file name proposed
  std::wstring Filter;       // "description\0*.ext\0" pairs, as GetSaveFileNameW takes them
  std::wstring Extension;    // added when the player types a name without one
};

SaveRequest SaveRequestFor(const ExportOffer& offer);

// The file the player chose, or none when the dialog was cancelled.
using SaveFileChooser = std::function<std::optional<std::wstring>(HWND owner, const SaveRequest& request)>;

// GetSaveFileNameW; an existing file is replaced only once the player agrees.
std::optional<std::wstring> AskSaveFile(HWND owner, const SaveRequest& request);

}  // namespace fragtally::win32
