// The keyboard focus, as the keyboard reaches the window (SendInput): on the
// first tab stop once the window is active, back on the control that had it
// after a message box and after the window was minimised and restored, and
// Space and Enter press the focused button.

#include "app/text/messages.h"
#include "window_support.h"

namespace fragtally::testing {
namespace {

class KeyboardFocus : public WindowTest {
 protected:
  // Tab until `name` has the focus; false when it never comes.
  bool TabTo(const char* name) {
    for (int i = 0; i < 8 && GetFocus() != Item(name); ++i) {
      PressKey(VK_TAB);
      Pump();
    }
    return GetFocus() == Item(name);
  }
};

TEST_F(KeyboardFocus, StartsOnTheFirstTabStopAndSpaceAndEnterPressTheFocusedButton) {
  Load();  // no statistics file: the start-up's message
  ShowActive();
  ASSERT_EQ(GetForegroundWindow(), main_);
  EXPECT_EQ(GetFocus(), Item("Command1")) << "the import button comes first in the tab order";

  // Each key presses the focused button once: the import (the game's log is
  // missing), then, after tabbing, the ratings.
  const auto press = [&](WORD key, const char* expected_title) {
    const std::size_t before = sink_.messages.size();
    PressKey(key);
    Pump();
    ASSERT_EQ(sink_.messages.size(), before + 1) << "key " << key;
    EXPECT_EQ(sink_.messages.back().title, expected_title) << "key " << key;
  };
  press(VK_RETURN, kLogNotFoundTitle);
  press(VK_SPACE, kLogNotFoundTitle);
  ASSERT_TRUE(TabTo("Command2"));
  press(VK_SPACE, kRatingsTitle);
  press(VK_RETURN, kRatingsTitle);
  // Enter on a selector presses nothing.
  ASSERT_TRUE(TabTo("Combo1"));
  const std::size_t before = sink_.messages.size();
  PressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(sink_.messages.size(), before);
}

TEST_F(KeyboardFocus, ComesBackAfterAMessageBoxAndAfterMinimiseAndRestore) {
  Load();
  ShowActive();
  ASSERT_TRUE(TabTo("Command2"));

  sink_.real_boxes = true;  // the ratings box, closed with Enter
  PressKey(VK_SPACE);
  Pump();
  ASSERT_EQ(sink_.messages.size(), 2u);
  Pump();
  EXPECT_EQ(GetForegroundWindow(), main_);
  EXPECT_EQ(GetFocus(), Item("Command2")) << "after the message box";

  SendMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Pump();
  ASSERT_TRUE(IsIconic(main_));
  SendMessageW(main_, WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  ASSERT_FALSE(IsIconic(main_));
  EXPECT_EQ(GetFocus(), Item("Command2")) << "after minimise and restore";
}

}  // namespace
}  // namespace fragtally::testing
