#pragma once

// The main window's status line: what the last press of the import button
// entered, or that it found nothing new, or that the import was undone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/main_window/window_state.h"

namespace fragtally {

// What one import did.
struct ImportReport {
  enum class Outcome {
    Entered,     // the log was read to its end
    NothingNew,  // the log held nothing after what earlier imports counted
    Failed,      // the log could not be opened, or reading it stopped at an error
  };
  Outcome What = Outcome::Entered;
  std::string Time;             // "hh:mm"
  std::int64_t Games = 0;       // blocks entered: one player's statistics of one match each
  std::int64_t Sessions = 0;    // the game sessions (start-ups of the game) they came from
  std::int64_t NewPlayers = 0;  // players the table did not have before
  // The matches those blocks belong to (a match another import began
  // counts too); none when no block has a match.
  std::optional<std::int64_t> Matches;
};

// Counts what an import enters: made before the import, asked after it (and
// before its save, which hands the blocks to the journal).
class ImportTally {
 public:
  explicit ImportTally(const WindowState& state);
  ImportReport Report(const WindowState& state, ImportReport::Outcome outcome) const;

 private:
  std::size_t pending_before_;
  std::int64_t players_before_;
};

// The status line's text (UTF-8).
std::string StatusLineText(const ImportReport& report);
// After the last import was undone, at `time` ("hh:mm").
std::string ImportUndoneText(const std::string& time);

// The local time as "hh:mm".
std::string LocalClockTime();

}  // namespace fragtally
