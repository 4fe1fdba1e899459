// Fractional numbers in the user's format, whatever the C library's locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/text/number_format.h"

namespace fragtally {
namespace {

TEST(FormatRatingValue, FifteenSignificantDigitsAndTheUsersSeparator) {
  const struct {
    double value;
    const char* ru;
    const char* en;
  } cases[] = {
      {3.25, "3,25", "3.25"},
      {-7.0 / 3.0, "-2,33333333333333", "-2.33333333333333"},
      {0.5, "0,5", "0.5"},
      {-0.5, "-0,5", "-0.5"},
      {10.0 / 3.0, "3,33333333333333", "3.33333333333333"},
      {5e-05, "5E-05", "5E-05"},
      {3.0, "3", "3"},
      {-200.0, "-200", "-200"},
      {0.0, "0", "0"},
      {-0.0, "0", "0"},
      {0.0001, "0,0001", "0.0001"},
      {0.00012345, "0,00012345", "0.00012345"},
      {1e15, "1E+15", "1E+15"},
      {999999999999999.0, "999999999999999", "999999999999999"},
      {9999999999999999.0, "1E+16", "1E+16"},
      {123456789012345678.0, "1,23456789012346E+17", "1.23456789012346E+17"},
      {-1.5e-10, "-1,5E-10", "-1.5E-10"},
      {1e100, "1E+100", "1E+100"},
      {0.1 + 0.2, "0,3", "0.3"},
      {2147483647.0, "2147483647", "2147483647"},
  };
  // The same whatever locale the C library was set to: one whose decimal
  // point is two bytes (Pashto), a comma, the plain one.
  for (const char* locale : {"ps_AF.UTF-8", "ru_RU.UTF-8", "C"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
#ifndef _WIN32  // the C library there knows other names
      ADD_FAILURE() << "locale " << locale << " is not installed (locales-all)";
#endif
      continue;
    }
    for (const auto& c : cases) {
      EXPECT_EQ(FormatRatingValue(c.value, ","), c.ru) << c.en << " under " << locale;
      EXPECT_EQ(FormatRatingValue(c.value, "."), c.en) << " under " << locale;
      EXPECT_EQ(FormatRatingValue(c.value, "\xD9\xAB"), [&] {
        std::string expected = c.en;
        if (const auto dot = expected.find('.'); dot != std::string::npos) expected.replace(dot, 1, "\xD9\xAB");
        return expected;
      }()) << "a separator of two bytes";
    }
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace fragtally
