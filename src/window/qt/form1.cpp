#include "window/qt/form1.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include "app/commands.h"
#include "app/layout.h"
#include "files/paths.h"
#include "platform/platform.h"
#include "window/display_text.h"

namespace fragtally {

namespace {

// The font the window was drawn with, then look-alikes that carry Cyrillic.
QFont FontOf(FontKind kind) {
  const FontSpec& spec = kind == FontKind::PanelLabel ? kPanelLabelFont : kWindowFont;
  QFont font;
  font.setFamilies({QString::fromLatin1(spec.Face), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setPointSizeF(spec.Points);
  font.setBold(spec.Bold);
  return font;
}

QRect Pixels(const TwipRect& r) {
  return QRect(TwipsToPixels(r.Left), TwipsToPixels(r.Top), TwipsToPixels(r.Width), TwipsToPixels(r.Height));
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

const char* kBuiltInPicture = ":/fragtally/stats.jpg";

// A cursor shape for the whole program while the guard lives; the shapes
// stack, so the one before comes back on every way out.
class CursorWhile {
 public:
  explicit CursorWhile(Qt::CursorShape shape) { QApplication::setOverrideCursor(QCursor(shape)); }
  ~CursorWhile() { QApplication::restoreOverrideCursor(); }
  CursorWhile(const CursorWhile&) = delete;
  CursorWhile& operator=(const CursorWhile&) = delete;
};

}  // namespace

template <class Box>
auto Form1::RenderFirst::Around(Box box) {
  form_.Render();
  CursorWhile ordinary(Qt::ArrowCursor);
  return box();
}

void Form1::RenderFirst::ShowMessage(MessageIcon icon, const std::string& title, const std::string& text) {
  Around([&] { messages_.ShowMessage(icon, title, text); });
}

bool Form1::RenderFirst::AskYesNo(const std::string& title, const std::string& text) {
  return Around([&] { return messages_.AskYesNo(title, text); });
}

QString ShownText(std::string_view bytes) { return QString::fromStdU16String(DisplayText(bytes)); }

Form1::Form1(MessageSink& messages, const QString& program_folder, QWidget* parent)
    : QWidget(parent),
      messages_(*this, messages),
      state_(NewForm1State(program_folder.isEmpty() ? platform::ExecutableFolder() : program_folder.toStdString())) {
  BuildWindow();
}

Form1::~Form1() = default;

void Form1::BuildWindow() {
  setObjectName(QString::fromLatin1(kWindowName));
  setWindowTitle(Utf8(kWindowCaption));
  setWindowIcon(QIcon(QStringLiteral(":/fragtally/fragtally.png")));
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  setFont(FontOf(FontKind::Window));

  const QPixmap built_in(kBuiltInPicture);
  std::map<std::string, QWidget*> containers = {{kWindowName, this}};
  // Tab stops by their container's tab index, then their own.
  std::vector<std::tuple<int, int, QWidget*>> tab_stops;

  for (const ControlSpec& spec : Form1Controls()) {
    QWidget* parent = containers.at(spec.Container);
    QWidget* widget = nullptr;
    PanelWidgets* panel = spec.Panel == 1 ? &panel1_ : spec.Panel == 2 ? &panel2_ : nullptr;
    switch (spec.Kind) {
      case ControlKind::GroupBox: {
        widget = new QGroupBox(Utf8(spec.DesignText), parent);
        containers[spec.Name] = widget;
        break;
      }
      case ControlKind::CommandButton: {
        auto* button = new QPushButton(Utf8(spec.DesignText), parent);
        button->setAutoDefault(false);
        button->installEventFilter(this);  // Enter presses it (eventFilter)
        const bool import = std::string_view(spec.Name) == "Command1";
        connect(button, &QPushButton::clicked, this, [this, import] { import ? Command1_Click() : Command2_Click(); });
        widget = button;
        break;
      }
      case ControlKind::TextBox: {
        // Text2 is the trace. It would cover the bottom rows of both panels,
        // so it stays hidden; nothing in the program reads it.
        text2_ = new QPlainTextEdit(parent);
        text2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        text2_->setLineWrapMode(QPlainTextEdit::NoWrap);
        text2_->setUndoRedoEnabled(false);  // the undo stack would keep a second copy of the trace
        text2_->setReadOnly(true);
        text2_->hide();
        text2_->installEventFilter(this);
        widget = text2_;
        break;
      }
      case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto* list = qobject_cast<QListView*>(combo->view())) list->setUniformItemSizes(true);
        QPalette palette = combo->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        combo->setPalette(palette);
        const Panel which = spec.Panel == 1 ? Panel::First : Panel::Second;
        connect(combo, &QComboBox::currentIndexChanged, this, [this, which](int index) { OnSelection(which, index); });
        panel->combo = combo;
        widget = combo;
        break;
      }
      case ControlKind::PictureBox: {
        auto* picture = new QLabel(parent);
        picture->setScaledContents(true);
        picture->setPixmap(built_in);
        panel->picture = picture;
        widget = picture;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(spec.Align == TextAlign::Centre ? (Qt::AlignHCenter | Qt::AlignTop)
                                                            : (Qt::AlignLeft | Qt::AlignTop));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(spec.TextColour.Red, spec.TextColour.Green, spec.TextColour.Blue));
        label->setPalette(palette);
        label->setText(Utf8(spec.DesignText));
        if (spec.Fill != kNone) {
          panel->values[static_cast<std::size_t>(spec.Fill)] = label;
          panel->shown[static_cast<std::size_t>(spec.Fill)] = spec.DesignText;
        }
        widget = label;
        break;
      }
    }
    widget->setObjectName(QString::fromLatin1(spec.Name));
    widget->setGeometry(Pixels(spec.Rect));
    if (spec.Font == FontKind::PanelLabel) widget->setFont(FontOf(FontKind::PanelLabel));
    if (spec.TabIndex != kNone && spec.Kind != ControlKind::GroupBox) {
      const ControlSpec* container = FindControl(spec.Container);
      tab_stops.emplace_back(container ? container->TabIndex : spec.TabIndex, container ? spec.TabIndex : -1, widget);
    }
  }

