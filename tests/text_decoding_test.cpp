// Bytes from the files become the text a window, the report and the table show.
#include <gtest/gtest.h>

#include "app/text/text_decoding.h"
#include "platform/utf8.h"

namespace fragtally {
namespace {

TEST(DisplayText, ValidUtf8IsShownAsUtf8) {
  EXPECT_EQ(DisplayText("Stats for Ёжик"), u"Stats for Ёжик");
  EXPECT_EQ(DisplayText(""), u"");
  EXPECT_EQ(DisplayText("plain"), u"plain");
  EXPECT_EQ(DisplayText("\xF0\x9F\x8E\xAE"), u"\U0001F3AE") << "beyond the basic plane: a surrogate pair";
}

TEST(DisplayText, AnythingElseIsWindows1251) {
  EXPECT_EQ(DisplayText("\xC3\xF0\xE0\xF7"), u"Грач");
  EXPECT_EQ(DisplayText("\xA8\xE6"), u"Ёж");
  // A UTF-8 lead byte without its continuation is not UTF-8.
  EXPECT_EQ(DisplayText("\xD0"), u"Р");
  EXPECT_EQ(DisplayText("ab\xD0"), u"abР");
  EXPECT_EQ(DisplayText("\x98"), u"\uFFFD") << "unassigned in Windows-1251";
}

TEST(Utf8, OnlyWellFormedUtf8CountsAsUtf8) {
  EXPECT_TRUE(platform::IsValidUtf8("Ёж \xE2\x82\xAC \xF4\x8F\xBF\xBF"));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80",
                          "\xE2\x82", "\x80", "\xC3\x28"})
    EXPECT_FALSE(platform::IsValidUtf8(bad)) << bad;
}

TEST(DisplayText, LinesAreDecodedEachByItself) {
  EXPECT_EQ(DisplayLines("Name=\xC3\xF0\xE0\xF7\r\nName=Ёж\r\nGames=3\r\n", u"\n"), u"Name=Грач\nName=Ёж\nGames=3\n");
  EXPECT_EQ(DisplayLines("a\rb\r\n", u"\n"), u"a\rb\n") << "only a CR before LF goes";
  EXPECT_EQ(DisplayLines("one\ntwo", u"\r\n"), u"one\r\ntwo");
  EXPECT_EQ(DisplayLines("", u"\n"), u"");
}

TEST(DisplayText, BackToUtf8) {
  EXPECT_EQ(ToUtf8(u"Рейтинги , \U0001F3AE"), "Рейтинги , \U0001F3AE");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD") << "a lone surrogate";
}

}  // namespace
}  // namespace fragtally
