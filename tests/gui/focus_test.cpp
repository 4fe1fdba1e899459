// The keyboard focus: on the first tab stop once the window is active, back
// on the control that had it after a message box and after another window
// was active, and Space and Enter press the focused button.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/text/messages.h"
#include "gui_support.h"
#include "window/qt/qt_message_sink.h"

namespace fragtally::testing {
namespace {

// Shows each message as the program does, in a real modal box, which the
// user closes with Enter once it is up; records the titles.
class ModalBoxes : public MessageSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    titles.push_back(title);
    QTimer::singleShot(0, [] {
      if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
    });
    boxes_.ShowMessage(icon, title, text);
  }
  std::vector<std::string> titles;

 private:
  QtMessageSink boxes_;
};

class KeyboardFocus : public ::testing::Test {
 protected:
  KeyboardFocus() { std::filesystem::create_directories(dir.path() / "basekrm"); }

  static void Activate(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  QWidget* Focus() const { return QApplication::focusWidget(); }
  QWidget* Named(const char* name) const { return form.findChild<QWidget*>(QString::fromLatin1(name)); }
  // Tab until `name` has the focus; false when it never comes.
  bool TabTo(const char* name) {
    for (int i = 0; i < 8 && Focus() != Named(name); ++i) QTest::keyClick(Focus(), Qt::Key_Tab);
    return Focus() == Named(name);
  }

  TempDir dir;
  ModalBoxes boxes;
  Form1 form{boxes, QString::fromStdString(dir.str())};
};

TEST_F(KeyboardFocus, StartsOnTheFirstTabStopAndSpaceAndEnterPressTheFocusedButton) {
  form.session().Load();  // no statistics file: a box before the window, as at a first start
  ASSERT_EQ(boxes.titles.size(), 1u);
  Activate(form);
  EXPECT_EQ(Focus(), Named("Command1")) << "the import button comes first in the tab order";

  // Each key presses the focused button once: the import (the game's log is
  // missing), then, after tabbing, the ratings. The focus stays.
  const auto press = [&](Qt::Key key, const char* button, const char* expected_title) {
    const std::size_t before = boxes.titles.size();
    QTest::keyClick(Focus(), key);
    ASSERT_EQ(boxes.titles.size(), before + 1) << "key " << key;
    EXPECT_EQ(boxes.titles.back(), expected_title) << "key " << key;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Focus() == Named(button); })) << "key " << key;
  };
  press(Qt::Key_Return, "Command1", kLogNotFoundTitle);
  press(Qt::Key_Space, "Command1", kLogNotFoundTitle);
  ASSERT_TRUE(TabTo("Command2"));
  press(Qt::Key_Space, "Command2", kRatingsTitle);
  press(Qt::Key_Return, "Command2", kRatingsTitle);
  press(Qt::Key_Enter, "Command2", kRatingsTitle);  // the keypad's
  // Enter on a selector presses nothing.
  ASSERT_TRUE(TabTo("Combo1"));
  const std::size_t before = boxes.titles.size();
  QTest::keyClick(Focus(), Qt::Key_Return);
  EXPECT_EQ(boxes.titles.size(), before);
}

TEST_F(KeyboardFocus, ComesBackAfterAMessageBoxAndAfterAnotherWindowWasActive) {
  form.session().Load();
  Activate(form);
  ASSERT_TRUE(TabTo("Command2"));

  QTest::keyClick(Focus(), Qt::Key_Space);  // the ratings box, closed with Enter
  ASSERT_EQ(boxes.titles.size(), 2u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.isActiveWindow(); }));
  EXPECT_EQ(Focus(), Named("Command2"));

  QWidget other;
  QPushButton elsewhere(&other);
  Activate(other);
  elsewhere.setFocus();
  ASSERT_EQ(Focus(), &elsewhere);
  Activate(form);
  EXPECT_EQ(Focus(), Named("Command2"));
}

}  // namespace
}  // namespace fragtally::testing
