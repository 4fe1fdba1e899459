#include "stats/reading_state.h"

namespace fragtally {

void AppendTrace(ReadingState& state, std::string_view line) {
  state.Trace.append(line);
  state.Trace.append("\r\n");
}

}  // namespace fragtally
