#include "app/command_line.h"

#include "app/version.h"

namespace fragtally {

namespace {

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
  } else if (first == "--export-html" || first == "--export-csv") {
    if (arguments.size() < 2 || arguments[1].empty()) return Refused("После " + first + " нужно имя файла.");
    line.What = CommandLine::Action::Export;
    line.Kind = first == "--export-html" ? ExportKind::Html : ExportKind::Csv;
    line.Target = arguments[1];
    if (arguments.size() > 2) return Refused("Лишний параметр: " + arguments[2]);
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
      const ExportResult result = RunExport(line.Kind, line.Target, program_folder, format);
      if (result.ExitCode == kExportWritten) return ProgramExit{result.ExitCode, result.Message, {}};
      return ProgramExit{result.ExitCode, {}, result.Message};
    }
  }
  return std::nullopt;
}

}  // namespace fragtally
