#include "window/form1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include "files/messages.h"
#include "import/log_import.h"
#include "stats/stats_error.h"
#include "window/display_text.h"
#include "window/lifecycle.h"
#include "window/panel_layout.h"
#include "window/ratings.h"

namespace fragtally {

namespace {

// The fonts the window was drawn with, then look-alikes that carry Cyrillic.
const QStringList kFontFamilies = {
    QStringLiteral("MS Sans Serif"),   QStringLiteral("Microsoft Sans Serif"),
    QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
    QStringLiteral("Nimbus Sans"),     QStringLiteral("DejaVu Sans Condensed"),
    QStringLiteral("DejaVu Sans"),
};

QFont WindowFont() {
  QFont font;
  font.setFamilies(kFontFamilies);
  font.setPointSizeF(8.0);
  return font;
}

// Panel labels and the import button.
QFont LabelFont() {
  QFont font = WindowFont();
  font.setPointSizeF(8.25);
  font.setBold(true);
  return font;
}

QRect Pixels(const TwipRect& r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width), TwipsToPixels(r.height));
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// A 32 x 32 crosshair over a tally mark, in a few plain colours.
QIcon WindowIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(QColor(0, 0, 128));
  p.setPen(QPen(QColor(0, 0, 0), 1));
  p.drawRect(1, 1, 29, 29);
  p.setPen(QPen(QColor(255, 255, 0), 2));
  for (int x : {8, 13, 18, 23}) p.drawLine(x, 7, x, 24);
  p.setPen(QPen(QColor(255, 0, 0), 2));
  p.drawLine(5, 22, 27, 10);
  p.setPen(QPen(QColor(0, 255, 255), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPoint(16, 16), 12, 12);
  p.end();
  return QIcon(pixmap);
}

const char* kBuiltInPicture = ":/fragtally/stats.jpg";

}  // namespace

Form1::Form1(MessageSink& messages, const QString& program_folder, QWidget* parent)
    : QWidget(parent), messages_(messages), state_(NewWindowState()) {
  const QString folder = program_folder.isEmpty() ? QCoreApplication::applicationDirPath() : program_folder;
  state_->ProgramFolder = folder.toStdString();
  BuildWindow();
}

Form1::~Form1() = default;

