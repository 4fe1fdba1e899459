// Text2 holds the core's trace: lines appended, never rewritten.

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include "gui_support.h"

namespace fragtally::testing {
namespace {

const Totals kAnn{"Ann", 1, {{{12, 30}, {0, 0}, {0, 0}, {5, 20}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, 900, 700, 5, 3, 0, 5, 2};

QString Expected(std::string_view trace) {
  QString text = QString::fromUtf8(trace.data(), static_cast<qsizetype>(trace.size()));
  text.replace("\r\n", "\n");
  return text;
}

class Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    w.WriteStats(StatsFileOf({kAnn}));
    w.form.session().Load();
  }
  WindowFixture w;
};

TEST_F(Trace, Text2ShowsTheTraceWithPlainLineEnds) {
  QPlainTextEdit* text2 = w.form.SyncedText2();
  EXPECT_EQ(text2->toPlainText(), Expected(w.form.state().Trace));
  EXPECT_TRUE(text2->toPlainText().startsWith("Name=Ann\nGaunlet=1\nMachinegun=12/30\n"));
  EXPECT_FALSE(text2->toPlainText().contains('\r'));
}

TEST_F(Trace, HiddenText2IsFilledWhenShown) {
  auto* text2 = Control<QPlainTextEdit>(w.form, "Text2");
  w.form.show();
  EXPECT_TRUE(text2->toPlainText().isEmpty());  // hidden: nothing is copied in
  text2->show();
  EXPECT_EQ(text2->toPlainText(), Expected(w.form.state().Trace));
  // While shown, every Render brings it up to date.
  AppendTrace(w.form.state(), "Name=Late");
  w.form.session().Refresh();
  EXPECT_TRUE(text2->toPlainText().endsWith("Name=Late\n"));
}

TEST_F(Trace, OnlyTheNewTailIsAppended) {
  QPlainTextEdit* text2 = w.form.SyncedText2();
  const QString before = text2->toPlainText();
  struct Change {
    int position, removed, added;
  };
  std::vector<Change> changes;
  QObject::connect(text2->document(), &QTextDocument::contentsChange,
                   [&](int position, int removed, int added) { changes.push_back({position, removed, added}); });

  const TraceText& trace = w.form.state().Trace;
  const std::size_t old_size = trace.size();
  for (int i = 0; i < 3; ++i) AppendTrace(w.form.state(), "Name=Tail" + std::to_string(i));
  w.form.SyncedText2();

  ASSERT_FALSE(changes.empty());
  int end = before.size();
  for (const Change& c : changes) {
    EXPECT_EQ(c.removed, 0);
    EXPECT_EQ(c.position, end);
    end += c.added;
  }
  EXPECT_EQ(text2->toPlainText(), before + Expected(trace.substr(old_size)));
}

TEST_F(Trace, LinesKeepTheirOwnEncoding) {
  AppendTrace(w.form.state(), "Name=\xC3\xF0\xE0\xF7");  // Windows-1251
  AppendTrace(w.form.state(), "Name=Ёжик");             // UTF-8
  EXPECT_TRUE(w.form.SyncedText2()->toPlainText().endsWith("Name=Грач\nName=Ёжик\n"));
}

TEST_F(Trace, CaretFollowsTheCoresCaret) {
  const std::string first_line = "Name=Ann\r\n";
  w.form.state().TraceCaret = first_line.size();
  EXPECT_EQ(w.form.SyncedText2()->textCursor().position(), 9);  // after "Name=Ann\n"
  w.form.session().Activate();
  QPlainTextEdit* text2 = w.form.SyncedText2();
  EXPECT_EQ(text2->textCursor().position(), text2->document()->characterCount() - 1);
}

}  // namespace
}  // namespace fragtally::testing
