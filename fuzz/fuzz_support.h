#pragma once

// Shared helpers of the fuzz targets: what a failed check does, the 24
// counters of a slot as an array, table invariants, the comparison of a saved
// and reloaded table, and checks of recorded messages. The targets keep their
// files in memory. The same code runs under libFuzzer and in the replay test.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/text/messages.h"
#include "memory_file_system.h"
#include "recording_sink.h"
#include "stats/player_table.h"
#include "app/main_window/window_state.h"

namespace fragtally::fuzz {

// A failed check calls the handler. The default prints the message and aborts,
// which libFuzzer records as a finding; the replay test throws instead.
using FailureHandler = void (*)(const std::string& message);
void SetFailureHandler(FailureHandler handler);
[[noreturn]] void Fail(const std::string& message);

#define FRAGTALLY_CHECK(condition, message)                                                               \
  do {                                                                                                    \
    if (!(condition))                                                                                     \
      ::fragtally::fuzz::Fail(std::string(__FILE__ ":") + std::to_string(__LINE__) + ": " #condition " -- " + \
                              std::string(message));                                                      \
  } while (0)

// The 24 counters of a slot, in the order the table declares them
// (kCounterColumns).
enum Column {
  kMachinegunShots, kMachinegunHits, kShotgunShots, kShotgunHits, kGrenadeShots, kGrenadeHits,
  kRocketShots, kRocketHits, kShaftShots, kShaftHits, kRailgunShots, kRailgunHits,
  kPlasmaShots, kPlasmaHits, kBfgShots, kBfgHits, kGauntlet, kDamageGiven, kDamageReceived,
  kKills, kDeaths, kSuicides, kFrags, kGamesPlayed, kColumnCount
};
using SlotCounters = std::array<std::int32_t, kColumnCount>;

Counter PlayerTable::*ColumnMember(int column);
SlotCounters ReadSlot(const PlayerTable& table, int slot);
void WriteSlot(PlayerTable& table, int slot, const SlotCounters& counters);
std::string DescribeSlot(const SlotCounters& counters);

// PlayerCount within 0..9999, names of slots 1..PlayerCount pairwise
// different, both selectors' positions within their entries, every
// slot above PlayerCount empty (empty name, all counters 0; the 64 slots
// right above on every call, all of them on every 256th).
void CheckTableInvariants(const WindowState& state);

// A window state as NewWindowState makes it, reusing `state`'s storage: only
// the slots up to PlayerCount are cleared, so run CheckTableInvariants first.
// Much cheaper than a new state for every input.
void ResetWindowState(WindowState& state);

// What a load of the file saved from `saved` must give: the same players in
// the same slots with the same totals, except that the seven weapons other
// than the machinegun come back as 0/0 when their shots were 0 or less.
SlotCounters ExpectedAfterReload(const SlotCounters& saved);
void CheckReloadedTable(const PlayerTable& saved, const PlayerTable& loaded);

using testing::RecordingSink;
void CheckNoMessage(const RecordingSink& log);
void CheckOneMessage(const RecordingSink& log, MessageIcon icon, const std::string& title, const std::string& text);

// Checks of text the report and the table write. They scan whole pages, so
// they are built without coverage instrumentation (fuzz/CMakeLists.txt).
// The markup characters of HTML (< > " '), in order; the places where a
// long name may break (<wbr>) are left out, as a short name has none.
std::string MarkupOf(std::string_view html);
// Valid UTF-8 without C0, DEL or C1 control characters (line feeds allowed
// when asked).
bool IsCleanUtf8(std::string_view text, bool line_feeds = false);
// Undoes the HTML escaping (&amp; &lt; &gt; &quot; &#39;); none when an
// ampersand starts no such entity.
std::optional<std::string> UnescapedHtml(std::string_view html);
// Whether a CSV (after its 3-byte byte-order mark) has `lines` lines, each of
// `fields` fields separated by `separator` outside double quotes.
bool CsvHasShape(std::string_view csv, char separator, std::size_t fields, std::size_t lines);

// The targets' files, in memory: emptied and installed for one input while
// the guard lives.
class FuzzFiles {
 public:
  FuzzFiles();
  ~FuzzFiles();
  testing::MemoryFileSystem& operator*() { return files_; }
  testing::MemoryFileSystem* operator->() { return &files_; }

 private:
  testing::MemoryFileSystem& files_;
};

// Takes typed values from the front of a fuzz input; zeros once it runs dry.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte();
  std::int32_t Int32();
  double Double();
  // Up to `max` bytes, ended early by a 0xFF byte (which is consumed).
  std::string Text(std::size_t max);
  std::string_view Rest();
  bool Empty() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace fragtally::fuzz
