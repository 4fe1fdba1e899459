#pragma once

// The store: the game folder's files (Stats.krm, mSetup.ini and the match
// journal Matches.txt) and the rules that count every match once across
// them. It works on the file state; the journal's state (JournalState) is
// written here and nowhere else.
//
// - Opening reads the settings and the statistics file, then holds the
//   journal's last commit against the file on disk and repairs what a crash
//   or a held file left behind.
// - An import's blocks are kept until the next commit; their journal lines
//   are written while the log is read when they can be.
// - A commit writes the journal's lines (the blocks kept and a C line), then
//   the statistics file, then the settings file: a program that dies before
//   the statistics file is replaced leaves the import undone, one that dies
//   after it has the settings rolled forward at the next start. The settings
//   follow the statistics only, so that matches that did not reach the
//   statistics file are counted again by the next import, never lost.
// - An undo takes the newest import still in effect back out of the table
//   and commits that the same way (a U line).
//
// Each operation answers with an outcome saying which file failed, why, and
// what was kept; the window turns it into its messages.

#include <cstdint>
#include <functional>
#include <string>

#include "files/file_state.h"
#include "files/journal_read.h"
#include "platform/platform.h"

namespace fragtally {

// --- opening ---------------------------------------------------------------------------

struct OpenOutcome {
  enum class StatsFile {
    Loaded,      // read whole
    NotLoaded,   // missing, or the load stopped part-way (what was read before stays)
    Unreadable,  // there, but another program holds it or it may not be read (StatsFailure says why)
  };
  StatsFile Stats = StatsFile::Loaded;
  platform::FileFailure StatsFailure;
  // The journal's end could be read. When it could not (JournalFailure says
  // why), imports wait until it can be (CheckBeforeImport), and so does undo.
  bool JournalRead = true;
  platform::FileFailure JournalFailure;
  // The settings file is there but could not be read (SettingsFailure says
  // why): imports wait for it (CheckBeforeImport).
  bool SettingsRead = true;
  platform::FileFailure SettingsFailure;
  // The journal's last commit had not reached the settings file (a settings
  // file that was held, or a kill between the renames): the settings were
  // rolled to it, or back to what it found.
  bool SettingsRepaired = false;
};

// Before the window is shown: the settings, the statistics file and the
// journal's repair. What an earlier save that was killed before its rename
// left beside the statistics and settings files is removed. Every file is
// tried again for a while when another program holds it.
OpenOutcome OpenStore(FileState& state);

// --- importing -------------------------------------------------------------------------

// Before an import: a statistics file, settings file or journal that was
// there but could not be read at start-up is read again (and the journal's
// repair done then). While the statistics file still cannot be read, no
// import is done (a save would write a file without its totals); nor while
// the journal cannot (its last commit may have to put the settings right,
// and its numbers must not be used twice); while the settings file cannot,
// none is done either (it holds the place in the log up to which matches are
// counted) until the player chooses to start over (StartOverWithoutSettings).
struct ImportCheck {
  enum class Problem { None, StatsUnreadable, JournalUnreadable, SettingsUnreadable };
  Problem Refused = Problem::None;
  platform::FileFailure Failure;
  // For SettingsUnreadable: the journal knows the place in the log, which a
  // start over keeps; otherwise a start over imports the whole log again.
  bool PlaceFromJournal = false;
};
ImportCheck CheckBeforeImport(FileState& state);
// The player chose to import without the settings file: the default log
// path, and the place in the log the journal knows (or none). The next save
// writes a new settings file.
void StartOverWithoutSettings(FileState& state);

// Runs `read`: the log's import, which records each block it reads in the
// ImportedBlocks it is given and tells the watcher of it. `counted` answers
// whether a block's key is counted already: held by an import in effect or
// read since the last commit (the journal's keys are read once a run, at the
// first import). The journal's lines
// go out while it reads when every block kept from before is in the journal
// already (under the number the next commit takes). What it read is kept
// for the next commit, also when it raises (and what it raised passes on).
// A journal that refuses a write only ends the writing ahead: the commit
// writes every block under the next number then.
using ReadLog = std::function<void(ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted)>;
void ImportIntoStore(FileState& state, const ReadLog& read);

// --- committing ------------------------------------------------------------------------

enum class StoreFile { None, Journal, Stats, Settings };

struct CommitOutcome {
  // The file that failed (the files after it were not written), None when
  // every file went through.
  StoreFile Failed = StoreFile::None;
  platform::FileFailure Failure;  // which file, and why
  // The statistics file was not replaced because another program changed it
  // since this one read or wrote it: the table went beside it to KeptBeside,
  // and the file on disk stays as it is.
  bool ChangedOnDisk = false;
  std::string KeptBeside;
  // The statistics file had not been read whole: it was kept under this
  // name before the new one replaced it (empty for none).
  std::string Backup;
  // The journal got the commit's lines (what was imported since the last commit).
  bool Journaled = false;
  // Failed is the journal because it could not be read (it could not be at
  // start-up, and still cannot): nothing was written.
  bool JournalUnread = false;
  // The failed file was on disk at start-up (or since a save) and is gone:
  // the game folder went away (a removed disk). Nothing was written, and
  // everything stays in memory for the next save.
  bool Vanished = false;

