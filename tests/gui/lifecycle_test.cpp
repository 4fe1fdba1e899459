// Start-up (Form_Load, Form_Activate) and shut-down (Form_Unload) of the window.

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>

#include "app/text/messages.h"
#include "gui_support.h"

namespace fragtally::testing {
namespace {

const Totals kAnn{"Ann", 1, {{{12, 30}, {0, 0}, {0, 0}, {5, 20}, {0, 0}, {4, 10}, {0, 0}, {0, 0}}}, 900, 700, 5, 3, 0, 5, 2};
const Totals kBob{"Bob", 0, {{{20, 50}, {3, 9}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, 400, 800, 2, 6, 1, 1, 3};

const std::string kStatsNotFoundMessage = std::string(kStatsNotFoundText) + kContactAddress;

QStringList Items(QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

class StartUpShutDown : public ::testing::Test {
 protected:
  QComboBox* Combo(const char* name) { return Control<QComboBox>(w.form, name); }
  std::filesystem::path StatsPath() const { return w.Basekrm() / "Stats.krm"; }
  std::filesystem::path SettingsPath() const { return w.Basekrm() / "mSetup.ini"; }
  WindowFixture w;
};

TEST_F(StartUpShutDown, FailedLoadKeepsWhatWasReadButSelectsNobody) {
  // A header line without room for a name ends the load after Ann's block.
  w.WriteStats(StatsFileOf({kAnn}) + "console: Stats for:\r\n" + StatsFileOf({kBob}));
  const auto design1 = LabelTexts(w.form, "Frame1");
  const auto design2 = LabelTexts(w.form, "Frame2");
  w.form.session().Load();

  ASSERT_EQ(w.sink.messages.size(), 1u);
  EXPECT_EQ(w.sink.messages[0].title, kStatsNotFoundTitle);
  EXPECT_EQ(w.sink.messages[0].text, kStatsNotFoundMessage);
  EXPECT_EQ(Items(Combo("Combo1")), QStringList{"Ann"});
  EXPECT_EQ(Items(Combo("Combo2")), QStringList{"Ann"});
  EXPECT_EQ(Combo("Combo1")->currentIndex(), -1);
  EXPECT_EQ(Combo("Combo2")->currentIndex(), -1);
  EXPECT_EQ(LabelTexts(w.form, "Frame1"), design1);
  EXPECT_EQ(LabelTexts(w.form, "Frame2"), design2);

  // Until the user picks a player.
  Combo("Combo2")->setCurrentIndex(0);
  EXPECT_EQ(LabelText(w.form, "Label74"), "Stats for Ann");
  EXPECT_EQ(LabelTexts(w.form, "Frame1"), design1);
}

TEST_F(StartUpShutDown, ReplacementPictureFillsBothPanelsStretched) {
  QImage red(100, 50, QImage::Format_RGB32);
  red.fill(Qt::red);
  std::filesystem::create_directories(w.Basekrm() / "custom");
  ASSERT_TRUE(red.save(QString::fromStdString((w.Basekrm() / "custom" / "stats.jpg").string()), "JPEG"));
  w.form.session().Load();
  for (const char* name : {"Image1", "Image2"}) {
    auto* picture = Control<QLabel>(w.form, name);
    EXPECT_EQ(picture->pixmap().size(), QSize(100, 50));
    EXPECT_TRUE(picture->hasScaledContents());
    EXPECT_EQ(picture->size(), QSize(240, 320));
    QRgb pixel = picture->grab().toImage().pixel(120, 160);
    EXPECT_GT(qRed(pixel), 200);
    EXPECT_LT(qGreen(pixel), 60);
  }
}

TEST_F(StartUpShutDown, BrokenReplacementPictureChangesNothingAndSaysNothing) {
  w.WriteStats(StatsFileOf({kAnn}));
  WriteFile(w.Basekrm() / "custom" / "stats.jpg", "this is no picture");
  const QImage built_in = Control<QLabel>(w.form, "Image1")->pixmap().toImage();
  w.form.session().Load();
  EXPECT_TRUE(w.sink.messages.empty());
  EXPECT_EQ(Control<QLabel>(w.form, "Image1")->pixmap().toImage(), built_in);
  EXPECT_EQ(Control<QLabel>(w.form, "Image2")->pixmap().toImage(), built_in);
  EXPECT_EQ(LabelText(w.form, "Label1"), "Stats for Ann");
}

// The window's activation reaches the presenter, which moves the caret to
// the end of the trace (Trace.CaretFollowsTheCoresCaret: Text2 follows).
TEST_F(StartUpShutDown, TheWindowsActivationReachesThePresenter) {
  w.WriteStats(StatsFileOf({kAnn, kBob}));
  w.form.session().Load();
  w.form.state().TraceCaret = 0;
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&w.form, &activate);
  EXPECT_EQ(w.form.state().TraceCaret, w.form.state().Trace.size());
}

TEST_F(StartUpShutDown, ASaveThatFailsIsReportedAndClosingGoesOn) {
  w.WriteStats(StatsFileOf({kAnn}));
  std::filesystem::create_directories(SettingsPath());  // a folder where the settings file belongs
  w.form.session().Load();
  w.form.show();
  EXPECT_TRUE(w.form.close());
  EXPECT_FALSE(w.form.isVisible());
  ASSERT_EQ(w.sink.messages.size(), 1u);
  EXPECT_EQ(w.sink.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(w.sink.messages[0].title, kSaveFailedTitle);
  EXPECT_EQ(w.sink.messages[0].text.rfind("Файл настроек не записан, прежний файл остался без изменений:\r\n" +
                                               SettingsPath().string() + "\r\nПричина: ",
                                           0),
            0u)
      << w.sink.messages[0].text;
  EXPECT_EQ(ReadFile(StatsPath()), StatsFileOf({kAnn}));
}

}  // namespace
}  // namespace fragtally::testing
