#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "app/main_window/panels.h"
#include "platform/utf8.h"

namespace fragtally::fuzz {

namespace {

[[noreturn]] void AbortOnFailure(const std::string& message) {
  std::fprintf(stderr, "CHECK FAILED: %s\n", message.c_str());
  std::fflush(stderr);
  std::abort();
}

FailureHandler g_handler = &AbortOnFailure;

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text.substr(0, 200)) {
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
      out += buffer;
    }
  }
  if (text.size() > 200) out += "...";
  return out + "\"";
}

}  // namespace

void SetFailureHandler(FailureHandler handler) { g_handler = handler ? handler : &AbortOnFailure; }

void Fail(const std::string& message) {
  g_handler(message);
  AbortOnFailure(message);  // a handler that returns still stops the run
}

Counter PlayerTable::*ColumnMember(int column) { return kCounterColumns[static_cast<std::size_t>(column)].Member; }

SlotCounters ReadSlot(const PlayerTable& table, int slot) {
  SlotCounters counters{};
  for (int c = 0; c < kColumnCount; ++c) counters[c] = (table.*ColumnMember(c))[slot];
  return counters;
}

void WriteSlot(PlayerTable& table, int slot, const SlotCounters& counters) {
  for (int c = 0; c < kColumnCount; ++c) (table.*ColumnMember(c))[slot] = counters[c];
}

std::string DescribeSlot(const SlotCounters& counters) {
  std::string out = "[";
  for (int c = 0; c < kColumnCount; ++c) {
    if (c) out += ",";
    out += std::to_string(counters[c]);
  }
  return out + "]";
}

void CheckTableInvariants(const WindowState& state) {
  const PlayerTable& table = state.Table;
  const int count = table.PlayerCount;
  FRAGTALLY_CHECK(count >= 0 && count <= kMaxPlayers, "PlayerCount " + std::to_string(count));

  std::unordered_set<std::string_view> seen;
  seen.reserve(static_cast<std::size_t>(count) * 2);
  for (int slot = 1; slot <= count; ++slot) {
    FRAGTALLY_CHECK(seen.insert(table.PlayerName[slot]).second,
                    "name " + Quote(table.PlayerName[slot]) + " twice, again in slot " + std::to_string(slot));
  }

  for (const Selector* selector : {&state.Combo1, &state.Combo2}) {
    const char* which = selector == &state.Combo1 ? "Combo1" : "Combo2";
    FRAGTALLY_CHECK(selector->ListIndex >= -1 && selector->ListIndex < count,
                    std::string(which) + " selects " + std::to_string(selector->ListIndex));
  }

  // Slots above PlayerCount: scan each column as one block. A stray write
  // lands next to the players, so the slots right above them are checked
  // every time and the whole rest once in a while (it is a megabyte).
  static unsigned calls = 0;
  const bool whole = calls++ % 256 == 0;
  const std::size_t first_free = static_cast<std::size_t>(count);  // 0-based index of slot count + 1
  const std::size_t scan_end = whole ? static_cast<std::size_t>(kMaxPlayers)
                                     : std::min<std::size_t>(first_free + 64, static_cast<std::size_t>(kMaxPlayers));
  for (int c = 0; c < kColumnCount; ++c) {
    const std::int32_t* cells = &(table.*ColumnMember(c))[1];
    for (std::size_t i = first_free; i < scan_end; ++i) {
      if (cells[i] != 0)
        FRAGTALLY_CHECK(false, "slot " + std::to_string(i + 1) + " above PlayerCount " + std::to_string(count) +
                                   " holds " + std::to_string(cells[i]) + " in column " + std::to_string(c));
    }
  }
  const std::string* names = &table.PlayerName[1];
  for (std::size_t i = first_free; i < scan_end; ++i) {
    if (!names[i].empty())
      FRAGTALLY_CHECK(false, "slot " + std::to_string(i + 1) + " above PlayerCount holds the name " + Quote(names[i]));
  }
}

void ResetWindowState(WindowState& state) {
  PlayerTable& table = state.Table;
  TakeOutPlayers(table, 0);
  state.LogPath.clear();
  state.CurrentLine.clear();
  state.CurrentName.clear();
  state.ScanIndex = 0;
  state.KillsFieldPos = 0;
  state.CurrentPlayer = 0;
  state.StartupMarker.clear();
  state.BlocksAfterMarker.reset();
  state.ProgramFolder.clear();
  state.Trace.clear();
  state.TraceCaret = 0;
  state.Combo1 = Selector{};
  state.Combo2 = Selector{};
  // Copied from labels made once: the copy reuses the panels' strings.
  static const PanelLabels design = DesignPanelLabels();
  state.Panel1 = design;
  state.Panel2 = design;
  state.KeepOldStatsFile = false;
  state.StatsOnDisk = {};
  state.StatsKeptBeside.clear();
  state.SavePending = false;
}

SlotCounters ExpectedAfterReload(const SlotCounters& saved) {
  SlotCounters expected = saved;
  const int zero_form[][2] = {{kShotgunHits, kShotgunShots}, {kGrenadeHits, kGrenadeShots},
                              {kRocketHits, kRocketShots},   {kShaftHits, kShaftShots},
                              {kRailgunHits, kRailgunShots}, {kPlasmaHits, kPlasmaShots},
                              {kBfgHits, kBfgShots}};
  for (const auto& weapon : zero_form) {
    if (saved[weapon[1]] <= 0) {
      expected[weapon[0]] = 0;
      expected[weapon[1]] = 0;
    }
  }
  return expected;
}

