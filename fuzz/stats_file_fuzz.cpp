// Arbitrary bytes as the statistics file: load (compared with the reference),
// save, and load the saved file again.

#include <memory>

#include "files/stats_file.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_model.h"

namespace fragtally::fuzz {

void FuzzStatsFile(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Two states kept from input to input and emptied before each use.
  static std::unique_ptr<WindowState> state = NewWindowState();
  static std::unique_ptr<WindowState> again = NewWindowState();
  ResetWindowState(*state);
  state->ProgramFolder = ScratchFolder() + "/stats-file";
  const std::string path = StatsFilePath(*state);
  WriteBytes(path, bytes);

  MessageLog messages;
  const bool loaded = LoadStatsFile(*state, messages);

  RefTable reference;
  const std::optional<ErrorKind> reference_error = ReferenceLoad(bytes, reference);
  FRAGTALLY_CHECK(loaded == !reference_error, loaded ? "loaded, reference failed" : "failed, reference loaded");
  if (loaded) {
    CheckNoMessage(messages);
  } else {
    CheckOneMessage(messages, MessageIcon::Error, kStatsNotFoundTitle, std::string(kStatsNotFoundText) + kContactAddress);
  }
  CheckSameTable(*state, reference);
  if (loaded && !reference.players.empty())
    FRAGTALLY_CHECK(state->CurrentPlayer == reference.current_player, "CurrentPlayer after the last block");
  FRAGTALLY_CHECK(state->KeepOldStatsFile == !loaded, "KeepOldStatsFile after the load");
  CheckTableInvariants(*state);
  FRAGTALLY_CHECK(ReadBytes(path) == std::string(bytes), "the load changed the file");

  // Shut-down saves only when there are players.
  if (state->Table.PlayerCount == 0) return;
  const std::string text = FormatStatsFile(*state);
  const SaveResult saved = SaveStatsFile(*state);
  FRAGTALLY_CHECK(saved.ok, "save failed: " + saved.error);
  FRAGTALLY_CHECK(ReadBytes(path) == text, "the file on disk is not the formatted table");
  if (loaded) {
    FRAGTALLY_CHECK(saved.backupPath.empty(), "backup after a complete load");
  } else {
    // A partial load: the original bytes are kept beside the new file.
    FRAGTALLY_CHECK(!saved.backupPath.empty(), "no backup after a partial load");
    FRAGTALLY_CHECK(ReadBytes(saved.backupPath) == std::string(bytes), "the backup is not the original file");
    RemoveFile(saved.backupPath);
  }
  FRAGTALLY_CHECK(!state->KeepOldStatsFile, "KeepOldStatsFile after a save");

  ResetWindowState(*again);
  again->ProgramFolder = state->ProgramFolder;
  MessageLog second;
  FRAGTALLY_CHECK(LoadStatsFile(*again, second), "the saved file does not load completely");
  CheckNoMessage(second);
  CheckTableInvariants(*again);
  CheckReloadedTable(state->Table, again->Table);
  FRAGTALLY_CHECK(FormatStatsFile(*again) == text, "a second save would differ from the first");
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzStatsFile)
