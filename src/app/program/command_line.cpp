#include "app/program/command_line.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "app/program/version.h"

namespace fragtally {

namespace {

// The values of "--period", as the Players window's list offers them.
struct PeriodName {
  std::string_view Name;
  PlayersPeriod Period;
};
constexpr PeriodName kPeriodNames[] = {
    {"all", PlayersPeriod::AllTime},     {"evening", PlayersPeriod::LastEvening}, {"week", PlayersPeriod::ThisWeek},
    {"month", PlayersPeriod::ThisMonth}, {"year", PlayersPeriod::ThisYear},       {"30days", PlayersPeriod::Last30Days},
    {"365days", PlayersPeriod::Last365Days},
};

CommandLine Refused(std::string problem) {
  CommandLine line;
  line.What = CommandLine::Action::Refuse;
  line.Problem = std::move(problem);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  const std::string& first = arguments[0];
  if (first == "--help" || first == "-h" || first == "/?" || first == "-?") {
    line.What = CommandLine::Action::PrintHelp;
  } else if (first == "--version") {
    line.What = CommandLine::Action::PrintVersion;
  } else if (first == "--export-html" || first == "--export-csv" || first == "--export-matches") {
    if (arguments.size() < 2 || arguments[1].empty()) return Refused("После " + first + " нужно имя файла.");
    line.What = CommandLine::Action::Export;
    line.Kind = first == "--export-html"  ? ExportKind::Html
                : first == "--export-csv" ? ExportKind::Csv
                                          : ExportKind::Matches;
    line.Target = arguments[1];
    std::size_t next = 2;
    if (line.Kind != ExportKind::Matches && next < arguments.size() &&
        (arguments[next] == "--period" || arguments[next].rfind("--period=", 0) == 0)) {
      const bool joined = arguments[next] != "--period";
      if (!joined && next + 1 >= arguments.size()) return Refused("После --period нужен период.");
      const std::string name = joined ? arguments[next].substr(9) : arguments[next + 1];
      const auto* found = std::find_if(std::begin(kPeriodNames), std::end(kPeriodNames),
                                       [&](const PeriodName& known) { return known.Name == name; });
      if (found == std::end(kPeriodNames)) return Refused("Неизвестный период: " + name);
      line.Period = found->Period;
      next += joined ? 1 : 2;
    }
    if (arguments.size() > next) return Refused("Лишний параметр: " + arguments[next]);
    return line;
  } else {
    return Refused((first.size() > 1 && first[0] == '-' ? "Неизвестный параметр: " : "Лишний параметр: ") + first);
  }
  if (arguments.size() > 1) return Refused("Лишний параметр: " + arguments[1]);
  return line;
}

std::string UsageText() {
  return "Использование: fragtally [ПАРАМЕТР]\n"
         "Без параметров открывает окно программы. Файлы статистики, настроек и журнал матчей - в папке basekrm\n"
         "рядом с программой.\n"
         "  --export-html ФАЙЛ  сохранить отчёт об игроках (HTML) в ФАЙЛ и закончить\n"
         "  --export-csv ФАЙЛ   сохранить таблицу игроков (CSV) в ФАЙЛ и закончить\n"
         "    --period ПЕРИОД   после ФАЙЛА отчёта или таблицы: за какой период (all, evening, week, month,\n"
         "                      year, 30days, 365days; без него - за всё время)\n"
         "  --export-matches ФАЙЛ  сохранить все матчи журнала (CSV: строка на игрока в матче, с местом\n"
         "                      и рейтингом mu, sigma после матча) в ФАЙЛ и закончить\n"
         "  --help              показать эту справку и закончить\n"
         "  --version           показать версию программы и закончить\n"
         "Коды завершения: 0 - сделано, 1 - неверные параметры, 2 - не прочитан файл статистики,\n"
         "3 - не записан ФАЙЛ.\n";
}

std::string VersionText() { return std::string("Fragtally ") + FRAGTALLY_VERSION + "\n"; }

std::optional<ProgramExit> RunWithoutWindow(const std::vector<std::string>& arguments,
                                            const std::string& program_folder, const CsvFormat& format) {
  const CommandLine line = ParseCommandLine(arguments);
  switch (line.What) {
    case CommandLine::Action::OpenWindow:
      return std::nullopt;
    case CommandLine::Action::PrintHelp:
      return ProgramExit{0, UsageText(), {}};
    case CommandLine::Action::PrintVersion:
      return ProgramExit{0, VersionText(), {}};
    case CommandLine::Action::Refuse:
      return ProgramExit{kExportUsage, {}, line.Problem + "\n" + UsageText()};
    case CommandLine::Action::Export: {
      const ExportResult result = RunExport(line.Kind, line.Target, program_folder, format, line.Period);
      if (result.ExitCode == kExportWritten) return ProgramExit{result.ExitCode, result.Message, {}};
      return ProgramExit{result.ExitCode, {}, result.Message};
    }
  }
  return std::nullopt;
}

}  // namespace fragtally