  std::sort(tab_stops.begin(), tab_stops.end(),
            [](const auto& a, const auto& b) { return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b)); });
  for (std::size_t i = 1; i < tab_stops.size(); ++i) setTabOrder(std::get<2>(tab_stops[i - 1]), std::get<2>(tab_stops[i]));

  // The first tab stop on the screen (not the hidden trace) has the keyboard
  // focus once the window is active. Qt keeps a window's focus widget when
  // the window is deactivated (a message box, another program) and gives it
  // the focus again when the window is activated.
  for (const auto& stop : tab_stops) {
    QWidget* widget = std::get<2>(stop);
    if (widget->isVisibleTo(this) && (widget->focusPolicy() & Qt::TabFocus)) {
      widget->setFocus(Qt::TabFocusReason);
      break;
    }
  }
}

void Form1::BringToFront() {
  if (isMinimized()) showNormal();  // the window cannot be maximised
  // While a message box is up the window takes no input: the box comes to
  // the front instead.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* target = modal != nullptr ? modal : this;
  target->raise();
  target->activateWindow();
}

void Form1::LoadPanelPictures() {
  // A missing or unreadable picture leaves the built-in one, without a word.
  const QString path = QString::fromStdString(PanelPicturePath(*state_));
  for (QLabel* picture : {panel1_.picture, panel2_.picture}) {
    QPixmap replacement;
    if (replacement.load(path)) picture->setPixmap(replacement);
  }
}

void Form1::Form_Load() {
  if (loaded_) return;
  loaded_ = true;
  CursorWhile busy(Qt::WaitCursor);  // the statistics file may be large
  LoadPanelPictures();
  fragtally::Form_Load(*state_, messages_);
  Render();
}

void Form1::Form_Activate() {
  fragtally::Form_Activate(*state_);
  Render();
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  fragtally::Form_Unload(*state_, messages_);
}

void Form1::Command1_Click() {
  CursorWhile busy(Qt::WaitCursor);  // the log may be large
  fragtally::Command1_Click(*state_, messages_);
  Render();
}

void Form1::Command2_Click() {
  fragtally::Command2_Click(*state_, messages_, QLocale::system().decimalPoint().toStdString());
}

void Form1::OnSelection(Panel which, int index) {
  // Render() blocks the selectors' signals, so this is a user's (or a
  // test's) selection.
  SelectPlayer(*state_, messages_, which, index);
  Render();
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
  if (list.size() < count) combo->clear();  // names are never removed; start over if they were
  const std::size_t first_new = static_cast<std::size_t>(combo->count());
  if (list.size() > first_new) {
    QStringList tail;
    tail.reserve(static_cast<qsizetype>(list.size() - first_new));
    for (std::size_t i = first_new; i < list.size(); ++i) tail.append(ShownText(list[i]));
    // Adding the first names makes QComboBox select entry 0; the index is set
    // from the state's selector below, so "nothing selected" stays -1.
    combo->insertItems(static_cast<int>(first_new), tail);
  }
  if (combo->currentIndex() != selector.ListIndex) combo->setCurrentIndex(selector.ListIndex);
}

void Form1::RenderPanel(PanelWidgets& panel, const PanelLabels& labels) {
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (panel.shown[i] == labels[i]) continue;
    panel.values[i]->setText(ShownText(labels[i]));
    panel.shown[i] = labels[i];
  }
}

// The trace only ever grows at its end, so only the new tail goes into Text2,
// converted line by line; the text already there is never set again. The
// sync is lazy: Text2 stays hidden, and filling a QPlainTextEdit with a large
// trace costs time and memory that nothing uses (9999 players give about
// 140,000 trace lines: syncing them at start-up took the time until the
// window was shown from about 55 ms to 330 ms and the peak memory from 40 MB
// to 68 MB). It runs when Text2 is shown and when SyncedText2() is asked for.
void Form1::SyncTrace() {
  const TraceText& trace = state_->Trace;
  if (trace.size() < trace_synced_) {  // the trace never shrinks; start over if it did
    text2_->clear();
    trace_synced_ = 0;
  }
  // Whole lines only, so that no CR LF or multi-byte character is split.
  const std::size_t last_line_end = trace.rfind('\n');
  const std::size_t end = last_line_end == std::string::npos ? 0 : last_line_end + 1;
  if (end <= trace_synced_) return;
  const QString tail = QString::fromStdU16String(
      DisplayLines(std::string_view(trace).substr(trace_synced_, end - trace_synced_), u"\n"));
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
    position = std::min(end, static_cast<int>(DisplayLines(before, u"\n").size()));
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
  // Enter presses the focused button, as Space does (a button that is not a
  // dialog's default ignores Enter).
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && (key == Qt::Key_Return || key == Qt::Key_Enter) && button->isEnabled()) {
      button->click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace fragtally
