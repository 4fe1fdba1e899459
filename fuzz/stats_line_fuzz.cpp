// One statistics line into a table that already holds five players.

#include <memory>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_model.h"
#include "stats/stats_line.h"

namespace fragtally::fuzz {

namespace {

constexpr int kPlayers = 5;

SlotCounters Filled(std::int32_t value) {
  SlotCounters counters;
  counters.fill(value);
  return counters;
}

struct LineTable {
  std::unique_ptr<WindowState> state = NewWindowState();
  SlotCounters start[kPlayers + 1];

  LineTable() {
    const char* names[kPlayers] = {"Ann", "", "Max", "Min", "zed "};
    SlotCounters ordinary = {480, 120, 8, 1, 0, 0, 8, 3, 0, 0, 40, 9, 0, 0, 0, 0, 4, 1530, 1720, 7, 9, 1, 6, 2};
    SlotCounters mixed = Filled(0);
    for (int c = 0; c < kColumnCount; ++c) mixed[c] = (c % 3 == 0) ? 2147483647 : (c % 3 == 1) ? -2147483647 - 1 : -3;
    const SlotCounters presets[kPlayers] = {ordinary, Filled(0), Filled(2147483600), Filled(-2147483600), mixed};
    for (int i = 0; i < kPlayers; ++i) {
      state->CurrentName = names[i];
      FindOrAddPlayer(*state);
      WriteSlot(state->Table, i + 1, presets[i]);
      start[i + 1] = presets[i];
    }
    state->Trace.clear();
    CheckTableInvariants(*state);
  }
};

}  // namespace

void FuzzStatsLine(const std::uint8_t* data, std::size_t size) {
  static LineTable table;
  WindowState& state = *table.state;
  InputReader input(data, size);

  const std::uint8_t pick = input.Byte();
  int slot = 1 + pick % kPlayers;
  bool valid = true;
  if (pick >= 0xFC) {  // a slot that AddStatsBlock never hands over
    const int outside[] = {0, -1, 10000, 32767};
    slot = outside[pick - 0xFC];
    valid = false;
  }
  const std::string_view line = input.Rest();

  state.CurrentLine.assign(line);
  state.CurrentPlayer = static_cast<std::int16_t>(slot);
  state.Trace.clear();

  SlotCounters expected = valid ? table.start[slot] : SlotCounters{};
  std::string expected_trace;
  const LineOutcome reference = ReferenceParseLine(line, expected, expected_trace);

  std::optional<ErrorKind> error;
  try {
    ParseStatsLine(state);
  } catch (const Error& e) {
    error = e.kind();
  }

  if (valid) {
    FRAGTALLY_CHECK(error == reference.error, std::string("error ") + (error ? ErrorKindName(*error) : "none") +
                                                  ", reference " +
                                                  (reference.error ? ErrorKindName(*reference.error) : "none"));
    const SlotCounters got = ReadSlot(state.Table, slot);
    FRAGTALLY_CHECK(got == expected, "slot holds " + DescribeSlot(got) + ", reference " + DescribeSlot(expected));
    FRAGTALLY_CHECK(std::string_view(state.Trace) == expected_trace,
                    "trace \"" + std::string(state.Trace) + "\", reference \"" + expected_trace + "\"");
  } else {
    // A recognised line must fail before storing anything; others are ignored.
    FRAGTALLY_CHECK(error.has_value() == reference.recognised, "line on a slot outside the table");
    FRAGTALLY_CHECK(state.Trace.empty(), "trace for a line on a slot outside the table");
  }
  FRAGTALLY_CHECK(state.CurrentLine == line, "CurrentLine changed");
  FRAGTALLY_CHECK(state.CurrentPlayer == slot, "CurrentPlayer changed");
  for (int other = 1; other <= kPlayers; ++other) {
    if (other == slot) continue;
    FRAGTALLY_CHECK(ReadSlot(state.Table, other) == table.start[other], "slot " + std::to_string(other) + " changed");
  }
  CheckTableInvariants(state);

  if (valid) WriteSlot(state.Table, slot, table.start[slot]);
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzStatsLine)
