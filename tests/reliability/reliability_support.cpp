#include "reliability_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/main_window/commands.h"
#include "files/stats_file.h"
#include "stats/stats_line.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fragtally::testing {

#ifndef _WIN32
ChildResult RunInChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("fork");
    return {};
  }
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (const CheckFailed& failed) {
      std::fprintf(stderr, "child: %s\n", failed.message.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: exception %s\n", e.what());
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  ChildResult result;
  result.exited = WIFEXITED(status);
  result.code = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}
#endif

namespace {
void ThrowCheckFailure(const std::string& message) { throw CheckFailed{message}; }
}  // namespace

void UseThrowingChecks() { fuzz::SetFailureHandler(&ThrowCheckFailure); }

std::string Listing(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string out;
  for (const auto& name : names) out += name + "\n";
  return out;
}

std::unique_ptr<WindowState> StateWithPlayers(const std::string& program_folder, int players, int seed) {
  auto state = NewForm1State(program_folder);
  for (int i = 1; i <= players; ++i) {
    state->CurrentName = "Player " + std::to_string(i);
    FindOrAddPlayer(*state);
    fuzz::SlotCounters counters{};
    for (int c = 0; c < fuzz::kColumnCount; ++c) counters[c] = (i * 31 + c * 7 + seed * 1000003) % 100000;
    fuzz::WriteSlot(state->Table, i, counters);
  }
  state->Trace.clear();
  state->LogPath = "elsewhere\\LOG.txt";
  state->StartupMarker = "--- Fs_startup : Tue Jan 02 10:00:00 2024";
  return state;
}

std::string OldStatsText() {
  auto state = StateWithPlayers("", 3, 7);
  return FormatStatsFile(*state);
}

}  // namespace fragtally::testing
