#include "window/qt/head_to_head_window.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace fragtally {

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QTreeWidget* ListNamed(const char* name, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->header()->setStretchLastSection(false);  // each column as wide as its texts, the right-aligned ones too
  return list;
}

// The list's captions and rows, each column as wide as its texts and
// right-aligned where `right` says so.
template <std::size_t N>
void Fill(QTreeWidget* list, const std::array<std::string, N>& captions, const std::vector<std::array<std::string, N>>& rows,
          const std::array<bool, N>& right) {
  list->clear();
  list->setColumnCount(static_cast<int>(N));
  QStringList header;
  for (const std::string& caption : captions) header.append(Utf8(caption));
  list->setHeaderLabels(header);
  const auto align = [&](std::size_t c) { return Qt::AlignVCenter | (right[c] ? Qt::AlignRight : Qt::AlignLeft); };
  for (std::size_t c = 0; c < N; ++c) list->headerItem()->setTextAlignment(static_cast<int>(c), align(c));
  for (const std::array<std::string, N>& cells : rows) {
    auto* item = new QTreeWidgetItem(list);
    for (std::size_t c = 0; c < N; ++c) {
      item->setText(static_cast<int>(c), Utf8(cells[c]));
      item->setTextAlignment(static_cast<int>(c), align(c));
    }
  }
  for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
}

}  // namespace

HeadToHeadWindow::HeadToHeadWindow(const WindowState& state, QWidget* parent)
    : QDialog(parent), state_(state), session_(QLocale::system().decimalPoint().toStdString()) {
  BuildWindow();
}

void HeadToHeadWindow::BuildWindow() {
  setObjectName(QStringLiteral("frmHeadToHead"));
  setWindowTitle(Utf8(kHeadToHeadTexts.Title));
  setModal(false);
  resize(kHeadToHeadShape.Width, kHeadToHeadShape.Height);
  setMinimumSize(kHeadToHeadShape.MinWidth, kHeadToHeadShape.MinHeight);

  auto* choosers = new QGridLayout;
  constexpr const char* kLabelNames[] = {"lblFirst", "lblSecond"};
  constexpr const char* kChooserNames[] = {"cboFirst", "cboSecond"};
  for (std::size_t p = 0; p < 2; ++p) {
    QComboBox* chooser = choosers_[p] = new QComboBox(this);
    chooser->setObjectName(QString::fromLatin1(kChooserNames[p]));
    chooser->setMinimumContentsLength(16);
    chooser->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* label = new QLabel(Utf8(kHeadToHeadTexts.ChooserLabels[p]), this);
    label->setObjectName(QString::fromLatin1(kLabelNames[p]));
    label->setBuddy(chooser);
    choosers->addWidget(label, 0, static_cast<int>(2 * p));
    choosers->addWidget(chooser, 0, static_cast<int>(2 * p + 1));
    connect(chooser, &QComboBox::currentIndexChanged, this, [this, p](int index) {
      session_.ChooseEntry(static_cast<int>(p), index);
      Show(false);
    });
  }
  choosers->setColumnStretch(1, 1);
  choosers->setColumnStretch(3, 1);

  heading_ = new QLabel(this);
  heading_->setObjectName(QStringLiteral("lblShared"));
  heading_->setTextFormat(Qt::PlainText);
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  figures_ = ListNamed("lstFigures", this);
  // As high as its rows: the header, a row per figure (measured on a row put in and taken out), the frame.
  figures_->setColumnCount(1);
  new QTreeWidgetItem(figures_, QStringList{QStringLiteral("0")});
  const int row = figures_->sizeHintForRow(0);
  figures_->clear();
  figures_->setFixedHeight(figures_->header()->sizeHint().height() + row * static_cast<int>(kHeadToHeadFigureCaptions.size()) +
                           2 * figures_->frameWidth() + 2);
  auto* last = new QLabel(Utf8(kHeadToHeadTexts.LastHeading), this);
  last->setObjectName(QStringLiteral("lblLastShared"));
  matches_ = ListNamed("lstLastShared", this);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(Utf8(kHeadToHeadTexts.Close), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("cmdClose"));
  close->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choosers);
  layout->addWidget(heading_);
  layout->addWidget(figures_);
  layout->addWidget(last);
  layout->addWidget(matches_, 1);
  layout->addWidget(buttons);

  setTabOrder(choosers_[0], choosers_[1]);
  setTabOrder(choosers_[1], figures_);
  setTabOrder(figures_, matches_);
  setTabOrder(matches_, close);
}

void HeadToHeadWindow::Open(int first, int second) {
  const bool changed = session_.Refresh(state_);
  session_.Choose(first, second);
  Show(changed);
  BringUp();
}

void HeadToHeadWindow::OpenFor(int slot) {
  const bool changed = session_.Refresh(state_);
  session_.ChooseFirst(slot);
  Show(changed);
  BringUp();
}

void HeadToHeadWindow::Refresh() {
  if (isVisible()) Show(session_.Refresh(state_));
}

void HeadToHeadWindow::BringUp() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  choosers_[session_.ChosenEntry(0) >= 0 && session_.ChosenEntry(1) < 0 ? 1 : 0]->setFocus(Qt::OtherFocusReason);
}

void HeadToHeadWindow::Show(bool entries_changed) {
  for (std::size_t p = 0; p < 2; ++p) {
    // Entries and selections set here are no user's: the choosers keep quiet.
    QComboBox* chooser = choosers_[p];
    const QSignalBlocker blocker(chooser);
    if (entries_changed) {
      chooser->clear();
      QStringList entries;
      entries.reserve(static_cast<qsizetype>(session_.Entries().size()));
      for (const std::string& entry : session_.Entries()) entries.append(Utf8(entry));
      chooser->addItems(entries);
    }
    chooser->setCurrentIndex(session_.ChosenEntry(static_cast<int>(p)));
  }
  const HeadToHeadView& view = session_.View();
  heading_->setText(Utf8(view.Heading));
  Fill(figures_, view.FigureColumns, view.Figures, std::array<bool, 3>{false, true, true});
  Fill(matches_, view.MatchColumns, view.Matches, kHeadToHeadMatchRightAligned);
}

}  // namespace fragtally
