#pragma once

// The program's command line, the same for both programs: with no argument
// the window opens; "--help" and "--version" print and end; "--export-html
// FILE", "--export-csv FILE" and "--export-matches FILE" write a file
// without a window (export.h), the first two of the period "--period NAME"
// after FILE names (all time without it);
// anything else is refused with the usage. Nothing here needs a display.

#include <optional>
#include <string>
#include <vector>

#include "app/exports/export.h"

namespace fragtally {

// What the arguments ask for.
struct CommandLine {
  enum class Action {
    OpenWindow,    // no argument
    PrintHelp,     // --help, -h, /?
    PrintVersion,  // --version
    Export,        // --export-html FILE, --export-csv FILE, --export-matches FILE
    Refuse,        // anything else: the usage on the error output, status 1
  };
  Action What = Action::OpenWindow;
  ExportKind Kind = ExportKind::Html;  // Export
  std::string Target;                  // Export: the FILE
  PlayersPeriod Period = PlayersPeriod::AllTime;  // Export: --period NAME after the FILE
  std::string Problem;                 // Refuse: what is wrong, one sentence (UTF-8)
};

// The arguments without the program's own name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage as --help prints it (UTF-8, LF line ends).
std::string UsageText();
// The version line as --version prints it.
std::string VersionText();

// Where a program that ends without a window writes, and with what status.
struct ProgramExit {
  int ExitCode = 0;
  std::string Out;  // for the standard output
  std::string Err;  // for the standard error output
};

// Does what the arguments ask without a window: none when the window opens.
// `format` is the user's locale (for a CSV).
std::optional<ProgramExit> RunWithoutWindow(const std::vector<std::string>& arguments,
                                            const std::string& program_folder, const CsvFormat& format);

}  // namespace fragtally
