#include "app/players_window/placement.h"

#include <algorithm>
#include <string_view>

#include "files/window_file.h"

namespace fragtally {

namespace {

constexpr std::string_view kX = "Players.X", kY = "Players.Y", kWidth = "Players.Width", kHeight = "Players.Height",
                           kTable = "Players.TableHeight";

std::optional<int> Value(const WindowValues& values, std::string_view name) {
  const auto at = values.find(name);
  if (at == values.end()) return std::nullopt;
  return static_cast<int>(at->second);  // at most nine digits: an int
}

}  // namespace

PlayersPlacement LoadPlayersPlacement(const FileState& state) {
  const WindowValues values = LoadWindowValues(state);
  PlayersPlacement placement;
  const auto x = Value(values, kX), y = Value(values, kY), width = Value(values, kWidth), height = Value(values, kHeight);
  if (x && y && width && height && *width > 0 && *height > 0) placement.Window = ScreenRect{*x, *y, *width, *height};
  if (const auto table = Value(values, kTable); table && *table > 0) placement.TableHeight = table;
  return placement;
}

bool SavePlayersPlacement(const FileState& state, const PlayersPlacement& placement) {
  WindowValues values = LoadWindowValues(state);
  const auto set = [&](std::string_view name, std::optional<int> value) {
    if (value) {
      values[std::string(name)] = *value;
    } else {
      values.erase(std::string(name));
    }
  };
  const std::optional<ScreenRect>& window = placement.Window;
  set(kX, window ? std::optional(window->X) : std::nullopt);
  set(kY, window ? std::optional(window->Y) : std::nullopt);
  set(kWidth, window ? std::optional(window->Width) : std::nullopt);
  set(kHeight, window ? std::optional(window->Height) : std::nullopt);
  set(kTable, placement.TableHeight);
  try {
    SaveWindowValues(state, values);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

ScreenRect FitOnWorkArea(ScreenRect window, const ScreenRect& work_area) {
  window.Width = std::min(window.Width, work_area.Width);
  window.Height = std::min(window.Height, work_area.Height);
  window.X = std::clamp(window.X, work_area.X, work_area.X + work_area.Width - window.Width);
  window.Y = std::clamp(window.Y, work_area.Y, work_area.Y + work_area.Height - window.Height);
  return window;
}

int SplitTableHeight(std::optional<int> remembered, int shared, double default_share, int least_table, int least_page) {
  const int wanted = remembered ? *remembered : static_cast<int>(shared * default_share);
  return std::max(least_table, std::min(wanted, shared - least_page));
}

}  // namespace fragtally