void CheckReloadedTable(const PlayerTable& saved, const PlayerTable& loaded) {
  FRAGTALLY_CHECK(loaded.PlayerCount == saved.PlayerCount, "reloaded " + std::to_string(loaded.PlayerCount) +
                                                               " players of " + std::to_string(saved.PlayerCount));
  for (int slot = 1; slot <= saved.PlayerCount; ++slot) {
    FRAGTALLY_CHECK(loaded.PlayerName[slot] == saved.PlayerName[slot],
                    "slot " + std::to_string(slot) + " reloaded as " + Quote(loaded.PlayerName[slot]) + ", saved " +
                        Quote(saved.PlayerName[slot]));
    SlotCounters expected = ExpectedAfterReload(ReadSlot(saved, slot));
    SlotCounters got = ReadSlot(loaded, slot);
    FRAGTALLY_CHECK(got == expected, "slot " + std::to_string(slot) + " reloaded as " + DescribeSlot(got) +
                                         ", expected " + DescribeSlot(expected));
  }
}

void CheckNoMessage(const RecordingSink& log) {
  FRAGTALLY_CHECK(log.messages.empty(), "unexpected message " + Quote(log.messages.front().title));
}

void CheckOneMessage(const RecordingSink& log, MessageIcon icon, const std::string& title, const std::string& text) {
  FRAGTALLY_CHECK(log.messages.size() == 1, std::to_string(log.messages.size()) + " messages instead of one");
  const testing::RecordedMessage& m = log.messages.front();
  FRAGTALLY_CHECK(m.icon == icon, "message icon");
  FRAGTALLY_CHECK(m.title == title, "message title " + Quote(m.title));
  FRAGTALLY_CHECK(m.text == text, "message text " + Quote(m.text));
}

namespace {
testing::MemoryFileSystem& SharedFiles() {
  static testing::MemoryFileSystem files;
  return files;
}
}  // namespace

FuzzFiles::FuzzFiles() : files_(SharedFiles()) { platform::UseFileSystem(&files_); }

// The files and hooks go with the input, so that it leaves no memory of its own
// behind (libFuzzer takes more allocations than releases for a leak and runs the
// input again) and the next input finds the files empty.
FuzzFiles::~FuzzFiles() {
  platform::UseFileSystem(nullptr);
  files_.Clear();
  files_.RefuseWrite = nullptr;
  files_.OnWrite = nullptr;
}

std::uint8_t InputReader::Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

std::int32_t InputReader::Int32() {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
  return static_cast<std::int32_t>(value);
}

double InputReader::Double() {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(Byte()) << (8 * i);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string InputReader::Text(std::size_t max) {
  std::string text;
  while (pos_ < size_ && text.size() < max) {
    char c = static_cast<char>(data_[pos_++]);
    if (static_cast<unsigned char>(c) == 0xFF) break;
    text.push_back(c);
  }
  return text;
}

std::string_view InputReader::Rest() {
  std::string_view rest(reinterpret_cast<const char*>(data_) + pos_, pos_ < size_ ? size_ - pos_ : 0);
  pos_ = size_;
  return rest;
}

std::string MarkupOf(std::string_view html) {
  std::string marks;
  for (std::size_t i = 0; i < html.size(); ++i) {
    if (html.compare(i, 5, "<wbr>") == 0) {
      i += 4;
      continue;
    }
    const char c = html[i];
    if (c == '<' || c == '>' || c == '"' || c == '\'') marks += c;
  }
  return marks;
}

bool IsCleanUtf8(std::string_view text, bool line_feeds) {
  if (!platform::IsValidUtf8(text)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && !(c == '\n' && line_feeds)) || c == 0x7F) return false;
    // U+0080..U+009F are C2 80..C2 9F.
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) return false;
  }
  return true;
}

std::optional<std::string> UnescapedHtml(std::string_view html) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  std::string text;
  text.reserve(html.size());
  for (std::size_t at = 0; at < html.size();) {
    if (html[at] != '&') {
      text += html[at++];
      continue;
    }
    const auto* entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                      [&](const auto& known) { return html.substr(at).starts_with(known.first); });
    if (entity == std::end(kEntities)) return std::nullopt;
    text += entity->second;
    at += entity->first.size();
  }
  return text;
}

bool CsvHasShape(std::string_view csv, char separator, std::size_t fields, std::size_t lines) {
  std::size_t seen_lines = 0, seen_fields = 1;
  bool quoted = false;
  for (std::size_t i = 3; i < csv.size(); ++i) {
    if (csv[i] == '"') quoted = !quoted;
    if (quoted) continue;
    if (csv[i] == separator) ++seen_fields;
    if (csv[i] == '\n') {
      if (seen_fields != fields) return false;
      seen_fields = 1;
      ++seen_lines;
    }
  }
  return !quoted && seen_lines == lines;
}

}  // namespace fragtally::fuzz
