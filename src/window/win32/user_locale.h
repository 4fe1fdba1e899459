#pragma once

// The user's regional settings as the program writes numbers and CSV files
// with them: read once here for the window and for the exports without one.

#include <windows.h>

#include <string>

#include "app/exports/report.h"

namespace fragtally::win32 {

// One regional setting (LOCALE_SDECIMAL, LOCALE_SLIST) as UTF-8, or `fallback`.
std::string LocaleText(LCTYPE item, const char* fallback);

// The user's decimal separator ("." when the system tells none).
std::string DecimalSeparator();

// The decimal separator and the list separator of the user's locale; where
// the locale's list separator is missing or is the decimal separator itself,
// the one that goes with the decimal separator.
CsvFormat UserCsvFormat();

}  // namespace fragtally::win32
