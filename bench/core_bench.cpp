// Times the core operations on large inputs made by make_inputs, and next to
// them the floor: reading the same file's lines with LineReader and nothing
// else. After the Google Benchmark output it prints a summary with each
// operation's median time, throughput, ratio to the floor and the targets.
//
//   core_bench --work DIR [--log PATH]... [--stats PATH]... [benchmark flags]
//
// DIR is a scratch program folder (statistics and settings files are written
// below it). Every --log and --stats file gets its own set of benchmarks.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window/commands.h"
#include "files/file_digest.h"
#include "files/journal.h"
#include "files/line_reader.h"
#include "files/paths.h"
#include "files/stats_file.h"
#include "files/store.h"
#include "import/log_import.h"
#include "app/main_window/window_state.h"
#include "app/main_window/panels.h"
#include "app/main_window/ratings.h"

namespace fs = std::filesystem;
using namespace fragtally;

namespace {

// Whether a statistics file loads completely.
bool Loads(WindowState& state) {
  try {
    LoadStatsFile(state);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program folder with basekrm/ below it.
std::string MakeProgramFolder(const fs::path& work, const std::string& name) {
  fs::path folder = work / name;
  fs::create_directories(folder / "basekrm");
  return folder.string();
}

std::unique_ptr<WindowState> StateIn(const std::string& folder) {
  auto state = NewWindowState();
  state->ProgramFolder = folder;
  return state;
}

// ---------------------------------------------------------------- the benchmarks

std::size_t CountLines(const std::string& path) {
  LineReader reader;
  if (!reader.Open(path)) return 0;
  std::string line;
  std::size_t lines = 0;
  while (!reader.AtEnd()) {
    reader.ReadLine(line);
    ++lines;
  }
  return lines;
}

// The floor: every line of the file read the way the import and the load
// read them (LineReader::NextLine), and nothing else done with it.
void ReadLines(benchmark::State& bench, std::string path, std::uintmax_t bytes) {
  std::size_t lines = 0;
  for (auto _ : bench) {
    LineReader reader;
    if (!reader.Open(path)) {
      bench.SkipWithError("cannot open the file");
      return;
    }
    std::string_view line;
    lines = 0;
    while (reader.NextLine(line)) {
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
  bench.counters["lines"] = static_cast<double>(lines);
}

// The import as a press of the button journals it: the log read, each block's
// changes recorded and its line appended to the journal on the way (in pieces
// the disk writes meanwhile), then the commit: the C line appended with a
// flush to the disk. The commit is timed apart as well.
void ImportWithJournalBench(benchmark::State& bench, std::string log, std::uintmax_t bytes, std::string folder) {
  double journal_seconds = 0;
  std::size_t matches = 0;
  const std::string journal = JournalFilePath(*StateIn(folder));
  for (auto _ : bench) {
    bench.PauseTiming();
    fs::remove(journal);
    std::unique_ptr<WindowState> state = StateIn(folder);
    state->LogPath = log;
    state->StartupMarker = "--- Fs_startup : Sun Dec 31 23:59:59 2023";
    state->BlocksAfterMarker = 5;
    bench.ResumeTiming();
    try {
      ImportIntoStore(*state, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
        ImportLog(*state, read, kTailSearched, &watcher, &counted);
      });
      const auto start = std::chrono::steady_clock::now();
      JournalCommit commit;
      commit.Import = 1;
      commit.Time = "2026-12-08 00:00:00";
      commit.Marker = state->StartupMarker;
      commit.Count = state->BlocksAfterMarker;
      commit.PlayersAfter = state->Table.PlayerCount;
      AppendImportToJournal(journal, state->Journal, state->Table, commit);
      journal_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } catch (const std::exception& error) {
      bench.SkipWithError(error.what());
      return;
    }
    bench.PauseTiming();
    matches = state->Journal.Pending.size();
    state.reset();
    bench.ResumeTiming();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
  bench.counters["journal_s"] = journal_seconds / static_cast<double>(bench.iterations());
  bench.counters["matches"] = static_cast<double>(matches);
}

// The journal's lines of imports `first` to `last`, of 1000 blocks each, that
// leave the statistics file with `digest`; `keyed`: the blocks have their
// match, map and key (of game sessions no log of the benchmarks holds).
std::string JournalImports(int first, int last, std::optional<std::uint64_t> digest, bool keyed) {
  std::string text;
  std::vector<JournalMatch> block(1000);
  for (int import = first; import <= last; ++import) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      JournalMatch& m = block[i];
      m.Session = "2026-12-" + std::to_string(1 + import % 28) + " 20:00:00";
      m.Position = static_cast<std::int64_t>(i + 1);
      m.Name = "Player " + std::to_string((import * 7 + static_cast<int>(i)) % 5000 + 1);
      for (std::size_t c = 0; c < m.Added.size(); ++c) m.Added[c] = static_cast<std::int32_t>((i * 31 + c * 7) % 400);
      m.Added.back() = 1;
      if (keyed) {
        m.Match = static_cast<std::int64_t>(i / 4 + 1);
        m.Map = "krmdm1";
        m.Digest = static_cast<std::uint64_t>(import) * 1000003u + i;
      }
    }
    JournalCommit commit;
    commit.Import = commit.InEffectAfter = commit.LastNumber = import;
    commit.InEffectBefore = import - 1;
    commit.Time = "2026-12-08 00:00:00";
    commit.Marker = "--- Fs_startup : Mon Dec 07 21:15:03 2026";
    commit.Count = 1000;
    commit.DigestBefore = commit.DigestAfter = digest;
    text += JournalImportText(block, commit);
  }
  return text;
}

// A journal of `matches` blocks in imports of 1000, whose last commit left
// the statistics file of `folder` as it is.
void WriteJournal(const std::string& folder, int matches) {
  auto state = StateIn(folder);
  const std::string path = JournalFilePath(*state);
  fs::remove(path);
  const std::optional<std::uint64_t> digest = DigestOfFile(StatsFilePath(*state));
  std::string text;
  AppendToJournal(path, JournalImports(1, matches / 1000, digest, false));
}

// A log whose every block is in the journal already, imported from another
// game folder (the remembered start-up line is not in it): every block is
// read and left out by its key, and the log counts as unchanged. The journal
// holds the log's import, then imports of other sessions up to `matches`
// blocks in all. `keys_loaded`: the program has imported before in this run
// (the journal's keys are in memory); otherwise the import reads them first.
void ImportCountedAlreadyBench(benchmark::State& bench, std::string log, std::uintmax_t bytes, std::string folder,
                               int matches, bool keys_loaded) {
  std::size_t blocks = 0;
  {
    auto state = StateIn(folder);
    fs::remove(JournalFilePath(*state));
    fs::remove(StatsFilePath(*state));
    fs::remove(SettingsFilePath(*state));
    OpenStore(*state);
    state->LogPath = log;
    ImportIntoStore(*state, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
      ImportLog(*state, read, kTailSearched, &watcher, &counted);
    });
    blocks = state->Journal.Pending.size();
    if (!CommitStore(*state).Saved()) {
      bench.SkipWithError("the first import was not saved");
      return;
    }
    // Imports of other game sessions after it, as a long history gives.
    const int others = (matches - static_cast<int>(blocks)) / 1000;
    if (others > 0)
      AppendToJournal(JournalFilePath(*state), JournalImports(2, others + 1, state->StatsOnDisk.Digest, true));
  }
  for (auto _ : bench) {
    bench.PauseTiming();
    auto state = StateIn(folder);
    OpenStore(*state);
    state->LogPath = log;
    state->StartupMarker = "--- Fs_startup : Sun Dec 31 23:59:59 2023";  // another folder's
    state->BlocksAfterMarker = 5;
    ImportOutcome outcome{};
    const auto import = [&] {
      ImportIntoStore(*state, [&](ImportedBlocks& read, ImportWatcher& watcher, const CountedBlocks& counted) {
        outcome = ImportLog(*state, read, kTailSearched, &watcher, &counted);
      });
    };
    if (keys_loaded) import();
    bench.ResumeTiming();
    try {
      import();
    } catch (const std::exception& error) {
      bench.SkipWithError(error.what());
      return;
    }
    bench.PauseTiming();
    if (outcome != ImportOutcome::LogUnchanged || !state->Journal.Pending.empty()) {
      bench.SkipWithError("a block counted again");
      return;
    }
    state.reset();
    bench.ResumeTiming();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
  bench.counters["blocks"] = static_cast<double>(blocks);
  bench.counters["journal_matches"] = static_cast<double>(std::max<std::size_t>(blocks, static_cast<std::size_t>(matches)));
}

// The start-up: the settings, the statistics file, the journal's end.
void StartUpBench(benchmark::State& bench, std::string folder) {
  struct Quiet : MessageSink {
    void ShowMessage(MessageIcon, const std::string&, const std::string&) override {}
  } quiet;
  for (auto _ : bench) {
    auto state = NewForm1State(folder);
    Form_Load(*state, quiet);
    if (state->Table.PlayerCount == 0) {
      bench.SkipWithError("nothing loaded");
      return;
    }
    bench.PauseTiming();
    state.reset();
    bench.ResumeTiming();
  }
}

void ReadJournalMatchesBench(benchmark::State& bench, std::string folder) {
  const std::string path = JournalFilePath(*StateIn(folder));
  std::size_t matches = 0;
  for (auto _ : bench) matches = ReadJournalMatches(path).size();
  bench.counters["matches"] = static_cast<double>(matches);
}

void ImportLogBench(benchmark::State& bench, std::string log, std::uintmax_t bytes, std::string folder,
                    const WindowState* start) {
  std::size_t trace = 0;
  int players = 0;
  for (auto _ : bench) {
    bench.PauseTiming();
    std::unique_ptr<WindowState> state = start ? std::make_unique<WindowState>(*start) : StateIn(folder);
    state->LogPath = log;
    // As in use: the start-up line of an earlier log is remembered, and this
    // log does not hold it.
    state->StartupMarker = "--- Fs_startup : Sun Dec 31 23:59:59 2023";
    state->BlocksAfterMarker = 5;
    bench.ResumeTiming();

    std::string failure;
    try {
      if (ImportLog(*state) != ImportOutcome::Completed) failure = "the log counted as imported already";
    } catch (const std::exception& error) {
      failure = error.what();
    }

    bench.PauseTiming();
    if (!failure.empty()) {
      bench.SkipWithError(("import did not complete: " + failure).c_str());
      return;
    }
    trace = state->Trace.size();
    players = state->Table.PlayerCount;
    state.reset();
    bench.ResumeTiming();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
  bench.counters["trace_MiB"] = static_cast<double>(trace) / (1024.0 * 1024.0);
  bench.counters["players"] = players;
}

// A log imported once and pressed again, with nothing new in it: the import
// finds the remembered start-up line and skips what was counted after it.
void ImportAgainBench(benchmark::State& bench, std::string log, std::uintmax_t bytes, std::string folder) {
  std::unique_ptr<WindowState> state = StateIn(folder);
  state->LogPath = log;
  try {
    if (ImportLog(*state) != ImportOutcome::Completed) throw std::runtime_error("the first import did not complete");
  } catch (const std::exception& error) {
    bench.SkipWithError(error.what());
    return;
  }
  for (auto _ : bench) {
    ImportOutcome outcome{};
    try {
      outcome = ImportLog(*state);
    } catch (const std::exception& error) {
      bench.SkipWithError(error.what());
      return;
    }
    if (outcome != ImportOutcome::LogUnchanged) {
      bench.SkipWithError("the second import found something new");
      return;
    }
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
}

void LoadStatsBench(benchmark::State& bench, std::string folder, std::uintmax_t bytes, int expected_players) {
  for (auto _ : bench) {
    bench.PauseTiming();
    auto state = StateIn(folder);
    bench.ResumeTiming();

    bool loaded = Loads(*state);

    bench.PauseTiming();
    if (!loaded || state->Table.PlayerCount != expected_players) {
      bench.SkipWithError("the statistics file did not load completely");
      return;
    }
    state.reset();
    bench.ResumeTiming();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
}

void FormatStatsBench(benchmark::State& bench, const WindowState* loaded, std::uintmax_t bytes) {
  for (auto _ : bench) {
    std::string text = FormatStatsFile(*loaded);
    benchmark::DoNotOptimize(text.data());
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
}

void SaveStatsBench(benchmark::State& bench, WindowState* loaded, std::uintmax_t bytes) {
  for (auto _ : bench) {
    try {
      SaveStatsFile(*loaded);
    } catch (const std::exception& error) {
      bench.SkipWithError((std::string("save failed: ") + error.what()).c_str());
      return;
    }
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * bytes));
}

// One panel filled per iteration, walking through every player.
void FillPanelBench(benchmark::State& bench, const WindowState* loaded) {
  const int players = loaded->Table.PlayerCount;
  int position = 0;
  for (auto _ : bench) {
    PanelFill fill = FillPlayerPanel(loaded->Table, position);
    benchmark::DoNotOptimize(fill.Texts.data());
    if (++position == players) position = 0;
  }
}

// One report per iteration for the pair (p, p + 1), walking through every player.
void RatingsBench(benchmark::State& bench, const WindowState* loaded) {
  const int players = loaded->Table.PlayerCount;
  std::vector<RatingsInput> inputs;
  inputs.reserve(static_cast<std::size_t>(players));
  Selector selector;
  for (int p = 0; p < players; ++p) {
    PanelFill fill = FillPlayerPanel(loaded->Table, p);
    PanelLabels labels = DesignPanelLabels();
    for (std::size_t i = 0; i < fill.Texts.size(); ++i) labels[i] = fill.Texts[i];
    selector.ListIndex = p;
    inputs.push_back(GatherRatingsInput(loaded->Table, selector, labels));
  }
  int position = 0;
  std::size_t empty = 0;
  for (auto _ : bench) {
    std::string report =
        BuildRatingsReport(loaded->Table, inputs[position], inputs[(position + 1) % players], ",");
    empty += report.empty();
    benchmark::DoNotOptimize(report.data());
    if (++position == players) position = 0;
  }
  bench.counters["empty_reports"] = static_cast<double>(empty);
}

// ---------------------------------------------------------------- the summary

// Keeps every run while the console reporter prints it.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  CollectingReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      if (run.error_occurred) {
        failed.push_back(run.benchmark_name() + ": " + run.error_message);
        continue;
      }
      double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      std::string name = run.run_name.function_name;
      times[name].push_back(seconds);
      auto trace = run.counters.find("trace_MiB");
      if (trace != run.counters.end()) extra[name] = trace->second.value;
      auto journal = run.counters.find("journal_s");
      if (journal != run.counters.end()) extra_journal[name] = journal->second.value;
    }
  }
  double Median(const std::string& name) const {
    auto found = times.find(name);
    if (found == times.end() || found->second.empty()) return -1;
    std::vector<double> v = found->second;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  std::map<std::string, std::vector<double>> times;
  std::map<std::string, double> extra;
  std::map<std::string, double> extra_journal;  // seconds of the journal's part, by import
  std::vector<std::string> failed;
};

std::string TimeText(double seconds) {
  char text[32];
  if (seconds < 0) return "-";
  if (seconds >= 1) std::snprintf(text, sizeof text, "%.3f s", seconds);
  else if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  else if (seconds >= 1e-6) std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
  else std::snprintf(text, sizeof text, "%.0f ns", seconds * 1e9);
  return text;
}

struct Input {
  std::string path;
  std::string label;
  std::uintmax_t bytes = 0;
};

struct StatsInput : Input {
  int players = 0;
  std::string load_folder;
  std::unique_ptr<WindowState> loaded;
};

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: core_bench --work DIR [--log PATH]... [--stats PATH]... [benchmark flags]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  // Our own flags first; the rest goes to Google Benchmark.
  std::vector<char*> rest{argv[0]};
  std::vector<Input> logs;
  std::vector<std::unique_ptr<StatsInput>> stats;
  fs::path work;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--log" || arg == "--stats" || arg == "--work") && i + 1 < argc) {
      std::string value = argv[++i];
      if (arg == "--work") {
        work = value;
      } else {
        Input input;
        input.path = fs::absolute(value).string();
        std::error_code ec;
        input.bytes = fs::file_size(input.path, ec);
        if (ec) {
          std::fprintf(stderr, "%s: %s\n", value.c_str(), ec.message().c_str());
          return 2;
        }
        if (arg == "--log") {
          input.label = fs::path(input.path).stem().string();
          logs.push_back(input);
        } else {
          auto s = std::make_unique<StatsInput>();
          static_cast<Input&>(*s) = input;
          stats.push_back(std::move(s));
        }
      }
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (work.empty() || (logs.empty() && stats.empty())) Usage();
  fs::create_directories(work);

  // Load each statistics file once for the benchmarks that need a full table,
  // and check that formatting the loaded table gives the file back byte for byte.
  int failures = 0;
  for (auto& s : stats) {
    s->loaded = StateIn("");
    s->load_folder = MakeProgramFolder(work, "load-" + std::to_string(stats.size()) + "-" + fs::path(s->path).stem().string());
    fs::copy_file(s->path, fs::path(s->load_folder) / "basekrm" / "Stats.krm", fs::copy_options::overwrite_existing);
    s->loaded->ProgramFolder = s->load_folder;
    if (!Loads(*s->loaded)) {
      std::fprintf(stderr, "%s: the statistics file does not load\n", s->path.c_str());
      return 1;
    }
    s->players = s->loaded->Table.PlayerCount;
    s->label = "stats-" + std::to_string(s->players);
    if (FormatStatsFile(*s->loaded) != ReadWholeFile(s->path)) {
      std::fprintf(stderr, "%s: saving the loaded table does not give the same bytes\n", s->path.c_str());
      ++failures;
    }
    // Saves go to a folder of their own, whatever an earlier run left there:
    // the table knows nothing of the file it will write.
    s->loaded->ProgramFolder = MakeProgramFolder(work, "save-" + s->label);
    s->loaded->StatsOnDisk = {};
  }
  // Imports start from an empty table; the largest statistics file also
  // serves as the table an import lands on, as in the program.
  const StatsInput* biggest = nullptr;
  for (auto& s : stats)
    if (!biggest || s->players > biggest->players) biggest = s.get();

  const std::string import_folder = MakeProgramFolder(work, "import");
  for (const Input& log : logs) {
    // Warm the page cache so that every benchmark reads from memory.
    CountLines(log.path);
    benchmark::RegisterBenchmark(("ReadLines/" + log.label).c_str(), ReadLines, log.path, log.bytes)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("ImportLog/" + log.label).c_str(), ImportLogBench, log.path, log.bytes,
                                 import_folder, nullptr)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("ImportWithJournal/" + log.label).c_str(), ImportWithJournalBench, log.path,
                                 log.bytes, import_folder)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("ImportAgain/" + log.label).c_str(), ImportAgainBench, log.path, log.bytes,
                                 import_folder)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    const std::string counted_folder = MakeProgramFolder(work, "counted-" + log.label);
    for (const bool loaded : {false, true})
      benchmark::RegisterBenchmark(((loaded ? "ImportCountedAlready/" : "ImportCountedAlreadyFirst/") + log.label).c_str(),
                                   ImportCountedAlreadyBench, log.path, log.bytes, counted_folder, 100000, loaded)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
  }
  if (biggest) {
    for (const Input& log : logs) {
      WindowState* start = biggest->loaded.get();
      benchmark::RegisterBenchmark(("ImportLogOnto" + std::to_string(biggest->players) + "/" + log.label).c_str(),
                                   ImportLogBench, log.path, log.bytes, import_folder, start)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  if (biggest) {
    // The start-up with the largest statistics file, without a journal and
    // with one of 100,000 matches; reading that journal's matches.
    for (const int matches : {0, 100000}) {
      const std::string folder = MakeProgramFolder(work, "start-" + std::to_string(matches));
      fs::copy_file(biggest->path, fs::path(folder) / "basekrm" / "Stats.krm", fs::copy_options::overwrite_existing);
      fs::remove(fs::path(folder) / "basekrm" / "Matches.txt");
      if (matches > 0) WriteJournal(folder, matches);
      const std::string label = matches > 0 ? "journal-" + std::to_string(matches) : "no-journal";
      benchmark::RegisterBenchmark(("StartUp/" + label).c_str(), StartUpBench, folder)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
      if (matches > 0)
        benchmark::RegisterBenchmark(("ReadJournalMatches/" + label).c_str(), ReadJournalMatchesBench, folder)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
  }
  for (auto& s : stats) {
    CountLines(s->path);
    benchmark::RegisterBenchmark(("ReadLines/" + s->label).c_str(), ReadLines, s->path, s->bytes)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("LoadStatsFile/" + s->label).c_str(), LoadStatsBench, s->load_folder, s->bytes,
                                 s->players)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("FormatStatsFile/" + s->label).c_str(), FormatStatsBench, s->loaded.get(), s->bytes)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("SaveStatsFile/" + s->label).c_str(), SaveStatsBench, s->loaded.get(), s->bytes)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("FillPlayerPanel/" + s->label).c_str(), FillPanelBench, s->loaded.get())
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("BuildRatingsReport/" + s->label).c_str(), RatingsBench, s->loaded.get())
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
  }

  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 2;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // ------------------------------------------------------------ summary
  auto mbps = [](std::uintmax_t bytes, double seconds) { return seconds > 0 ? bytes / seconds / 1e6 : 0.0; };
  std::printf("\n== Summary (median wall time; MB/s = 10^6 bytes per second; floor = LineReader over the same file) ==\n");
  std::printf("%-34s %12s %10s %12s  %s\n", "operation", "time", "MB/s", "x floor", "target");
  auto row = [&](const std::string& name, std::uintmax_t bytes, double floor, const std::string& target) {
    double t = reporter.Median(name);
    if (t < 0) return;
    char ratio[32] = "-";
    if (floor > 0) std::snprintf(ratio, sizeof ratio, t / floor >= 0.01 ? "%.2fx" : "%.2gx", t / floor);
    char rate[32] = "-";
    if (bytes) std::snprintf(rate, sizeof rate, "%.0f", mbps(bytes, t));
    std::printf("%-34s %12s %10s %12s  %s\n", name.c_str(), TimeText(t).c_str(), rate, ratio, target.c_str());
  };
  auto verdict = [](bool met) { return std::string(met ? "met" : "MISSED"); };
  // The targets: an import within twice the floor, an import of a log
  // already imported within 1.3 times.
  auto within = [&](const std::string& name, double floor, double limit) {
    double t = reporter.Median(name);
    if (t < 0 || floor <= 0) return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "<= %gx floor: %s", limit, verdict(t <= limit * floor).c_str());
    return std::string(text);
  };
  for (const Input& log : logs) {
    double floor = reporter.Median("ReadLines/" + log.label);
    row("ReadLines/" + log.label, log.bytes, floor, "(floor)");
    row("ImportLog/" + log.label, log.bytes, floor, within("ImportLog/" + log.label, floor, 2.0));
    if (biggest) row("ImportLogOnto" + std::to_string(biggest->players) + "/" + log.label, log.bytes, floor, "");
    row("ImportWithJournal/" + log.label, log.bytes, floor, within("ImportWithJournal/" + log.label, floor, 2.0));
    const auto journal = reporter.extra_journal.find("ImportWithJournal/" + log.label);
    const double with_journal = reporter.Median("ImportWithJournal/" + log.label);
    if (journal != reporter.extra_journal.end() && with_journal > 0) {
      // The lines are written while the log is read: the journal's cost is
      // what the import with it takes over the import without it, the commit
      // (the last lines, the C line, the wait for the disk) a part of it.
      const double without = reporter.Median("ImportLog/" + log.label);
      std::printf("%-34s %12s of it the commit's append and flush: %.1f%%\n", "", TimeText(journal->second).c_str(),
                  100 * journal->second / with_journal);
      if (without > 0)
        std::printf("%-34s %12s the journal in all (over ImportLog): %.1f%% (<= 10%%: %s)\n", "",
                    TimeText(with_journal - without).c_str(), 100 * (with_journal - without) / with_journal,
                    verdict(with_journal - without <= 0.10 * with_journal).c_str());
    }
    row("ImportAgain/" + log.label, log.bytes, floor, within("ImportAgain/" + log.label, floor, 1.3));
    // Every block counted already, in a journal of 100,000 matches: the
    // journal's keys read by this import, and held from an earlier one.
    row("ImportCountedAlreadyFirst/" + log.label, log.bytes, floor,
        within("ImportCountedAlreadyFirst/" + log.label, floor, 2.0));
    row("ImportCountedAlready/" + log.label, log.bytes, floor, within("ImportCountedAlready/" + log.label, floor, 2.0));
    auto trace = reporter.extra.find("ImportLog/" + log.label);
    if (trace != reporter.extra.end()) std::printf("%-34s %12.1f MiB of trace after the import\n", "", trace->second);
  }
  {
    const double without = reporter.Median("StartUp/no-journal"), with = reporter.Median("StartUp/journal-100000");
    if (without > 0 && with > 0) {
      std::printf("%-34s %12s\n%-34s %12s  x%.2f (as fast: %s)\n", "StartUp/no-journal", TimeText(without).c_str(),
                  "StartUp/journal-100000", TimeText(with).c_str(), with / without,
                  verdict(with <= without * 1.10).c_str());
      const double read = reporter.Median("ReadJournalMatches/journal-100000");
      std::printf("%-34s %12s  (<= 100 ms: %s)\n", "ReadJournalMatches/journal-100000", TimeText(read).c_str(),
                  verdict(read >= 0 && read <= 0.100).c_str());
    }
  }
  for (auto& s : stats) {
    double floor = reporter.Median("ReadLines/" + s->label);
    auto under = [&](const std::string& name, double limit) {
      double t = reporter.Median(name);
      char text[64];
      std::snprintf(text, sizeof text, "< %.0f ms: %s", limit * 1e3, verdict(t >= 0 && t < limit).c_str());
      return std::string(text);
    };
    row("ReadLines/" + s->label, s->bytes, floor, "(floor)");
    row("LoadStatsFile/" + s->label, s->bytes, floor, under("LoadStatsFile/" + s->label, 0.030));
    row("FormatStatsFile/" + s->label, s->bytes, floor, "(part of the save)");
    row("SaveStatsFile/" + s->label, s->bytes, floor, under("SaveStatsFile/" + s->label, 0.030));
    row("FillPlayerPanel/" + s->label, 0, floor, "(one panel)");
    row("BuildRatingsReport/" + s->label, 0, floor, "(one report)");
  }

  // Doubling: each operation's time on the larger input against the smaller.
  auto scaling = [&](const std::string& op, const std::string& small, const std::string& large, double size_ratio) {
    double a = reporter.Median(op + "/" + small), b = reporter.Median(op + "/" + large);
    if (a <= 0 || b <= 0) return;
    std::printf("%-34s %s -> %s: input x%.2f, time x%.2f\n", op.c_str(), small.c_str(), large.c_str(), size_ratio,
                b / a);
  };
  std::printf("\n== Scaling (time ratio for the larger input; linear work gives about the input ratio) ==\n");
  for (std::size_t i = 0; i + 1 < logs.size(); ++i) {
    double ratio = static_cast<double>(logs[i + 1].bytes) / static_cast<double>(logs[i].bytes);
    for (std::string op : {"ReadLines", "ImportLog"}) scaling(op, logs[i].label, logs[i + 1].label, ratio);
    if (biggest)
      scaling("ImportLogOnto" + std::to_string(biggest->players), logs[i].label, logs[i + 1].label, ratio);
    // Linear: the time per byte of the larger log within 10% of the smaller one's.
    double a = reporter.Median("ImportLog/" + logs[i].label), b = reporter.Median("ImportLog/" + logs[i + 1].label);
    if (a > 0 && b > 0) {
      double per_byte = (b / static_cast<double>(logs[i + 1].bytes)) / (a / static_cast<double>(logs[i].bytes));
      std::printf("%-34s time per byte x%.2f (within 10%%: %s)\n", "ImportLog", per_byte,
                  verdict(per_byte <= 1.10).c_str());
    }
  }
  for (std::size_t i = 0; i + 1 < stats.size(); ++i) {
    double ratio = static_cast<double>(stats[i + 1]->bytes) / static_cast<double>(stats[i]->bytes);
    for (std::string op : {"ReadLines", "LoadStatsFile", "FormatStatsFile", "SaveStatsFile"})
      scaling(op, stats[i]->label, stats[i + 1]->label, ratio);
  }

  for (const std::string& f : reporter.failed) {
    std::fprintf(stderr, "FAILED: %s\n", f.c_str());
    ++failures;
  }
  return failures ? 1 : 0;
}
