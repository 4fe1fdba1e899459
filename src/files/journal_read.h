#pragma once

// Reading the match journal (journal_format.h): its end at start-up, and the
// imports still in effect.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/journal_format.h"
#include "files/journal_people.h"

namespace fragtally {

// The journal's end, as the start-up reads it: without reading the rest. No
// journal gives an empty tail; one that is there but cannot be read raises
// ReadFailed with why.
struct JournalTail {
  bool Exists = false;
  bool Torn = false;  // the last line has no line end: a crash part-way through an append
  // The last C or U line, and whether an X line after it took it back.
  std::optional<JournalCommit> Last;
  bool Cancelled = false;
  std::int64_t LastNumber = 0;  // the highest import number used, torn appends included
};
JournalTail ReadJournalTail(const std::string& path);

// The imports still in effect, oldest first, each with its C line and its
// blocks. A journal that is there but cannot be opened raises ReadFailed.
struct JournalImport {
  JournalCommit Commit;
  std::vector<JournalMatch> Matches;
};
std::vector<JournalImport> ReadJournalImports(const std::string& path);

// The matches of every import that is still in effect (neither undone nor
// left undone by a crash), oldest first. No journal is no matches; a line
// that cannot be read is skipped.
std::vector<JournalMatch> ReadJournalMatches(const std::string& path);

// The keys of the blocks of every import still in effect (those journaled
// with a digest), oldest first: a quicker read than ReadJournalMatches. A
// key names its game session by its place in Sessions, where each run of the
// journal's lines of one session adds it once.
struct JournalKey {
  std::int64_t Import = 0;
  std::uint32_t Session = 0;
  std::int64_t Position = 0;
  std::uint64_t Digest = 0;
};
struct JournalKeys {
  std::vector<std::string> Sessions;
  std::vector<JournalKey> Keys;
};
JournalKeys ReadJournalKeys(const std::string& path);

// The same matches, and the people as the journal's P lines leave them.
struct JournalHistory {
  std::vector<JournalMatch> Matches;
  PeopleBook People;
};
JournalHistory ReadJournalHistory(const std::string& path);

}  // namespace fragtally
