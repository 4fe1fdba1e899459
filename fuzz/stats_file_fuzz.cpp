// Arbitrary bytes as the statistics file: load (compared with the reference),
// save, and load the saved file again.

#include <memory>

#include "files/paths.h"
#include "files/stats_file.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "reference_model.h"

namespace fragtally::fuzz {

namespace {

// The load as start-up runs it: true when it completed.
bool Load(WindowState& state) {
  try {
    LoadStatsFile(state);
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace

void FuzzStatsFile(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FuzzFiles files;
  // Two states kept from input to input and emptied before each use.
  static std::unique_ptr<WindowState> state = NewWindowState();
  static std::unique_ptr<WindowState> again = NewWindowState();
  ResetWindowState(*state);
  state->ProgramFolder = "game";
  const std::string path = StatsFilePath(*state);
  files->Write(path, bytes);

  const bool loaded = Load(*state);

  RefTable reference;
  const std::optional<ErrorKind> reference_error = ReferenceLoad(bytes, reference);
  FRAGTALLY_CHECK(loaded == !reference_error, loaded ? "loaded, reference failed" : "failed, reference loaded");
  CheckSameTable(*state, reference);
  if (loaded && !reference.players.empty())
    FRAGTALLY_CHECK(state->CurrentPlayer == reference.current_player, "CurrentPlayer after the last block");
  FRAGTALLY_CHECK(state->KeepOldStatsFile == !loaded, "KeepOldStatsFile after the load");
  CheckTableInvariants(*state);
  FRAGTALLY_CHECK(files->Read(path) == std::string(bytes), "the load changed the file");

  // Shut-down saves only when there are players.
  if (state->Table.PlayerCount == 0) return;
  const std::string text = FormatStatsFile(*state);
  std::string backup;
  try {
    backup = SaveStatsFile(*state);
  } catch (const Error& error) {
    FRAGTALLY_CHECK(false, std::string("save failed: ") + error.what());
  }
  FRAGTALLY_CHECK(files->Read(path) == text, "the file on disk is not the formatted table");
  if (loaded) {
    FRAGTALLY_CHECK(backup.empty(), "backup after a complete load");
  } else {
    // A partial load: the original bytes are kept beside the new file.
    FRAGTALLY_CHECK(!backup.empty(), "no backup after a partial load");
    FRAGTALLY_CHECK(files->Read(backup) == std::string(bytes), "the backup is not the original file");
  }
  FRAGTALLY_CHECK(!state->KeepOldStatsFile, "KeepOldStatsFile after a save");

  ResetWindowState(*again);
  again->ProgramFolder = state->ProgramFolder;
  FRAGTALLY_CHECK(Load(*again), "the saved file does not load completely");
  CheckTableInvariants(*again);
  CheckReloadedTable(state->Table, again->Table);
  FRAGTALLY_CHECK(FormatStatsFile(*again) == text, "a second save would differ from the first");
}

}  // namespace fragtally::fuzz

FRAGTALLY_FUZZ_ENTRY(fragtally::fuzz::FuzzStatsFile)
