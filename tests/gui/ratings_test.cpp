// The ratings button: what it reads from the window and the box it shows.

#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "app/text/messages.h"
#include "gui_support.h"

namespace fragtally::testing {
namespace {

// The two players of the worked example: Alpha's accuracy labels read 45%,
// 30%, 0%, 12%, 25%, 50%, 0%, 0%; Bravo's 60%, 0%, 0%, 35%, 0%, 41%, 0%, 0%.
const Totals kAlpha{"Alpha", 0, {{{45, 100}, {30, 100}, {0, 0}, {12, 100}, {25, 100}, {50, 100}, {0, 0}, {0, 0}}},
                    5400, 4750, 31, 18, 0, 31, 4};
const Totals kBravo{"Bravo", 0, {{{60, 100}, {0, 0}, {0, 0}, {35, 100}, {0, 0}, {41, 100}, {0, 0}, {0, 0}}},
                    2000, 2600, 10, 17, 0, 10, 3};

std::string WorkedExample(const std::string& separator) {
  return "Рейтинги первого игрока:\r\n\r\nAlpha\r\nРейтинг фрагов: 3" + separator +
         "25\r\nРейтинг повреждений: 162" + separator +
         "5\r\nРейтинг точности: 20\r\nКоличество игр: 4\r\n\r\n================================          \r\n\r\n"
         "Рейтинги второго игрока:\r\n\r\nBravo\r\nРейтинг фрагов: -2" +
         separator + "33333333333333\r\nРейтинг повреждений: -200\r\nРейтинг точности: 17\r\nКоличество игр: 3";
}

class Ratings : public ::testing::Test {
 protected:
  void Press() {
    w.form.show();
    QTest::mouseClick(Control<QPushButton>(w.form, "Command2"), Qt::LeftButton);
  }
  WindowFixture w;
};

// CTest runs this once more under a Russian and an English locale (LC_ALL),
// each with the separator it must produce in FRAGTALLY_EXPECTED_DECIMAL.
TEST_F(Ratings, WorkedExampleUsesTheUsersDecimalSeparator) {
  QString separator = qEnvironmentVariable("FRAGTALLY_EXPECTED_DECIMAL");
  if (separator.isEmpty()) separator = QLocale::system().decimalPoint();
  w.WriteStats(StatsFileOf({kAlpha, kBravo}));
  w.form.session().Load();
  ASSERT_EQ(LabelText(w.form, "Label23"), "45%");
  Press();
  ASSERT_EQ(w.sink.messages.size(), 1u);
  EXPECT_EQ(w.sink.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(w.sink.messages[0].title, "Рейтинги игроков");
  EXPECT_EQ(w.sink.messages[0].text, WorkedExample(separator.toStdString()));
}

}  // namespace
}  // namespace fragtally::testing
