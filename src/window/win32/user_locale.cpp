#include "window/win32/user_locale.h"

#include "window/win32/text.h"

namespace fragtally::win32 {

std::string LocaleText(LCTYPE item, const char* fallback) {
  wchar_t text[8] = L"";
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, 8);
  if (n <= 1) return fallback;
  return ToUtf8(std::wstring_view(text, static_cast<std::size_t>(n - 1)));
}

std::string DecimalSeparator() { return LocaleText(LOCALE_SDECIMAL, "."); }

CsvFormat UserCsvFormat() {
  CsvFormat format;
  format.DecimalSeparator = DecimalSeparator();
  format.ListSeparator = LocaleText(LOCALE_SLIST, "");
  if (format.ListSeparator.empty() || format.ListSeparator == format.DecimalSeparator)
    format.ListSeparator = ListSeparatorFor(format.DecimalSeparator);
  return format;
}

}  // namespace fragtally::win32
