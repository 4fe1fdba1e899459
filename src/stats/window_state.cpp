#include "stats/window_state.h"

#include <charconv>

namespace fragtally {

PanelLabels DesignPanelLabels() {
  PanelLabels labels;
  labels[0] = "Stats for Morvel";
  labels[1] = "123455/5567890";  // gauntlet
  for (int i = 2; i < 10; ++i) labels[i] = "123455/5567890";
  for (int i = 10; i < 18; ++i) labels[i] = "100%";
  labels[18] = "1234567890";
  labels[19] = "1234567890";
  for (int i = 20; i < 24; ++i) labels[i] = "123456";
  return labels;
}

WindowState::WindowState() : Panel1(DesignPanelLabels()), Panel2(DesignPanelLabels()) {}

std::unique_ptr<WindowState> NewWindowState() { return std::make_unique<WindowState>(); }

void AppendTrace(WindowState& state, std::string_view line) {
  state.Trace.append(line);
  state.Trace.append("\r\n");
}

void AppendNumber(std::string& out, long long value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace fragtally
