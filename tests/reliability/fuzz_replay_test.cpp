// Replays every seed and regression case of the fuzz targets through the same
// bodies and checks that libFuzzer runs, plus a fixed number of deterministic
// mutations of each seed, so the ordinary test run exercises them too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "import/log_import.h"
#include "reliability_support.h"
#include "fuzz_targets.h"
#include "test_support.h"

namespace fragtally {
namespace {

using Body = void (*)(const std::uint8_t*, std::size_t);

std::vector<std::filesystem::path> InputsOf(const std::string& target) {
  std::vector<std::filesystem::path> files;
  for (const char* kind : {"corpus", "regressions"}) {
    std::filesystem::path folder = std::filesystem::path(FRAGTALLY_FUZZ_DIR) / kind / target;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
      if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs one input; a failed check becomes a test failure naming the input.
bool Run(Body body, const std::string& input, const std::string& name) {
  try {
    body(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    return true;
  } catch (const testing::CheckFailed& failed) {
    ADD_FAILURE() << name << ": " << failed.message;
    return false;
  }
}

// Small edits of the kinds libFuzzer makes: flip, insert, erase, copy.
std::string Mutate(std::string input, std::mt19937& random) {
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = input.empty() ? 0 : random() % input.size();
    switch (random() % 5) {
      case 0:
        if (!input.empty()) input[at] = static_cast<char>(input[at] ^ (1u << (random() % 8)));
        break;
      case 1: {
        static const char kBytes[] = {' ', '/', '\r', '\n', '\0', '-', '.', 'e', '9', '\xff'};
        input.insert(at, 1, kBytes[random() % sizeof kBytes]);
        break;
      }
      case 2:
        if (!input.empty()) input.erase(at, 1 + random() % 8);
        break;
      case 3:
        if (!input.empty()) input.insert(random() % input.size(), input.substr(at, 1 + random() % 40));
        break;
      default:
        if (!input.empty()) input[at] = static_cast<char>('0' + random() % 10);
        break;
    }
  }
  return input;
}

void Replay(const std::string& target, Body body, int mutations_per_input) {
  testing::UseThrowingChecks();
  const auto files = InputsOf(target);
  ASSERT_FALSE(files.empty()) << "no seeds for " << target;
  std::mt19937 random(12345);
  int runs = 0, failures = 0;
  for (const auto& file : files) {
    const std::string input = testing::ReadFile(file);
    failures += !Run(body, input, file.filename().string());
    ++runs;
    for (int m = 0; m < mutations_per_input && failures < 5; ++m) {
      failures += !Run(body, Mutate(input, random), file.filename().string() + " mutation " + std::to_string(m));
      ++runs;
    }
  }
  ::testing::Test::RecordProperty("inputs", runs);
}

TEST(FuzzReplay, StatsLine) { Replay("stats_line", &fuzz::FuzzStatsLine, 100); }
TEST(FuzzReplay, StatsFile) { Replay("stats_file", &fuzz::FuzzStatsFile, 40); }
TEST(FuzzReplay, LogImport) { Replay("log_import", &fuzz::FuzzLogImport, 40); }
TEST(FuzzReplay, Numbers) { Replay("numbers", &fuzz::FuzzNumbers, 100); }
TEST(FuzzReplay, ImportHistory) { Replay("import_history", &fuzz::FuzzImportHistory, 20); }

// The same logs read ahead by a helper thread, a few bytes at a time (the
// histories read every other import so themselves).
TEST(FuzzReplay, LogImportReadAhead) {
  SetLogReadAhead(5);
  Replay("log_import", &fuzz::FuzzLogImport, 10);
  SetLogReadAhead(kLogReadAhead);
}
TEST(FuzzReplay, Report) { Replay("report", &fuzz::FuzzReport, 40); }

}  // namespace
}  // namespace fragtally
