// The layout table both windows are built from: what must hold for any
// window built from it. The rendered geometry is checked by each window's
// own tests.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/main_window/layout.h"
#include "app/main_window/panels.h"

namespace fragtally {
namespace {

bool Inside(const TwipRect& inner, const TwipRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Left + inner.Width <= outer.Left + outer.Width &&
         inner.Top + inner.Height <= outer.Top + outer.Height;
}

TEST(Layout, EveryControlHasAUniqueNameAndTheIdItsNameGives) {
  std::set<std::string> names;
  std::set<int> ids;
  for (const ControlSpec& control : Form1Controls()) {
    EXPECT_TRUE(names.insert(control.Name).second) << control.Name;
    EXPECT_TRUE(ids.insert(control.ControlId).second) << control.Name;
    EXPECT_NE(control.ControlId, 0) << control.Name;
  }
  EXPECT_EQ(names.size(), 2u + 2 + 1 + 2 + 2 + 74) << "frames, buttons, Text2, selectors, pictures, labels";
  for (int n = 1; n <= 74; ++n) EXPECT_TRUE(names.count("Label" + std::to_string(n))) << n;
  EXPECT_EQ(ControlIdOf("Label74"), 1074);
  EXPECT_EQ(ControlIdOf("Combo2"), 2002);
  EXPECT_EQ(ControlIdOf("Command1"), 3001);
  EXPECT_EQ(ControlIdOf("Frame2"), 4002);
  EXPECT_EQ(ControlIdOf("Image1"), 5001);
  EXPECT_EQ(ControlIdOf("Text2"), 6002);
  EXPECT_EQ(ControlIdOf("Label"), 0);
  EXPECT_EQ(ControlIdOf("Label7x"), 0);
}

TEST(Layout, ControlsStayInsideTheirContainersAndLabelsOverThePicture) {
  const TwipRect client{0, 0, kClientWidthTwips, kClientHeightTwips};
  std::map<std::string, TwipRect> pictures;
  for (const ControlSpec& control : Form1Controls()) {
    if (control.Kind == ControlKind::PictureBox) pictures[control.Container] = control.Rect;
    const ControlSpec* container = FindControl(control.Container);
    const TwipRect bounds = container ? TwipRect{0, 0, container->Rect.Width, container->Rect.Height} : client;
    EXPECT_TRUE(Inside(control.Rect, bounds)) << control.Name;
  }
  for (const ControlSpec& control : Form1Controls()) {
    if (control.Kind != ControlKind::Label) continue;
    ASSERT_TRUE(pictures.count(control.Container)) << control.Name;
    EXPECT_TRUE(Inside(control.Rect, pictures[control.Container])) << control.Name << " is drawn over the picture";
    EXPECT_EQ(control.Font, FontKind::PanelLabel) << control.Name;
  }
}

TEST(Layout, EachPanelFillsEveryValueOnceAndInTheSamePlaces) {
  std::map<int, std::map<int, const ControlSpec*>> fills;  // panel -> fill -> control
  for (const ControlSpec& control : Form1Controls()) {
    if (control.Fill == kNone) continue;
    EXPECT_TRUE(fills[control.Panel].emplace(control.Fill, &control).second) << control.Name;
  }
  ASSERT_EQ(fills.size(), 2u);
  for (int fill = 0; fill < kPanelValueCount; ++fill) {
    ASSERT_TRUE(fills[1].count(fill) && fills[2].count(fill)) << fill;
    const ControlSpec& first = *fills[1][fill];
    const ControlSpec& second = *fills[2][fill];
    EXPECT_EQ(first.Rect.Left, second.Rect.Left) << first.Name << " / " << second.Name;
    EXPECT_EQ(first.Rect.Top, second.Rect.Top) << first.Name << " / " << second.Name;
  }
  const PanelLabels design = DesignPanelLabels();
  EXPECT_EQ(design[PanelValue::Title], "Stats for Morvel");
  EXPECT_EQ(design[PanelValue::FirstAccuracy], "100%");
}

TEST(Layout, TabOrderIsImportTraceSelectorsRatingsAndPlacesAreOnTheWindow) {
  std::string names;
  for (const ControlSpec* control : TabOrder()) names += std::string(control->Name) + " ";
  EXPECT_EQ(names, "Command1 Text2 Combo1 Combo2 Command2 ");

  // A panel's control lies where its frame is, moved by its own place.
  const TwipRect combo2 = WindowRect(*FindControl("Combo2"));
  EXPECT_EQ(combo2.Left, 4200 + 120);
  EXPECT_EQ(combo2.Top, 120 + 240);
  EXPECT_EQ(combo2.Width, 3615);
  const TwipRect command1 = WindowRect(*FindControl("Command1"));
  EXPECT_EQ(command1.Left, 4200);
  EXPECT_EQ(command1.Top, 5880);
}

}  // namespace
}  // namespace fragtally
