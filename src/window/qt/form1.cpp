#include "window/qt/form1.h"

#include <algorithm>
#include <map>

#include <QApplication>
#include <QCloseEvent>
#include <QAction>
#include <QCursor>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/platform.h"
#include "window/display_text.h"
#include "window/qt/head_to_head_window.h"
#include "window/qt/players_window.h"
#include "window/qt/shown_text.h"

namespace fragtally {

namespace {

// The font the window was drawn with, then look-alikes that carry Cyrillic.
QFont FontOf(FontKind kind) {
  const FontSpec& font = kind == FontKind::PanelLabel ? kPanelLabelFont : kWindowFont;
  QFont shown;
  shown.setFamilies({QString::fromLatin1(font.Face), QStringLiteral("Microsoft Sans Serif"),
                     QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                     QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  shown.setPointSizeF(font.Points);
  shown.setBold(font.Bold);
  return shown;
}

QRect Pixels(const TwipRect& r) {
  return QRect(TwipsToPixels(r.Left), TwipsToPixels(r.Top), TwipsToPixels(r.Width), TwipsToPixels(r.Height));
}

QString Utf8(const char* text) { return QString::fromUtf8(text); }

const char* kBuiltInPicture = ":/fragtally/stats.jpg";

}  // namespace

Form1::Form1(MessageSink& messages, const QString& program_folder, QWidget* parent)
    : QWidget(parent),
      messages_(messages),
      session_(*this, messages,
               program_folder.isEmpty() ? platform::ExecutableFolder() : program_folder.toStdString()) {
  BuildWindow();
}

Form1::~Form1() = default;

void Form1::BuildWindow() {
  setObjectName(QString::fromLatin1(kWindowName));
  setWindowTitle(Utf8(kWindowCaption));
  setWindowIcon(QIcon(QStringLiteral(":/fragtally/fragtally.png")));
  setFont(FontOf(FontKind::Window));
  BuildMenus();
  const int menu_height = menu_bar_->height();
  setFixedSize(TwipsToPixels(kClientWidthTwips), menu_height + TwipsToPixels(kClientHeightWithStatusTwips));

  const QPixmap built_in(kBuiltInPicture);
  std::map<std::string, QWidget*> containers = {{kWindowName, this}};

  for (const ControlSpec& control : Form1Controls()) {
    QWidget* parent = containers.at(control.Container);
    QWidget* widget = nullptr;
    PanelWidgets* panel = control.Panel != kNone ? &panels_[static_cast<std::size_t>(control.Panel - 1)] : nullptr;
    switch (control.Kind) {
      case ControlKind::GroupBox: {
        widget = new QGroupBox(Utf8(control.DesignText), parent);
        containers[control.Name] = widget;
        break;
      }
      case ControlKind::CommandButton: {
        auto* button = new QPushButton(Utf8(control.DesignText), parent);
        button->setAutoDefault(false);
        button->installEventFilter(this);  // Enter presses it (eventFilter)
        const bool import = std::string_view(control.Name) == "Command1";
        connect(button, &QPushButton::clicked, this, [this, import] {
          if (import)
            session_.Import();
          else
            session_.Ratings(QLocale::system().decimalPoint().toStdString());
        });
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
        const Panel which = control.Panel == 1 ? Panel::First : Panel::Second;
        connect(combo, &QComboBox::currentIndexChanged, this, [this, which](int index) { session_.Select(which, index); });
        panel->Selector = combo;
        widget = combo;
        break;
      }
      case ControlKind::PictureBox: {
        auto* picture = new QLabel(parent);
        picture->setScaledContents(true);
        picture->setPixmap(built_in);
        panel->Image = picture;
        widget = picture;
        break;
      }
      case ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(control.Align == TextAlign::Centre ? (Qt::AlignHCenter | Qt::AlignTop)
                                                            : (Qt::AlignLeft | Qt::AlignTop));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(control.TextColour.Red, control.TextColour.Green, control.TextColour.Blue));
        label->setPalette(palette);
        label->setText(Utf8(control.DesignText));
        if (control.Fill != kNone) panel->Values[static_cast<std::size_t>(control.Fill)] = label;
        widget = label;
        break;
      }
    }
    widget->setObjectName(QString::fromLatin1(control.Name));
    // The window's own controls sit below the menu bar; a frame's are placed in the frame.
    widget->setGeometry(Pixels(control.Rect).translated(0, parent == this ? menu_height : 0));
    if (control.Font == FontKind::PanelLabel) widget->setFont(FontOf(FontKind::PanelLabel));
  }

  // Under the table's controls: what the last import entered.
  const ControlSpec& status = StatusLineControl();
  status_line_ = new QLabel(this);
  status_line_->setObjectName(QString::fromLatin1(status.Name));
  status_line_->setTextFormat(Qt::PlainText);
  status_line_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  status_line_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  status_line_->setGeometry(Pixels(status.Rect).translated(0, menu_height));

  std::vector<QWidget*> tab_stops;
  for (const ControlSpec* control : TabOrder())
    tab_stops.push_back(findChild<QWidget*>(QString::fromLatin1(control->Name)));
  for (std::size_t i = 1; i < tab_stops.size(); ++i) setTabOrder(tab_stops[i - 1], tab_stops[i]);

