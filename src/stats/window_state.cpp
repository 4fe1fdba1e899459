#include "stats/window_state.h"

namespace fragtally {

std::unique_ptr<WindowState> NewWindowState() { return std::make_unique<WindowState>(); }

void AppendTrace(WindowState& state, std::string_view line) {
  state.Trace.append(line);
  state.Trace.append("\r\n");
}

}  // namespace fragtally
