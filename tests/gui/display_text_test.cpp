// Byte strings from files become the text the window shows.

#include <QStringDecoder>

#include <gtest/gtest.h>

#include "window/display_text.h"

namespace fragtally {
namespace {

TEST(DisplayText, ValidUtf8IsShownAsUtf8) {
  EXPECT_EQ(DisplayText("Stats for Ёжик"), QString::fromUtf8("Stats for Ёжик"));
  EXPECT_EQ(DisplayText(""), QString());
  EXPECT_EQ(DisplayText("plain"), "plain");
}

TEST(DisplayText, AnythingElseIsWindows1251) {
  EXPECT_EQ(DisplayText("\xC3\xF0\xE0\xF7"), QString::fromUtf8("Грач"));
  EXPECT_EQ(DisplayText("\xA8\xE6"), QString::fromUtf8("Ёж"));
  // A UTF-8 lead byte without its continuation is not UTF-8.
  EXPECT_EQ(DisplayText("\xD0"), QString::fromUtf8("Р"));
  EXPECT_EQ(DisplayText("ab\xD0"), QString::fromUtf8("abР"));
}

TEST(DisplayText, OwnTableAgreesWithQtsConverter) {
  QStringDecoder codec("windows-1251");
  if (!codec.isValid()) GTEST_SKIP() << "this Qt has no windows-1251 converter";
  for (int byte = 0; byte < 256; ++byte) {
    if (byte == 0x98) continue;  // unassigned
    const char c = static_cast<char>(byte);
    QStringDecoder fresh("windows-1251");
    EXPECT_EQ(DecodeWindows1251ByTable(std::string_view(&c, 1)), fresh.decode(QByteArrayView(&c, 1))) << byte;
  }
}

TEST(DisplayText, TraceChunksAreDecodedLineByLineWithPlainLineEnds) {
  EXPECT_EQ(DisplayTraceChunk("Name=\xC3\xF0\xE0\xF7\r\nName=Ёж\r\nGames=3\r\n"),
            QString::fromUtf8("Name=Грач\nName=Ёж\nGames=3\n"));
  EXPECT_EQ(DisplayTraceChunk("a\rb\r\n"), QString("a\rb\n"));  // only CR before LF goes
  EXPECT_EQ(DisplayTraceChunk("tail"), QString("tail"));
  EXPECT_EQ(DisplayTraceChunk(""), QString());
}

}  // namespace
}  // namespace fragtally