  // The first tab stop on the screen (not the hidden trace) has the keyboard
  // focus once the window is active. Qt keeps a window's focus widget when
  // the window is deactivated (a message box, another program) and gives it
  // the focus again when the window is activated.
  for (QWidget* widget : tab_stops) {
    if (widget->isVisibleTo(this) && (widget->focusPolicy() & Qt::TabFocus)) {
      widget->setFocus(Qt::TabFocusReason);
      break;
    }
  }
}

void Form1::BuildMenus() {
  menu_bar_ = new QMenuBar(this);
  menu_bar_->setObjectName(QStringLiteral("mnuBar"));
  menu_bar_->setNativeMenuBar(false);  // on the window, above the controls, on every desktop
  for (const Menu& menu : MainMenus()) {
    QMenu* shown = menu_bar_->addMenu(Utf8(menu.Label));
    shown->setObjectName(QString::fromLatin1(menu.ObjectName));
    for (const MenuItem& item : menu.Items) {
      QAction* action = shown->addAction(Utf8(item.Label));
      action->setObjectName(QString::fromLatin1(item.ObjectName));
      const MenuCommand command = item.Command;
      connect(action, &QAction::triggered, this, [this, command] { RunMenuCommand(command); });
      actions_[command] = action;
    }
  }
  actions_.at(MenuCommand::UndoImport)->setEnabled(false);  // until the state says there is an import to undo
  menu_bar_->setGeometry(0, 0, TwipsToPixels(kClientWidthTwips), menu_bar_->sizeHint().height());
}

QRect Form1::ClientArea() const {
  return QRect(0, menu_bar_->height(), width(), TwipsToPixels(kClientHeightTwips));
}

QAction* Form1::MenuAction(MenuCommand command) const { return actions_.at(command); }

void Form1::RunMenuCommand(MenuCommand command) { session_.Menu(command, *this); }

void Form1::ShowPlayers() {
  if (players_ == nullptr) {
    players_ = new PlayersWindow(state(), messages_, this);
    players_->SetHeadToHead([this](int slot) { MadeHeadToHead()->OpenFor(slot); });
    players_->SetPeopleChanged([this] {
      if (head_to_head_ != nullptr) head_to_head_->Refresh();
    });
  } else if (players_->isHidden())
    players_->Open();  // closed windows are not kept up to date
  if (players_->isMinimized()) players_->showNormal();
  players_->show();
  players_->raise();
  players_->activateWindow();
}

HeadToHeadWindow* Form1::MadeHeadToHead() {
  if (head_to_head_ == nullptr) head_to_head_ = new HeadToHeadWindow(state(), this);
  return head_to_head_;
}

void Form1::ShowHeadToHead(int first_slot, int second_slot) { MadeHeadToHead()->Open(first_slot, second_slot); }

std::optional<std::string> Form1::ChooseExportFile(const ExportOffer& offer) {
  QString target;
  if (choose_save_file_) {
    target = choose_save_file_(offer);
  } else {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString extension = QString::fromUtf8(offer.Extension);
    target = QFileDialog::getSaveFileName(this, QString::fromUtf8(offer.DialogTitle),
                                          QDir(folder).filePath(QString::fromUtf8(offer.DefaultName)),
                                          QString::fromUtf8(offer.FilterName) + " (*." + extension + ")");
  }
  if (target.isEmpty()) return std::nullopt;
  return target.toStdString();
}

CsvFormat Form1::UserCsvFormat() {
  // Qt tells no list separator; the one that goes with the decimal separator.
  CsvFormat format;
  format.DecimalSeparator = QLocale::system().decimalPoint().toStdString();
  format.ListSeparator = ListSeparatorFor(format.DecimalSeparator);
  return format;
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

void Form1::LoadPanelPictures(const std::string& path) {
  // A missing or unreadable picture leaves the built-in one, without a word.
  const QString file = QString::fromStdString(path);
  for (PanelWidgets& panel : panels_) {
    QPixmap replacement;
    if (replacement.load(file)) panel.Image->setPixmap(replacement);
  }
}

// A cursor shape for the whole program; the shapes stack.
void Form1::SetBusy(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QApplication::restoreOverrideCursor();
}

void Form1::Apply(const ViewDelta& delta) {
  QStringList names;
  names.reserve(static_cast<qsizetype>(delta.NewEntries.size()));
  for (std::string_view name : delta.NewEntries) names.append(ShownText(name));
  for (std::size_t p = 0; p < panels_.size(); ++p) {
    // Selections made here are no user's: the selectors keep quiet.
    QComboBox* combo = panels_[p].Selector;
    const QSignalBlocker blocker(combo);
    if (delta.ResetEntries) combo->clear();
    // Adding the first names makes QComboBox select entry 0; the index is set
    // from the state's selector below, so "nothing selected" stays -1.
    if (!names.isEmpty()) combo->insertItems(delta.FirstNewEntry, names);
    if (combo->currentIndex() != delta.Selected[p]) combo->setCurrentIndex(delta.Selected[p]);
  }
  for (const ViewDelta::LabelText& label : delta.Labels)
    panels_[label.Which == Panel::First ? 0 : 1].Values[static_cast<std::size_t>(label.Fill)]->setText(ShownText(label.Text));
  actions_.at(MenuCommand::UndoImport)->setEnabled(delta.UndoImportEnabled);
  if (delta.TotalsChanged && players_ != nullptr && players_->isVisible()) players_->Refresh();
  if (delta.TotalsChanged && head_to_head_ != nullptr) head_to_head_->Refresh();
  if (delta.StatusLine) status_line_->setText(ShownText(*delta.StatusLine));
  if (text2_->isVisible()) {
    SyncTrace();
    PlaceTraceCaret();
  }
}

void Form1::SyncTrace() {
  const TraceText& trace = state().Trace;
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
  if (state().TraceCaret < trace_synced_) {
    std::string_view before = std::string_view(state().Trace).substr(0, state().TraceCaret);
    position = std::min(end, static_cast<int>(DisplayLinesLength(before, u"\n")));
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
  if (event->type() == QEvent::WindowActivate) session_.Activate();
  return QWidget::event(event);
}

void Form1::closeEvent(QCloseEvent* event) {
  if (players_ != nullptr) players_->close();  // it goes with the main window
  session_.Unload();
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