void Form1::BuildWindow() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Utf8(kWindowCaption));
  setWindowIcon(WindowIcon());
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  setFont(WindowFont());

  // Tab order: Command1 (0), Text2 (1), Frame1 (2), Frame2 (3), Command2 (80).
  command1_ = new QPushButton(Utf8(kCommand1.text), this);
  command1_->setObjectName(kCommand1.name);
  command1_->setGeometry(Pixels(kCommand1.rect));
  command1_->setFont(LabelFont());
  command1_->setAutoDefault(false);

  // Text2 is the trace. It would cover the bottom rows of both panels, so it
  // stays hidden; nothing in the program reads it.
  text2_ = new QPlainTextEdit(this);
  text2_->setObjectName(kText2.name);
  text2_->setGeometry(Pixels(kText2.rect));
  text2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text2_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text2_->setUndoRedoEnabled(false);  // the undo stack would keep a second copy of the trace
  text2_->setReadOnly(true);
  text2_->hide();
  text2_->installEventFilter(this);

  panel1_.frame = new QGroupBox(Utf8(kFrame1.text), this);
  panel1_.frame->setObjectName(kFrame1.name);
  panel1_.frame->setGeometry(Pixels(kFrame1.rect));
  BuildPanel(panel1_, Panel::First);

  panel2_.frame = new QGroupBox(Utf8(kFrame2.text), this);
  panel2_.frame->setObjectName(kFrame2.name);
  panel2_.frame->setGeometry(Pixels(kFrame2.rect));
  BuildPanel(panel2_, Panel::Second);

  command2_ = new QPushButton(Utf8(kCommand2.text), this);
  command2_->setObjectName(kCommand2.name);
  command2_->setGeometry(Pixels(kCommand2.rect));
  command2_->setAutoDefault(false);

  setTabOrder(command1_, text2_);
  setTabOrder(text2_, panel1_.combo);
  setTabOrder(panel1_.combo, panel2_.combo);
  setTabOrder(panel2_.combo, command2_);

  connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form1::BuildPanel(PanelWidgets& panel, Panel which) {
  const QFont label_font = LabelFont();
  const QPixmap built_in(kBuiltInPicture);
  for (const PanelRow& row : PanelRows()) {
    const char* name = which == Panel::First ? row.name1 : row.name2;
    switch (row.kind) {
      case PanelControl::Selector: {
        auto* combo = new QComboBox(panel.frame);
        combo->setEditable(false);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto* list = qobject_cast<QListView*>(combo->view())) list->setUniformItemSizes(true);
        QPalette palette = combo->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        combo->setPalette(palette);
        panel.combo = combo;
        connect(combo, &QComboBox::currentIndexChanged, this, [this, which](int index) { OnSelection(which, index); });
        combo->setObjectName(name);
        combo->setGeometry(Pixels(row.rect));
        break;
      }
      case PanelControl::Picture: {
        auto* picture = new QLabel(panel.frame);
        picture->setScaledContents(true);
        picture->setPixmap(built_in);
        panel.picture = picture;
        picture->setObjectName(name);
        picture->setGeometry(Pixels(row.rect));
        break;
      }
      case PanelControl::Label: {
        auto* label = new QLabel(panel.frame);
        label->setTextFormat(Qt::PlainText);
        label->setFont(label_font);
        label->setAlignment(row.alignment);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(row.colour));
        label->setPalette(palette);
        label->setText(Utf8(row.text));
        label->setObjectName(name);
        label->setGeometry(Pixels(row.rect));
        if (row.fill >= 0) {
          panel.values[static_cast<std::size_t>(row.fill)] = label;
          panel.shown[static_cast<std::size_t>(row.fill)] = row.text;
        }
        break;
      }
    }
  }
}

void Form1::LoadPanelPictures() {
  // A missing or unreadable picture leaves the built-in one, without a word.
  const QString path = QString::fromStdString(state_->ProgramFolder) + QStringLiteral("/basekrm/custom/stats.jpg");
  for (QLabel* picture : {panel1_.picture, panel2_.picture}) {
    QPixmap replacement;
    if (replacement.load(path)) picture->setPixmap(replacement);
  }
}

void Form1::Form_Load() {
  if (loaded_) return;
  loaded_ = true;
  LoadPanelPictures();
  StartUpResult result = StartUp(*state_, messages_);
  Render();
  if (result.FillFailure) ShowFillFailure();
}

void Form1::Form_Activate() {
  state_->TraceCaret = state_->Trace.size();
  Render();
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  ShutDownResult result = ShutDown(*state_);
  if (!result.StatsSaved)
    messages_.ShowMessage(MessageIcon::Error, kSaveFailedTitle, kStatsSaveFailedText + result.Stats.error);
  if (!result.Settings.ok)
    messages_.ShowMessage(MessageIcon::Error, kSaveFailedTitle, kSettingsSaveFailedText + result.Settings.error);
}

void Form1::Command1_Click() {
  ImportLog(*state_, messages_);
  Render();
}

void Form1::Command2_Click() {
  const RatingsInput first =
      GatherRatingsInput(state_->Combo1, state_->Panel1, panel1_.combo->currentText().toUtf8().toStdString());
  const RatingsInput second =
      GatherRatingsInput(state_->Combo2, state_->Panel2, panel2_.combo->currentText().toUtf8().toStdString());
  const std::string text =
      BuildRatingsReport(state_->Table, first, second, QLocale::system().decimalPoint().toStdString());
  messages_.ShowMessage(MessageIcon::Information, kRatingsTitle, text);
}

void Form1::OnSelection(Panel which, int index) {
  // Render() blocks the selectors' signals, so this is a user's (or a
  // test's) selection.
  SelectorOf(*state_, which).ListIndex = index;
  bool failed = false;
  if (index >= 0) {
    try {
      if (which == Panel::First)
        Combo1_Click(*state_);
      else
        Combo2_Click(*state_);
    } catch (const StatsError&) {
      failed = true;  // the texts before the failing label are already applied
    }
  }
  Render();
  if (failed) ShowFillFailure();
}

