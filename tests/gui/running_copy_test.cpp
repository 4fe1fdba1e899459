// One copy per game folder: a later start reaches the running copy, which
// comes to the front (in-process, through the same local server the program
// uses), and two real starts of the program in one game folder.

#include <chrono>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "gui_support.h"
#include "platform/platform.h"
#include "window/qt/running_copy.h"

namespace fragtally::testing {
namespace {

// A name no other test or program uses.
std::string TestInstanceName(const TempDir& dir) { return platform::InstanceName(dir.str()) + "-test"; }

void Activate(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(RunningCopy, ALaterStartBringsTheMinimisedWindowToTheFrontWithoutWaitingForIt) {
  WindowFixture w;
  RunningCopy running(TestInstanceName(w.dir), w.form);
  ASSERT_TRUE(running.listening());
  int served = 0;
  QObject::connect(&running, &RunningCopy::broughtToFront, [&] { ++served; });
  w.form.show();
  w.form.showMinimized();
  QWidget other;
  Activate(other);

  // The running copy is this thread, which handles nothing while it asks:
  // as busy as a copy can be. The request is delivered all the same.
  QElapsedTimer asking;
  asking.start();
  EXPECT_TRUE(AskRunningCopyToShow(TestInstanceName(w.dir), 5000));
  EXPECT_LT(asking.elapsed(), 1000);
  EXPECT_EQ(served, 0);

  EXPECT_TRUE(QTest::qWaitFor([&] { return served == 1 && w.form.isActiveWindow(); }));
  EXPECT_FALSE(w.form.isMinimized());
  EXPECT_EQ(served, 1);
}

TEST(RunningCopy, WhileAMessageBoxIsUpTheBoxComesToTheFront) {
  WindowFixture w;
  RunningCopy running(TestInstanceName(w.dir), w.form);
  Activate(w.form);
  QWidget other;
  QMessageBox box(QMessageBox::Information, "Fragtally", "", QMessageBox::Ok, &w.form);
  bool delivered = false, box_active = false;
  QTimer::singleShot(0, [&] {
    Activate(other);
    delivered = AskRunningCopyToShow(TestInstanceName(w.dir), 5000);
    box_active = QTest::qWaitFor([&] { return box.isActiveWindow(); });
    box.accept();
  });
  box.exec();
  EXPECT_TRUE(delivered);
  EXPECT_TRUE(box_active);
}

TEST(RunningCopy, NoRunningCopyAnswersUnderAnotherName) {
  TempDir dir;
  QElapsedTimer asking;
  asking.start();
  EXPECT_FALSE(AskRunningCopyToShow(TestInstanceName(dir), 300));
  EXPECT_LT(asking.elapsed(), 3000);
}

// --- two real starts ---------------------------------------------------------------------

// The program, copied into a game folder of its own (its folder is the game
// folder), started offscreen, saying what it does about other starts.
class TwoStarts : public ::testing::Test {
 protected:
  TwoStarts() {
    std::filesystem::create_directories(Basekrm());
    std::filesystem::copy_file(FRAGTALLY_PROGRAM, Program());
    std::filesystem::permissions(Program(), std::filesystem::perms::owner_all);
  }
  ~TwoStarts() override {
    for (QProcess* start : {&first, &second}) {
      if (start->state() != QProcess::NotRunning) {
        start->kill();
        start->waitForFinished(5000);
      }
    }
  }

  std::filesystem::path Game() const { return std::filesystem::canonical(dir.path()); }
  std::filesystem::path Basekrm() const { return dir.path() / "basekrm"; }
  std::filesystem::path Program() const { return dir.path() / "fragtally"; }

  void Start(QProcess& process) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("FRAGTALLY_PRINT_RUNNING_COPY", "1");
    environment.remove("FRAGTALLY_EXIT_WHEN_SHOWN");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(Game().string()));
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QString::fromStdString(Program().string()), {});
    ASSERT_TRUE(process.waitForStarted(10000));
  }
  // Waits until the process wrote `line` on its standard error output.
  static bool Said(QProcess& process, QByteArray& said, const char* line, int timeout_ms) {
    QElapsedTimer waited;
    waited.start();
    while (!said.contains(line)) {
      if (waited.elapsed() > timeout_ms || process.state() == QProcess::NotRunning) return false;
      process.waitForReadyRead(100);
      said += process.readAllStandardError();
    }
    return true;
  }
  // The files of basekrm/ and their bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(Basekrm()))
      files[entry.path().filename().string()] = ReadFile(entry.path());
    return files;
  }

  TempDir dir;
  QProcess first, second;
  QByteArray first_said, second_said;
};

TEST_F(TwoStarts, TheSecondStartBringsTheFirstToTheFrontAndEndsTouchingNoFile) {
  // A statistics file that cannot be read: the first start's message box is
  // up when the second start comes.
  WriteFile(Basekrm() / "Stats.krm", "console: Stats for:\r\n");
  WriteFile(Basekrm() / "mSetup.ini", "basekrm\\LOG.txt\r\n\r\n");

  Start(first);
  ASSERT_TRUE(Said(first, first_said, "listening for later starts", 20000)) << first_said.toStdString();
  const auto before = Files();  // with whatever the first start's lock keeps there

  // The lock itself is the platform layer's. Until it is in place, a second
  // lock on a held folder succeeds, and a second start would run as well.
  if (platform::LockGameFolder(Game().string()) != nullptr)
    GTEST_SKIP() << "the game folder's lock is not in place: a second lock on a held folder was given";

  QElapsedTimer starting;
  starting.start();
  Start(second);
  ASSERT_TRUE(second.waitForFinished(15000)) << "the second start still runs";
  second_said = second.readAllStandardError();
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_LT(starting.elapsed(), 10000);
  EXPECT_TRUE(second_said.contains("asked the running copy to come to the front")) << second_said.toStdString();

  EXPECT_TRUE(Said(first, first_said, "brought to the front by a later start", 10000)) << first_said.toStdString();
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_EQ(Files(), before) << "the second start wrote nothing";
}

}  // namespace
}  // namespace fragtally::testing
