// The statistics line parser: column rules, number reading, rounding and the
// errors each malformed line raises.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "stats/numbers.h"
#include "stats/stats_line.h"
#include "test_support.h"

namespace fragtally {
namespace {

using testing::ParseLines;

using testing::RaisedKind;
using testing::StatsBlock;
using testing::Totals;

TEST(ReadNumber, IgnoresBlanksTabsAndLineFeedsAnywhere) {
  EXPECT_EQ(ReadNumber("123"), 123.0);
  EXPECT_EQ(ReadNumber(" 1 2\t3\n"), 123.0);
  EXPECT_EQ(ReadNumber("\t-\n7"), -7.0);
  EXPECT_EQ(ReadNumber("1 e 3"), 1000.0);
  EXPECT_EQ(ReadNumber("12\r"), 12.0);
  EXPECT_EQ(ReadNumber("\r12"), 0.0) << "a carriage return is not ignored";
}

TEST(ReadNumber, ReadsTheLeadingNumberOnly) {
  EXPECT_EQ(ReadNumber("45%"), 45.0);
  EXPECT_EQ(ReadNumber("7     Deaths: 9"), 7.0);
  EXPECT_EQ(ReadNumber("+8"), 8.0);
  EXPECT_EQ(ReadNumber("-.5"), -0.5);
  EXPECT_EQ(ReadNumber(".25x"), 0.25);
  EXPECT_EQ(ReadNumber("1.2.3"), 1.2);
  EXPECT_EQ(ReadNumber("2.5E2"), 250.0);
  EXPECT_EQ(ReadNumber("25e-1"), 2.5);
  EXPECT_EQ(ReadNumber("1e"), 1.0);
  EXPECT_EQ(ReadNumber("1e+"), 1.0);
  EXPECT_EQ(ReadNumber("1,5"), 1.0) << "only the point is a decimal point";
  EXPECT_EQ(ReadNumber("007"), 7.0);
  EXPECT_EQ(ReadNumber("0.000123"), 0.000123);
}

TEST(ReadNumber, AnythingElseReadsAsZero) {
  for (const char* field : {"", "   ", "abc", "+", "-", ".", "-.", "e5", "--5", "+-5", "%", "/"})
    EXPECT_EQ(ReadNumber(field), 0.0) << '"' << field << '"';
}

TEST(ReadNumber, RoundsLongNumbersCorrectlyAndRaisesOverflowBeyondADouble) {
  EXPECT_EQ(ReadNumber("0.1"), 0.1);
  EXPECT_EQ(ReadNumber("123456789012345678901234567890"), 123456789012345678901234567890.0);
  EXPECT_EQ(ReadNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ReadNumber("1e-400"), 0.0);
  EXPECT_EQ(ReadNumber("0e99999999999999999999"), 0.0);
  EXPECT_EQ(ReadNumber("9007199254740993"), 9007199254740992.0) << "ties go to even";
  EXPECT_EQ(ReadNumber(std::string(1000, '1') + "e-990"), ReadNumber("1.111111111111111111111e9"));
  EXPECT_EQ(RaisedKind([] { ReadNumber("1e400"); }), ErrorKind::Overflow);
  EXPECT_EQ(RaisedKind([] { ReadNumber("-1.8e308"); }), ErrorKind::Overflow);
  EXPECT_EQ(RaisedKind([] { ReadNumber(std::string(400, '9')); }), ErrorKind::Overflow);
}

TEST(NumberText, PlainDecimalAtEveryLength) {
  for (long long value : {0LL, 7LL, 9LL, 10LL, 99LL, 100LL, 101LL, 999LL, 1000LL, 65536LL, 2147483647LL,
                          -1LL, -10LL, -2147483648LL, 1000000000000000000LL, 9223372036854775807LL,
                          -9223372036854775807LL - 1}) {
    EXPECT_EQ(NumberText(value), std::to_string(value));
  }
  for (long long value = -100000; value <= 100000; value += 7) ASSERT_EQ(NumberText(value), std::to_string(value));
  // The counters' own writer, at every length and both ends of its range.
  const auto counter_text = [](std::int32_t value) {
    char text[kNumberTextMax];
    return std::string(text, WriteCounter(text, value));
  };
  for (std::int32_t value : {0, 9, 10, 99, 100, 9999, 10000, 10001, 99999999, 100000000, 999999999, 1000000000,
                             2147483647, -1, -10000, -2147483647 - 1})
    EXPECT_EQ(counter_text(value), std::to_string(value));
  for (std::int64_t value = -2147483648LL; value <= 2147483647LL; value += 999983)
    ASSERT_EQ(counter_text(static_cast<std::int32_t>(value)), std::to_string(value));
}

TEST(Cuts, NegativeLengthsAreInvalidArguments) {
  EXPECT_EQ(MidCut("abcdef", 2, 3), "bcd");
  EXPECT_EQ(MidCut("abc", 7, 2), "");
  EXPECT_EQ(MidCut("abc", 2), "bc");
  EXPECT_EQ(RightCut("abc", 5), "abc");
  EXPECT_EQ(RightCut("abc", 0), "");
  EXPECT_EQ(RaisedKind([] { MidCut("abc", 1, -1); }), ErrorKind::InvalidArgument);
  EXPECT_EQ(RaisedKind([] { MidCut("abc", 0, 1); }), ErrorKind::InvalidArgument);
  EXPECT_EQ(RaisedKind([] { RightCut("abc", -1); }), ErrorKind::InvalidArgument);
}

TEST(Rounding, TiesGoToEvenAndInt32LimitsHold) {
  std::int32_t counter = 0;
  AddToCounter(counter, 2.5);
  EXPECT_EQ(counter, 2);
  counter = 1;
  AddToCounter(counter, 2.5);
  EXPECT_EQ(counter, 4);
  counter = 0;
  AddToCounter(counter, -2.5);
  EXPECT_EQ(counter, -2);
  AddToCounter(counter, -1.5);
  EXPECT_EQ(counter, -4);

  counter = 2147483646;
  AddToCounter(counter, 1);
  EXPECT_EQ(counter, 2147483647);
  EXPECT_EQ(RaisedKind([&] { AddToCounter(counter, 1); }), ErrorKind::Overflow);
  EXPECT_EQ(counter, 2147483647) << "the counter keeps its value";
  AddToCounter(counter, 0.4);
  EXPECT_EQ(counter, 2147483647);
  EXPECT_EQ(RaisedKind([&] { AddToCounter(counter, 0.5); }), ErrorKind::Overflow) << "2147483647.5 rounds to 2^31";

  counter = -2147483647;
  AddToCounter(counter, -1);
  EXPECT_EQ(counter, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(RaisedKind([&] { AddToCounter(counter, -1); }), ErrorKind::Overflow);
  AddToCounter(counter, -0.5);
  EXPECT_EQ(counter, std::numeric_limits<std::int32_t>::min()) << "-2147483648.5 rounds to even";
}

class ParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = NewWindowState();
    state_->CurrentName = "Zed";
    FindOrAddPlayer(*state_);
    state_->Trace.clear();
  }
  WindowState& state() { return *state_; }
  PlayerTable& table() { return state_->Table; }
  void Parse(const std::string& line) { ParseLines(*state_, {line}); }
  std::optional<ErrorKind> ParseFails(const std::string& line) {
    return RaisedKind([&] { Parse(line); });
  }
  std::unique_ptr<WindowState> state_;
};

TEST_F(ParserTest, StatisticsFileLayoutAddsEveryCounterAndTracesTheTotals) {
  const Totals zed{.name = "Zed", .gauntlet = 4,
                   .weapons = {{{120, 480}, {1, 8}, {0, 0}, {3, 8}, {5, 7}, {9, 40}, {11, 12}, {2, 3}}},
                   .damage_given = 1530, .damage_received = 1720, .kills = 7, .deaths = 9, .suicides = 1, .frags = 6,
                   .games = 2};
  ParseLines(state(), StatsBlock(zed));  // the header and the terminator are no statistics lines
  const PlayerTable& t = table();
  EXPECT_EQ(t.Gauntlet[1], 4);
  EXPECT_EQ(t.MachinegunHits[1], 120);
  EXPECT_EQ(t.MachinegunShots[1], 480);
  EXPECT_EQ(t.ShotgunHits[1], 1);
  EXPECT_EQ(t.ShotgunShots[1], 8);
  EXPECT_EQ(t.RocketHits[1], 3);
  EXPECT_EQ(t.ShaftHits[1], 5);
  EXPECT_EQ(t.ShaftShots[1], 7);
  EXPECT_EQ(t.RailgunShots[1], 40);
  EXPECT_EQ(t.PlasmaHits[1], 11);
  EXPECT_EQ(t.BfgShots[1], 3);
  EXPECT_EQ(t.DamageGiven[1], 1530);
  EXPECT_EQ(t.DamageReceived[1], 1720);
  EXPECT_EQ(t.Kills[1], 7);
  EXPECT_EQ(t.Deaths[1], 9);
  EXPECT_EQ(t.Suicides[1], 1);
  EXPECT_EQ(t.Frags[1], 6);
  EXPECT_EQ(t.GamesPlayed[1], 2);
  EXPECT_EQ(state().Trace,
            "Gaunlet=4\r\nMachinegun=120/480\r\nShotgun=1/8\r\nGrenade=0/0\r\nRocket=3/8\r\nShaft=5/7\r\n"
            "Railgun=9/40\r\nPlasma=11/12\r\nBFG=2/3\r\nDmgGiv=1530\r\nDmgRec=1720\r\n"
            "Kills=7 Deaths=9 Suicides=1 Frags=6\r\nGames=2\r\n");
}

TEST_F(ParserTest, TraceShowsRunningTotalsNotTheLine) {
  Parse("console: Machinegun:   12/30     40%");
  Parse("console: Machinegun:   3/10     30%");
  Parse("console: Dmggiven: -5");
  EXPECT_EQ(state().Trace, "Machinegun=12/30\r\nMachinegun=15/40\r\nDmgGiv=-5\r\n");
}

TEST_F(ParserTest, OtherLinesChangeNothing) {
  for (const char* line : {"console:  ", "console: Stats for: Bob", "", "console: machinegun:   1/2 ",
                           "console: Machinegun", "Console: Gauntlet:   5", " console: Gauntlet:   5",
                           "console: Kills", "some chatter"}) {
    Parse(line);
  }
  EXPECT_EQ(state().Trace, "");
  EXPECT_EQ(table().MachinegunShots[1], 0);
  EXPECT_EQ(table().Gauntlet[1], 0);
}

TEST_F(ParserTest, WeaponColumnsDecideWhatIsRead) {
  Parse("console: Machinegun: 12/30     40%");  // one blank: the hits field starts at the "/"
  EXPECT_EQ(table().MachinegunHits[1], 0);
  EXPECT_EQ(table().MachinegunShots[1], 30);
  Parse("console: Machinegun:     7/10 junk");  // extra blanks are ignored by the number reading
  EXPECT_EQ(table().MachinegunHits[1], 7);
  EXPECT_EQ(table().MachinegunShots[1], 40);
  Parse("console: BFG:   x/y ");  // letters read as 0, the trace line still comes
  EXPECT_EQ(state().Trace.substr(state().Trace.size() - 9), "BFG=0/0\r\n");
  Parse("console: Railgun:   2.5/3.5 ");  // rounded on the total, ties to even
  EXPECT_EQ(table().RailgunHits[1], 2);
  EXPECT_EQ(table().RailgunShots[1], 4);
  Parse("console: Railgun:   1/0.5 ");
  EXPECT_EQ(table().RailgunHits[1], 3);
  EXPECT_EQ(table().RailgunShots[1], 4) << "4.5 rounds to 4";
}

TEST_F(ParserTest, WeaponLineErrors) {
  EXPECT_EQ(ParseFails("console: Shotgun:   5 of 9"), ErrorKind::InvalidArgument);
  EXPECT_EQ(table().ShotgunHits[1], 0) << "nothing stored without a slash";
  EXPECT_EQ(ParseFails("console: Shotgun:/  5/9 "), ErrorKind::InvalidArgument) << "first slash before the start";
  EXPECT_EQ(table().ShotgunHits[1], 0);
  EXPECT_EQ(ParseFails("console: Shotgun:   5/9"), ErrorKind::InvalidArgument) << "no blank after the slash";
  EXPECT_EQ(table().ShotgunHits[1], 5) << "the hits stay added";
  EXPECT_EQ(table().ShotgunShots[1], 0);
  EXPECT_EQ(state().Trace, "") << "a failing line appends no trace line";
}

TEST_F(ParserTest, OneNumberLinesAndTheirShortForms) {
  Parse("console: Gauntlet:   ");  // 21 characters: empty field
  EXPECT_EQ(table().Gauntlet[1], 0);
  EXPECT_EQ(state().Trace, "Gaunlet=0\r\n");
  EXPECT_EQ(ParseFails("console: Gauntlet:  "), ErrorKind::InvalidArgument);
  EXPECT_EQ(ParseFails("console: Gauntlet: "), ErrorKind::InvalidArgument);
  EXPECT_EQ(ParseFails("console: Gauntlet:"), ErrorKind::InvalidArgument);
  Parse("console: Gauntlet:12345");  // the columns skip the first three characters
  EXPECT_EQ(table().Gauntlet[1], 45);
  Parse("console: Dmggiven: ");  // 19 characters: empty field
  EXPECT_EQ(table().DamageGiven[1], 0);
}

TEST_F(ParserTest, BareDamageAndGamesPrefixesFail) {
  EXPECT_EQ(ParseFails("console: Dmgrecvd:"), ErrorKind::InvalidArgument);
  EXPECT_EQ(ParseFails("console: games played:"), ErrorKind::InvalidArgument);
  Parse("console: Dmgrecvd: ");
  Parse("console: games played: ");
  EXPECT_EQ(table().GamesPlayed[1], 0) << "an empty games field sets 0";
}

TEST_F(ParserTest, GamesLineSetsInsteadOfAdding) {
  EXPECT_EQ(table().GamesPlayed[1], 1);
  Parse("console: games played: 7");
  EXPECT_EQ(table().GamesPlayed[1], 7);
  Parse("console: games played: 2.5");
  EXPECT_EQ(table().GamesPlayed[1], 2);
  EXPECT_EQ(ParseFails("console: games played: 2147483648"), ErrorKind::Overflow);
  EXPECT_EQ(table().GamesPlayed[1], 2);
}

TEST_F(ParserTest, KillsRuleCountsFieldWidthsNotWords) {
  Parse("console: Kills: 7     Deaths: 9     Suicides: 1     Frags: 6");
  Parse("console: Kills: 1     abcdef: 2     xxxxxxxx: 3     yyyyy: 4");
  EXPECT_EQ(table().Kills[1], 8);
  EXPECT_EQ(table().Deaths[1], 11);
  EXPECT_EQ(table().Suicides[1], 4);
  EXPECT_EQ(table().Frags[1], 10);
  Parse("console: Kills:  7     Deaths: 9     Suicides: 1     Frags: 6");  // extra blank empties kills
  EXPECT_EQ(table().Kills[1], 8);
  Parse("console: Kills: 10     Deaths: -3     Suicides: 0     Frags: 1234");
  EXPECT_EQ(table().Kills[1], 18);
  EXPECT_EQ(table().Deaths[1], 8);
  EXPECT_EQ(table().Frags[1], 1244);
  EXPECT_EQ(state().KillsFieldPos, 62) << "the start of the last frags field";
}

TEST_F(ParserTest, KillsLineErrorsKeepTheFieldsBefore) {
  EXPECT_EQ(ParseFails("console: Kills: 7"), ErrorKind::InvalidArgument);
  EXPECT_EQ(table().Kills[1], 0);
  EXPECT_EQ(ParseFails("console: Kills:"), ErrorKind::InvalidArgument);
  EXPECT_EQ(ParseFails("console: Kills: 7     Deaths: 9"), ErrorKind::InvalidArgument);
  EXPECT_EQ(table().Kills[1], 7);
  EXPECT_EQ(table().Deaths[1], 0);
  EXPECT_EQ(ParseFails("console: Kills: 1     Deaths: 2     Suicides: 3"), ErrorKind::InvalidArgument);
  EXPECT_EQ(table().Kills[1], 8);
  EXPECT_EQ(table().Deaths[1], 2);
  EXPECT_EQ(table().Suicides[1], 0);
  EXPECT_EQ(state().Trace, "");
}

TEST_F(ParserTest, KillsFieldBeyond32767Overflows) {
  std::string line = "console: Kills: " + std::string(32760, '1') + " x";
  EXPECT_EQ(ParseFails(line), ErrorKind::Overflow);
}

TEST_F(ParserTest, CountersNeverWrap) {
  Parse("console: Dmggiven: 2147483647");
  EXPECT_EQ(ParseFails("console: Dmggiven: 1"), ErrorKind::Overflow);
  EXPECT_EQ(table().DamageGiven[1], 2147483647);
  EXPECT_EQ(ParseFails("console: Dmgrecvd: 1e999"), ErrorKind::Overflow);
}

TEST_F(ParserTest, NeedsAValidCurrentPlayer) {
  state().CurrentPlayer = 0;
  EXPECT_EQ(ParseFails("console: Dmggiven: 1"), ErrorKind::SubscriptOutOfRange);
  Parse("chatter");  // unrecognised lines never touch the table
  state().CurrentPlayer = 9999;
  Parse("console: Dmggiven: 1");
  EXPECT_EQ(table().DamageGiven[9999], 1);
}

}  // namespace
}  // namespace fragtally
