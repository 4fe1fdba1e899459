#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/journal_state.h"
#include "stats/reading_state.h"

namespace fragtally {

// The reading state and what the program's files keep of it: the settings
// (the log's path, the remembered start-up line and how many blocks after it
// are counted), the folder the files live in, and what a save must know of
// the statistics file on disk.
struct FileState : ReadingState {
  std::string LogPath;
  std::string StartupMarker;
  // How many blocks after the marker's line in the log are counted, when
  // known: the import skips them, so that a match is counted once however
  // often the log is imported while the game plays on.
  std::optional<std::int64_t> BlocksAfterMarker;

  // The settings file was there at start-up (or a save made it): a save
  // never makes a new one where it went away (a game folder on a removed
  // disk).
  bool SettingsOnDisk = false;
  // The settings file is there but could not be read (held by another
  // program, not allowed): it is never written over, and imports wait until
  // it can be read or the player chooses to start over.
  bool SettingsUnread = false;
  // The statistics file is there but could not be opened at start-up: the
  // load is tried again before an import, which waits for it, so that no
  // save drops the totals it holds.
  bool StatsUnread = false;

  // Folder that holds the program; the statistics and settings files live below it.
  std::string ProgramFolder;

  // Set while the statistics file on disk may hold more than the table could
  // read (a load that stopped part-way, a file from which no player could be
  // read, or a file that exists but could not be opened). The next save first
  // keeps that file under a backup name.
  bool KeepOldStatsFile = false;

  // The statistics file as this program last read or wrote it, when known:
  // whether it existed, and the digest of its bytes. A save never replaces a
  // file that another program changed since then; it writes the table beside
  // it instead (StatsKeptBeside, one name for the program's whole run).
  struct FileOnDisk {
    bool Known = false;
    bool Exists = false;
    std::uint64_t Digest = 0;
  } StatsOnDisk;
  std::string StatsKeptBeside;
  // An import's saves failed: the table holds matches that the files on disk
  // do not. The next press of the import button saves again even when the
  // log holds nothing new.
  bool SavePending = false;

  // The match journal: what the imports since the last save added, and the
  // journal's last commit.
  JournalState Journal;
};

}  // namespace fragtally
