// The program's own Windows-1251 table against Qt's converter.

#include <QStringDecoder>

#include <gtest/gtest.h>

#include "app/text/text_decoding.h"

namespace fragtally {
namespace {

TEST(DisplayText, OwnTableAgreesWithQtsConverter) {
  QStringDecoder codec("windows-1251");
  if (!codec.isValid()) GTEST_SKIP() << "this Qt has no windows-1251 converter";
  for (int byte = 0; byte < 256; ++byte) {
    if (byte == 0x98) continue;  // unassigned
    const char c = static_cast<char>(byte);
    QStringDecoder fresh("windows-1251");
    EXPECT_EQ(QString::fromStdU16String(DecodeWindows1251(std::string_view(&c, 1))),
              fresh.decode(QByteArrayView(&c, 1)))
        << byte;
  }
}

}  // namespace
}  // namespace fragtally
