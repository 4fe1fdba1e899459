// Arbitrary bytes as the game's log, imported after a statistics file of
// three players was loaded; then shut-down and the next start-up.

#include <iterator>
#include <memory>

#include "files/paths.h"
#include "files/stats_file.h"
#include "import/log_import.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_model.h"
#include "app/main_window/commands.h"
#include "app/main_window/panels.h"

namespace fragtally::fuzz {

namespace {

constexpr std::string_view kSeedStats =
    "console: Stats for: Ann\r\n"
    "console: Gauntlet:   4\r\n"
    "console: Machinegun:   120/480     25%\r\n"
    "console: Shotgun:   1/8     12%\r\n"
    "console: Grenade L:   0/0     0%\r\n"
    "console: Rocket L:   3/8     38%\r\n"
    "console: Shaft:   0/0     0%\r\n"
    "console: Railgun:   9/40     22%\r\n"
    "console: Plasma gun:   0/0     0%\r\n"
    "console: BFG:   0/0     0%\r\n"
    "console: Dmggiven: 1530\r\n"
    "console: Dmgrecvd: 1720\r\n"
    "console: Kills: 7     Deaths: 9     Suicides: 1     Frags: 6\r\n"
    "console: games played: 2\r\n"
    "console:  \r\n"
    "console: Stats for: Bob\r\n"
    "console: Machinegun:   3/0     0%\r\n"
    "console: Kills: 0     Deaths: 2     Suicides: 0     Frags: -1\r\n"
    "console: games played: 1\r\n"
    "console:  \r\n"
    "console: Stats for: \r\n"
    "console: Dmggiven: 2147483000\r\n"
    "console: games played: 2147483646\r\n"
    "console:  \r\n";

// Never empty: an empty marker is a first import, handled apart.
constexpr std::string_view kMarkers[] = {
    "--- Fs_startup : Mon Jan 01 10:00:00 2024",
    "--- Fs_startup :",
    "console:  ",
    "console: Stats for: Ann",
    " ",
    "\r",
    "x",
    "--- Fs_startup : Tue Jan 02 10:00:00 2024",
};

void CheckPanel(const PanelLabels& labels, const PlayerTable& table, int position, const char* which) {
  PanelFill fill = FillPlayerPanel(table, position);
  FRAGTALLY_CHECK(!fill.Failure && fill.Texts.size() == labels.size(), std::string(which) + " cannot be filled");
  for (std::size_t i = 0; i < labels.size(); ++i)
    FRAGTALLY_CHECK(labels[i] == fill.Texts[i], std::string(which) + " label " + std::to_string(i) + " is stale");
}

}  // namespace

void FuzzLogImport(const std::uint8_t* data, std::size_t size) {
  InputReader input(data, size);
  const std::uint8_t choice = input.Byte();
  const std::string marker(kMarkers[choice % std::size(kMarkers)]);
  // The count of the marker's session that the settings file remembers.
  constexpr std::optional<std::int64_t> kCounts[] = {std::nullopt, 0, 1, 2, 3, 10, 999999999999, std::nullopt};
  const std::optional<std::int64_t> counted = kCounts[(choice / std::size(kMarkers)) % std::size(kCounts)];
  const std::string_view log = input.Rest();

  FuzzFiles files;
  static std::unique_ptr<WindowState> state = NewWindowState();
  static std::unique_ptr<WindowState> next = NewWindowState();
  ResetWindowState(*state);
  state->ProgramFolder = "game";
  const std::string log_path = "game/basekrm/LOG.txt";
  const auto settings_text = [&](const std::string& m, std::optional<std::int64_t> n) {
    return log_path + "\r\n" + m + "\r\n" + (n ? std::to_string(*n) + "\r\n" : "");
  };
  const std::string settings = settings_text(marker, counted);
  files->Write(StatsFilePath(*state), kSeedStats);
  files->Write(SettingsFilePath(*state), settings);
  files->Write(log_path, log);

  RecordingSink start_messages;
  Form_Load(*state, start_messages);
  CheckNoMessage(start_messages);
  FRAGTALLY_CHECK(state->Table.PlayerCount == 3, "the seed statistics did not load");
  FRAGTALLY_CHECK(state->LogPath == log_path && state->StartupMarker == marker && state->BlocksAfterMarker == counted,
                  "settings not read");

  RefTable reference;
  for (int slot = 1; slot <= state->Table.PlayerCount; ++slot)
    reference.players.push_back({state->Table.PlayerName[slot], ReadSlot(state->Table, slot)});
  reference.trace = std::string(state->Trace);
  reference.current_name = state->CurrentName;
  reference.current_player = state->CurrentPlayer;
  std::string reference_marker = marker;
  std::optional<std::int64_t> reference_counted = counted;
  const int second_position = state->Combo2.ListIndex;
  RefImport expected = ReferenceImportLines(log, reference_marker, reference_counted, reference);

  // The import alone, the other way: the remembered line met while reading
  // the log instead of searched for from its end. The same result.
  {
    static std::unique_ptr<WindowState> forward = NewWindowState();
    ResetWindowState(*forward);
    forward->ProgramFolder = state->ProgramFolder;
    RecordingSink forward_messages;
    Form_Load(*forward, forward_messages);
    RefImport got = RefImport::Completed;
    try {
      got = ImportLog(*forward, 0) == ImportOutcome::LogUnchanged ? RefImport::LogUnchanged : RefImport::Completed;
    } catch (const Error&) {
      got = RefImport::Failed;
    }
    FRAGTALLY_CHECK(got == expected, "the import met the remembered line while reading and ended otherwise");
    CheckSameTable(*forward, reference);
    FRAGTALLY_CHECK(forward->StartupMarker == reference_marker && forward->BlocksAfterMarker == reference_counted,
                    "the marker and the count, with the remembered line met while reading: " + forward->StartupMarker + " / " + std::to_string(forward->BlocksAfterMarker.value_or(-1)) + ", reference " + reference_marker + " / " + std::to_string(reference_counted.value_or(-1)));
    CheckTableInvariants(*forward);
  }

  if (expected == RefImport::Completed) {
    // The refresh fills both panels; an accuracy beyond 16 bits fails it.
    for (int position : {0, second_position}) {
      const SlotCounters& c = reference.players[static_cast<std::size_t>(position)].counters;
      for (int hits = kMachinegunHits; hits <= kBfgHits; hits += 2)
        if (ReferenceAccuracyFails(c[hits], c[hits - 1])) expected = RefImport::Failed;
    }
  }

  RecordingSink messages;
  Command1_Click(*state, messages);
  switch (expected) {
    case RefImport::Completed:
      CheckNoMessage(messages);
      FRAGTALLY_CHECK(files->Read(SettingsFilePath(*state)) == settings_text(reference_marker, reference_counted),
                      "settings file after the import");
      FRAGTALLY_CHECK(files->Read(StatsFilePath(*state)) == FormatStatsFile(*state), "statistics file after the import");
      FRAGTALLY_CHECK(state->Combo1.ListIndex == 0 && state->Combo2.ListIndex == second_position, "selections");
      CheckPanel(state->Panel1, state->Table, 0, "first panel");
      CheckPanel(state->Panel2, state->Table, second_position, "second panel");
      FRAGTALLY_CHECK(state->TraceCaret == state->Trace.size(), "caret not at the end of the trace");
      break;
    case RefImport::LogUnchanged:
      CheckOneMessage(messages, MessageIcon::Information, kLogUnchangedTitle, kLogUnchangedText);
      FRAGTALLY_CHECK(files->Read(SettingsFilePath(*state)) == settings, "settings file rewritten");
      FRAGTALLY_CHECK(files->Read(StatsFilePath(*state)) == std::string(kSeedStats), "statistics file rewritten");
      break;
    case RefImport::Failed:
      CheckOneMessage(messages, MessageIcon::Error, kLogNotFoundTitle,
                      LogNotFoundText(platform::AbsolutePath(platform::NativePath(state->LogPath)), nullptr));
      FRAGTALLY_CHECK(files->Read(SettingsFilePath(*state)) == settings, "settings file rewritten");
      FRAGTALLY_CHECK(files->Read(StatsFilePath(*state)) == std::string(kSeedStats), "statistics file rewritten");
      break;
  }
  FRAGTALLY_CHECK(state->StartupMarker == reference_marker, "StartupMarker differs from the reference");
  FRAGTALLY_CHECK(state->BlocksAfterMarker == reference_counted, "BlocksAfterMarker differs from the reference");
  CheckSameTable(*state, reference);
  CheckTableInvariants(*state);
  FRAGTALLY_CHECK(files->Read(log_path) == std::string(log), "the import changed the log");

  // Shut-down, then the next start-up reads back what was saved.
  RecordingSink down_messages;
  Form_Unload(*state, down_messages);
  CheckNoMessage(down_messages);
  FRAGTALLY_CHECK(files->FileCount() == 3u + files->Exists(JournalFilePath(*state)),
                  "a backup or another file after a complete load");
  ResetWindowState(*next);
  next->ProgramFolder = state->ProgramFolder;
  RecordingSink next_messages;
  Form_Load(*next, next_messages);
  // Start-up shows the first two players; one whose accuracy is beyond 16
  // bits is shown up to that label, and the user is told.
  bool fill_fails = false;
  for (int position : {0, next->Table.PlayerCount >= 2 ? 1 : 0}) {
    const SlotCounters c = ReadSlot(next->Table, position + 1);
    for (int hits = kMachinegunHits; hits <= kBfgHits; hits += 2)
      if (ReferenceAccuracyFails(c[hits], c[hits - 1])) fill_fails = true;
  }
  if (fill_fails)
    CheckOneMessage(next_messages, MessageIcon::Error, kPanelFillFailedTitle, kPanelFillFailedText);
  else
    CheckNoMessage(next_messages);
  CheckTableInvariants(*next);
  CheckReloadedTable(state->Table, next->Table);
  FRAGTALLY_CHECK(next->LogPath == state->LogPath && next->StartupMarker == state->StartupMarker &&
                      next->BlocksAfterMarker == state->BlocksAfterMarker,
                  "settings do not read back");
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzLogImport)
