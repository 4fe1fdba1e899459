// The ratings report.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "stats/stats_line.h"
#include "test_support.h"
#include "app/main_window/commands.h"
#include "app/main_window/panels.h"
#include "app/main_window/ratings.h"

namespace fragtally {
namespace {

class RatingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Alpha", "Bravo"}) {
      state_->CurrentName = name;
      FindOrAddPlayer(*state_);
    }
    Set(1, 31, 18, 5400, 4750, 4);
    Set(2, 10, 17, 2000, 2600, 3);
    first_ = Input(0, "Alpha", {"45%", "30%", "0%", "12%", "25%", "50%", "0%", "0%"});
    second_ = Input(1, "Bravo", {"60%", "0%", "0%", "35%", "0%", "41%", "0%", "0%"});
  }
  void Set(int slot, int frags, int deaths, int given, int received, int games) {
    PlayerTable& t = state_->Table;
    t.Frags[slot] = frags, t.Deaths[slot] = deaths, t.DamageGiven[slot] = given;
    t.DamageReceived[slot] = received, t.GamesPlayed[slot] = games;
  }
  static RatingsInput Input(std::optional<int> position, const std::string& text, std::array<std::string, 8> captions) {
    return RatingsInput{position, text, captions};
  }
  std::string Report(const std::string& separator = ",") {
    return BuildRatingsReport(state_->Table, first_, second_, separator);
  }
  std::string FragRating(int frags, int deaths, int games) {
    Set(1, frags, deaths, 0, 0, games);
    std::string report = Report();
    std::string label = "Рейтинг фрагов: ";
    std::size_t at = report.find(label);
    return at == std::string::npos ? "<empty>" : report.substr(at + label.size(), report.find("\r\n", at) - at - label.size());
  }
  std::unique_ptr<WindowState> state_ = NewForm1State("");
  RatingsInput first_, second_;
};

const char* kWorkedExample =
    "Рейтинги первого игрока:\r\n"
    "\r\n"
    "Alpha\r\n"
    "Рейтинг фрагов: 3,25\r\n"
    "Рейтинг повреждений: 162,5\r\n"
    "Рейтинг точности: 20\r\n"
    "Количество игр: 4\r\n"
    "\r\n"
    "================================          \r\n"
    "\r\n"
    "Рейтинги второго игрока:\r\n"
    "\r\n"
    "Bravo\r\n"
    "Рейтинг фрагов: -2,33333333333333\r\n"
    "Рейтинг повреждений: -200\r\n"
    "Рейтинг точности: 17\r\n"
    "Количество игр: 3";

TEST_F(RatingsTest, WorkedExampleUnderRussianAndEnglishSettings) {
  EXPECT_EQ(Report(","), kWorkedExample);
  std::string english = kWorkedExample;
  for (auto [from, to] : {std::pair{"3,25", "3.25"}, std::pair{"162,5", "162.5"},
                          std::pair{"-2,33333333333333", "-2.33333333333333"}})
    english.replace(english.find(from), std::string(from).size(), to);
  EXPECT_EQ(Report("."), english);
}

TEST_F(RatingsTest, QuotientsAndTheirForms) {
  EXPECT_EQ(FragRating(12, 0, 4), "3");
  EXPECT_EQ(FragRating(2, 0, 4), "0,5");
  EXPECT_EQ(FragRating(2, 4, 4), "-0,5");
  EXPECT_EQ(FragRating(10, 0, 3), "3,33333333333333");
  EXPECT_EQ(FragRating(1, 0, 20000), "5E-05");
  EXPECT_EQ(FragRating(5, 5, -2), "0");
  EXPECT_EQ(FragRating(2147483647, -2147483647 - 1 + 1, 1), "<empty>") << "difference beyond 32 bits";
  EXPECT_EQ(FragRating(-2147483647 - 1, 0, 1), "-2147483648");
}

TEST_F(RatingsTest, AccuracyAveragesTheCaptionsRoundedDown) {
  first_.AccuracyCaptions = {"10%", "10%", "10%", "10%", "10%", "10%", "3%", "0%"};  // 63 / 8
  EXPECT_NE(Report().find("Рейтинг точности: 7\r\n"), std::string::npos);
  first_.AccuracyCaptions.fill("100%");  // a panel never filled
  EXPECT_NE(Report().find("Рейтинг точности: 100\r\n"), std::string::npos);
  first_.AccuracyCaptions = {"n/a", "16%", "0%", "0%", "0%", "0%", "0%", "0%"};
  EXPECT_NE(Report().find("Рейтинг точности: 2\r\n"), std::string::npos);
  first_.AccuracyCaptions = {"-9%", "0%", "0%", "0%", "0%", "0%", "0%", "0%"};
  EXPECT_NE(Report().find("Рейтинг точности: -2\r\n"), std::string::npos) << "rounded towards minus infinity";
}

TEST_F(RatingsTest, AnyFailureEmptiesTheWholeReport) {
  Set(2, 10, 17, 2000, 2600, 0);  // no games: division by zero
  EXPECT_EQ(Report(), "");
  Set(2, 0, 0, 0, 0, 0);
  EXPECT_EQ(Report(), "") << "a zero difference over zero games fails too";
  Set(2, 10, 17, 2000, 2600, 3);
  first_.SelectedPosition.reset();
  EXPECT_EQ(Report(), "");
  first_.SelectedPosition = 9999;
  EXPECT_EQ(Report(), "");
  first_.SelectedPosition = 0;
  first_.AccuracyCaptions[0] = "1e999%";
  EXPECT_EQ(Report(), "");
  first_.AccuracyCaptions[1] = "1e308%";
  first_.AccuracyCaptions[0] = "1e308%";
  EXPECT_EQ(Report(), "") << "the sum overflows";
  first_.AccuracyCaptions[0] = "1e307%";
  EXPECT_NE(Report().find("Рейтинг точности: 1,375E+307\r\n"), std::string::npos);
}

TEST_F(RatingsTest, NameLineIsTheDisplayedTextAndBothHalvesCanBeOnePlayer) {
  second_ = first_;
  second_.DisplayedText = "shown text";
  std::string report = Report();
  EXPECT_NE(report.find("\r\nshown text\r\nРейтинг фрагов: 3,25\r\n"), std::string::npos);
  EXPECT_TRUE(report.ends_with("\r\nКоличество игр: 4"));
}

TEST_F(RatingsTest, GatherReadsTheSelectorAndTheAccuracyLabels) {
  SelectEntry(*state_, Panel::First, 0);
  RatingsInput input = GatherRatingsInput(state_->Table, state_->Combo1, state_->Panel1);
  EXPECT_EQ(input.SelectedPosition, 0);
  EXPECT_EQ(input.DisplayedText, "Alpha");
  EXPECT_EQ(input.AccuracyCaptions[0], state_->Panel1[PanelValue::FirstAccuracy]);
  RatingsInput none = GatherRatingsInput(state_->Table, state_->Combo2, state_->Panel2);
  EXPECT_FALSE(none.SelectedPosition);
  EXPECT_EQ(none.DisplayedText, "");
  EXPECT_EQ(none.AccuracyCaptions[7], "100%");
}

}  // namespace
}  // namespace fragtally