  bool Saved() const { return Failed == StoreFile::None; }
};

// Saves what the table holds: the journal's lines when there is anything
// new since the last commit, the statistics file when there are players,
// then the settings file. SavePending stays set until the settings are saved.
// Nothing is written while a file that was there is gone, nor while the
// journal could not be read; a settings file that could not be read is not
// written over.
CommitOutcome CommitStore(FileState& state);

// --- undoing ---------------------------------------------------------------------------

// An import can be undone: one is in effect, everything imported is
// committed, and the statistics file is as the journal's last commit left it.
bool CanUndoImport(const FileState& state);

// The newest import still in effect as the journal tells it: what an undo
// would take back.
struct ImportToUndo {
  enum class Problem {
    None,
    JournalUnreadable,  // Failure says why
    JournalDisagrees,   // the journal's imports do not end with the one in effect
    // Taking its journal lines out of the table would not give back the
    // statistics file the import found (lines deleted, changed or doubled
    // by hand, or a file edited by hand before it).
    ResultDiffers,
  };
  Problem Refused = Problem::None;
  platform::FileFailure Failure;  // the journal, and why when it was unreadable
  JournalImport Import;
  std::int64_t InEffectAfter = 0;  // the import in effect once it is undone, 0 for none
};
// Call only when CanUndoImport. The table is as it was when it returns.
ImportToUndo ReadImportToUndo(FileState& state);

struct UndoOutcome {
  enum class Problem {
    None,
    TableDisagrees,  // the table does not hold the import, or the undo would not give back
                     // the file the import found (Failure: the journal)
    Vanished,        // a file that was on disk is gone (Failure: that file)
    JournalWrite,    // the U line could not be appended
    StatsWrite,      // the statistics file could not be written
    StatsChanged,    // another program changed it; it is left as it is (Failure: that file)
    SettingsWrite,   // undone, but the settings wait for the next save
  };
  Problem Failed = Problem::None;
  platform::FileFailure Failure;
  // For StatsChanged: the statistics as the undo would have left them, beside the file.
  std::string KeptBeside;
  // The import is out of the table and the statistics file (also when only
  // the settings failed); otherwise the table is as it was.
  bool Undone = false;
};
// Takes `undo.Import` out of the table (every block off its player, the
// players it added removed), restores the marker and counted blocks it found,
// and commits that: the journal's U line, the statistics file (also when no
// player is left), the settings file. A later import counts those matches
// again.
UndoOutcome UndoImport(FileState& state, const ImportToUndo& undo);

// --- people --------------------------------------------------------------------------

// An organiser's change to who is who (journal_people.h), appended to the
// journal with the time it is made. Failure says why when the journal
// refused it; nothing else changes then.
struct PeopleOutcome {
  bool Saved = true;
  platform::FileFailure Failure;
};
PeopleOutcome CommitPeopleChange(FileState& state, PeopleChange change);

}  // namespace fragtally
