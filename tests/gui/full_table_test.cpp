// A statistics file with a full table: 9999 players.

#include <chrono>
#include <cstdio>

#include <QComboBox>
#include <QPlainTextEdit>

#include "gui_support.h"

namespace fragtally::testing {
namespace {

TEST(FullTable, NineThousandNineHundredNinetyNinePlayersLoadIntoBothSelectors) {
  WindowFixture w;
  std::string stats;
  stats.reserve(9999 * 480);
  for (int p = 1; p <= 9999; ++p) {
    Totals t;
    t.name = "Player" + std::to_string(p);
    t.weapons[0] = {p % 97, p % 97 + 100};
    t.kills = p;
    t.games = p % 20 + 1;
    stats += CrLf(StatsBlock(t));
  }
  w.WriteStats(stats);

  const auto start = std::chrono::steady_clock::now();
  w.form.session().Load();
  w.form.show();
  const auto loaded = std::chrono::steady_clock::now();
  std::printf("start-up with 9999 players: %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(loaded - start).count()));

  EXPECT_TRUE(w.sink.messages.empty());
  for (const char* name : {"Combo1", "Combo2"}) {
    auto* combo = Control<QComboBox>(w.form, name);
    ASSERT_EQ(combo->count(), 9999);
    EXPECT_EQ(combo->itemText(9998), "Player9999");
  }
  EXPECT_EQ(Control<QComboBox>(w.form, "Combo2")->currentIndex(), 1);
  EXPECT_EQ(LabelText(w.form, "Label74"), "Stats for Player2");

  // The last player can be picked like any other.
  Control<QComboBox>(w.form, "Combo1")->setCurrentIndex(9998);
  EXPECT_EQ(LabelText(w.form, "Label1"), "Stats for Player9999");
  EXPECT_EQ(LabelText(w.form, "Label3"), "9999");

  // The whole trace is there when asked for: a name line and 13 lines per player.
  EXPECT_EQ(w.form.SyncedText2()->document()->blockCount(), 9999 * 14 + 1);
}

}  // namespace
}  // namespace fragtally::testing