void Form1::ShowFillFailure() {
  messages_.ShowMessage(MessageIcon::Error, kPanelFillFailedTitle, kPanelFillFailedText);
}

void Form1::Render() {
  RenderSelector(panel1_.combo, state_->Combo1);
  RenderSelector(panel2_.combo, state_->Combo2);
  RenderPanel(panel1_, state_->Panel1);
  RenderPanel(panel2_, state_->Panel2);
  if (text2_->isVisible()) {
    SyncTrace();
    PlaceTraceCaret();
  }
}

void Form1::RenderSelector(QComboBox* combo, const Selector& selector) {
  const QSignalBlocker blocker(combo);
  const auto& list = selector.List;
  const std::size_t count = static_cast<std::size_t>(combo->count());
  if (list.size() < count) combo->clear();  // the core never removes names; start over if it did
  const std::size_t first_new = static_cast<std::size_t>(combo->count());
  if (list.size() > first_new) {
    QStringList tail;
    tail.reserve(static_cast<qsizetype>(list.size() - first_new));
    for (std::size_t i = first_new; i < list.size(); ++i) tail.append(DisplayText(list[i]));
    // Adding the first names makes QComboBox select entry 0; the index is set
    // from the core's selector below, so "nothing selected" stays -1.
    combo->insertItems(static_cast<int>(first_new), tail);
  }
  if (combo->currentIndex() != selector.ListIndex) combo->setCurrentIndex(selector.ListIndex);
}

void Form1::RenderPanel(PanelWidgets& panel, const PanelLabels& labels) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (panel.shown[i] == labels[i]) continue;
    panel.values[i]->setText(DisplayText(labels[i]));
    panel.shown[i] = labels[i];
  }
}

// The core only ever appends to the trace, so only the new tail goes into
// Text2, converted line by line; the text already there is never set again.
// The sync is lazy: Text2 stays hidden, and filling a QPlainTextEdit with
// a large trace costs time and memory that nothing uses (9999 players give
// about 140,000 trace lines: syncing them at start-up took the time until the
// window was shown from about 55 ms to 330 ms and the peak memory from 40 MB
// to 68 MB). It runs when Text2 is shown and when SyncedText2() is asked for.
void Form1::SyncTrace() {
  const std::string& trace = state_->Trace;
  if (trace.size() < trace_synced_) {  // the core never shortens the trace; start over if it did
    text2_->clear();
    trace_synced_ = 0;
  }
  // Whole lines only, so that no CR LF or multi-byte character is split.
  const std::size_t last_line_end = trace.rfind('\n');
  const std::size_t end = last_line_end == std::string::npos ? 0 : last_line_end + 1;
  if (end <= trace_synced_) return;
  const QString tail = DisplayTraceChunk(std::string_view(trace).substr(trace_synced_, end - trace_synced_));
  QTextCursor cursor(text2_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(tail);
  trace_synced_ = end;
}

void Form1::PlaceTraceCaret() {
  QTextDocument* document = text2_->document();
  const int end = document->characterCount() - 1;
  int position = end;
  if (state_->TraceCaret < trace_synced_) {
    std::string_view before = std::string_view(state_->Trace).substr(0, state_->TraceCaret);
    position = std::min(end, static_cast<int>(DisplayTraceChunk(before).size()));
  }
  QTextCursor cursor = text2_->textCursor();
  if (cursor.position() == position && !cursor.hasSelection()) return;
  cursor.setPosition(position);
  text2_->setTextCursor(cursor);
}

QPlainTextEdit* Form1::SyncedText2() {
  SyncTrace();
  PlaceTraceCaret();
  return text2_;
}

bool Form1::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Form_Activate();
  return QWidget::event(event);
}

void Form1::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text2_ && event->type() == QEvent::Show) {
    SyncTrace();
    PlaceTraceCaret();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace fragtally
