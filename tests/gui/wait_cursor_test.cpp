// The wait cursor: on while the start-up load and an import read their
// files, the ordinary cursor while a message box is up, and gone afterwards
// on every way out.

#include <QApplication>
#include <QCursor>

#include "gui_support.h"
#include "memory_file_system.h"
#include "pass_through_file_system.h"

namespace fragtally::testing {
namespace {

// The cursor the program shows now.
Qt::CursorShape Shown() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// The disk as it is, noting the cursor whenever a file is opened.
class WatchingFiles : public PassThroughFileSystem {
 public:
  std::unique_ptr<platform::InputFile> OpenForReading(const std::string& path, platform::FileFailure* failure) override {
    seen.push_back(Shown());
    return PassThroughFileSystem::OpenForReading(path, failure);
  }
  std::vector<Qt::CursorShape> seen;
};

// Notes the cursor when a message box would come up.
class CursorAtMessages : public ShownSink {
 public:
  void ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) override {
    seen.push_back(Shown());
    ShownSink::ShowMessage(icon, title, text);
  }
  std::vector<Qt::CursorShape> seen;
};

class WaitCursor : public ::testing::Test {
 protected:
  std::filesystem::path Basekrm() const { return dir.path() / "basekrm"; }
  TempDir dir;
  CurrentFolder inside{dir.path()};
  WatchingFiles files;
  UsingFileSystem use{files};
  CursorAtMessages sink;
  Form1 form{sink, QString::fromStdString(dir.str())};
};

TEST_F(WaitCursor, OnWhileTheStartUpReadsItsFilesAndGoneAfter) {
  WriteFile(Basekrm() / "Stats.krm", StatsFileOf({Totals{.name = "Ann"}}));
  form.session().Load();
  ASSERT_FALSE(files.seen.empty());
  for (Qt::CursorShape shape : files.seen) EXPECT_EQ(shape, Qt::WaitCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(WaitCursor, OrdinaryWhileAMessageIsUpAndGoneAfterAFailure) {
  form.session().Load();  // no statistics file: its message comes
  ASSERT_EQ(sink.seen.size(), 1u);
  EXPECT_EQ(sink.seen[0], Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  files.seen.clear();
  form.session().Import();  // no log: the failure message
  ASSERT_EQ(sink.seen.size(), 2u);
  EXPECT_EQ(sink.seen[1], Qt::ArrowCursor);
  ASSERT_FALSE(files.seen.empty());
  EXPECT_EQ(files.seen[0], Qt::WaitCursor) << "while the import looked for the log";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace fragtally::testing
