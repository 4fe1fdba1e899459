#pragma once

#include <functional>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "app/main_window/window_state.h"

namespace fragtally::testing {

// How a child process ended.
struct ChildResult {
  bool exited = false;  // normal exit (else killed by `signal`)
  int code = -1;
  int signal = 0;
};

// Runs `body` in a forked child and waits for it. The child ends with the
// body's return value; an exception in it ends it with code 99.
#ifndef _WIN32
ChildResult RunInChild(const std::function<int()>& body);
#endif

// Exit code a child uses when the machine does not allow what it tried
// (mounting, dropping privileges); the test then skips.
inline constexpr int kChildCannot = 77;

// A failed check of the fuzz helpers (fuzz_support.h), thrown instead of
// aborting. Tests install the handler with UseThrowingChecks().
struct CheckFailed {
  std::string message;
};
void UseThrowingChecks();

// Names of the entries of a folder, sorted, one per line.
std::string Listing(const std::string& folder);

// A state in `program_folder` with `players` players ("Player 1", ...) whose
// totals depend on `seed`, and settings that differ from kOldSettings.
std::unique_ptr<WindowState> StateWithPlayers(const std::string& program_folder, int players, int seed);

// What the last run left on disk: a statistics file of three players and a
// settings file.
std::string OldStatsText();
inline constexpr const char* kOldSettings = "basekrm\\LOG.txt\r\n--- Fs_startup : Mon Jan 01 10:00:00 2024\r\n";

}  // namespace fragtally::testing
