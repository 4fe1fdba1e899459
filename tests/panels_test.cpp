// Panel texts: accuracy percentages and the fill with its failure rules.
#include <gtest/gtest.h>

#include "stats/stats_line.h"
#include "test_support.h"
#include "app/main_window/commands.h"
#include "app/main_window/panels.h"

namespace fragtally {
namespace {

TEST(AccuracyText, RoundsHalfToEvenOnTheDoubleProduct) {
  const struct {
    int hits, shots;
    const char* text;
  } cases[] = {
      {5, 0, "0%"},      {5, -3, "0%"},      {0, 10, "0%"},       {1, 8, "12%"},   {3, 8, "38%"},
      {1, 40, "2%"},     {3, 40, "8%"},      {5, 200, "2%"},      {199, 200, "100%"}, {23, 40, "57%"},
      {109, 200, "55%"}, {1, 3, "33%"},      {2, 3, "67%"},       {123, 456, "27%"}, {3, 2, "150%"},
      {327, 1, "32700%"}, {-1, 2, "-50%"},   {-1, 300, "0%"},     {-327, 1, "-32700%"},
  };
  for (const auto& c : cases) EXPECT_EQ(AccuracyText(c.hits, c.shots), c.text) << c.hits << "/" << c.shots;
  for (auto [hits, shots] : {std::pair{328, 1}, std::pair{-328, 1}, std::pair{2147483647, 1}}) {
    try {
      AccuracyText(hits, shots);
      ADD_FAILURE() << hits;
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), ErrorKind::Overflow);
    }
  }
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Ann", "Bob"}) {
      state_->CurrentName = name;
      FindOrAddPlayer(*state_);
    }
    PlayerTable& t = state_->Table;
    t.Gauntlet[1] = 4;
    t.MachinegunHits[1] = 1, t.MachinegunShots[1] = 8;
    t.ShotgunHits[1] = 5, t.ShotgunShots[1] = 0;
    t.RailgunHits[1] = 23, t.RailgunShots[1] = 40;
    t.DamageGiven[1] = 1234567, t.DamageReceived[1] = -9;
    t.Kills[1] = -5, t.Deaths[1] = 2, t.Suicides[1] = 1, t.Frags[1] = 7;
  }
  std::unique_ptr<WindowState> state_ = NewForm1State("");
};

TEST_F(PanelTest, FillGivesAllTextsInOrder) {
  PanelFill fill = FillPlayerPanel(state_->Table, 0);
  EXPECT_FALSE(fill.Failure);
  std::vector<std::string> expected = {"Stats for Ann", "4", "1/8", "5/0", "0/0", "0/0", "0/0", "23/40", "0/0", "0/0",
                                       "12%", "0%", "0%", "0%", "0%", "57%", "0%", "0%",
                                       "1234567", "-9", "-5", "2", "1", "7"};
  EXPECT_EQ(fill.Texts, expected);
}

TEST_F(PanelTest, EmptySlotFillsZeros) {
  PanelFill fill = FillPlayerPanel(state_->Table, 9998);
  ASSERT_EQ(fill.Texts.size(), 24u);
  EXPECT_EQ(fill.Texts[0], "Stats for ");
  EXPECT_EQ(fill.Texts[5], "0/0");
  EXPECT_EQ(fill.Texts[12], "0%");
  EXPECT_EQ(fill.Texts[23], "0");
}

TEST_F(PanelTest, NoSelectionChangesNothing) {
  for (int position : {-1, 9999}) {
    PanelFill fill = FillPlayerPanel(state_->Table, position);
    EXPECT_TRUE(fill.Texts.empty());
    EXPECT_EQ(fill.Failure, ErrorKind::SubscriptOutOfRange);
  }
  EXPECT_THROW(Combo1_Click(*state_), Error);
  EXPECT_EQ(state_->Panel1, DesignPanelLabels());
}

TEST_F(PanelTest, AccuracyOverflowStopsAtThatLabel) {
  state_->Table.RocketHits[2] = 328;
  state_->Table.RocketShots[2] = 1;
  state_->Table.Kills[2] = 3;
  EXPECT_THROW(SelectEntry(*state_, Panel::Second, 1), Error);
  const PanelLabels& labels = state_->Panel2;
  EXPECT_EQ(labels[0], "Stats for Bob");
  EXPECT_EQ(labels[5], "328/1");
  EXPECT_EQ(labels[12], "0%") << "grenade accuracy comes before rocket";
  EXPECT_EQ(labels[13], "100%") << "rocket accuracy keeps its text";
  EXPECT_EQ(labels[20], "123456") << "kills keep their text";
  EXPECT_EQ(state_->Panel1, DesignPanelLabels()) << "the other panel is untouched";
}

TEST_F(PanelTest, SelectingRunsTheClickOnlyOnChange) {
  SelectEntry(*state_, Panel::First, 1);
  EXPECT_EQ(state_->Panel1[0], "Stats for Bob");
  state_->Panel1[0] = "marked";
  SelectEntry(*state_, Panel::First, 1);
  EXPECT_EQ(state_->Panel1[0], "marked");
  EXPECT_THROW(SelectEntry(*state_, Panel::First, 2), Error) << "no such entry";
  EXPECT_EQ(state_->Panel2, DesignPanelLabels());
}

}  // namespace
}  // namespace fragtally
