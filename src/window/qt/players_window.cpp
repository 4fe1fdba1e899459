#include "window/qt/players_window.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPalette>
#include <QSpinBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>

#include "app/matches/head_to_head_session.h"
#include "app/matches/people.h"
#include "app/players_window/placement.h"
#include "window/qt/chart_painter.h"
#include "window/qt/shown_text.h"

namespace fragtally {

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

Qt::Alignment AlignmentOf(CellAlign align) {
  return Qt::AlignVCenter | (align == CellAlign::Right ? Qt::AlignRight : Qt::AlignLeft);
}

template <std::size_t N>
QTreeWidget* ListOf(const std::array<PageListColumn, N>& columns, const char* name, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setColumnCount(static_cast<int>(N));
  QStringList captions;
  for (const PageListColumn& column : columns) captions.append(Utf8(column.Caption));
  list->setHeaderLabels(captions);
  for (std::size_t c = 0; c < N; ++c)
    if (!columns[c].Tooltip.empty()) list->headerItem()->setToolTip(static_cast<int>(c), Utf8(columns[c].Tooltip));
  return list;
}

// Replaces the rows of `list` with `rows` (each cell decoded by itself).
template <std::size_t N>
void Fill(QTreeWidget* list, const std::array<PageListColumn, N>& columns, const std::vector<std::vector<std::string>>& rows) {
  list->clear();
  for (const std::vector<std::string>& cells : rows) {
    auto* item = new QTreeWidgetItem(list);
    for (std::size_t c = 0; c < N && c < cells.size(); ++c) {
      item->setText(static_cast<int>(c), ShownText(cells[c]));
      item->setTextAlignment(static_cast<int>(c), AlignmentOf(columns[c].Align));
    }
  }
  // A few rows each: the columns fit their texts.
  for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
}

}  // namespace

// The session's table as Qt's item views read it; the session sorts.
class PlayersTableModel : public QAbstractTableModel {
 public:
  explicit PlayersTableModel(const PlayersSession& session, QObject* parent)
      : QAbstractTableModel(parent), session_(session) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : session_.RowCount(); }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(kPlayersColumns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const PlayersColumnInfo& column = kPlayersColumns[static_cast<std::size_t>(index.column())];
    if (role == Qt::DisplayRole) return ShownText(session_.CellText(index.row(), column.Column));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(column.Align));
    // A row below the minimum of matches: greyed, and why over it.
    if (role == Qt::ForegroundRole && !session_.Ranked(index.row()))
      return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    if (role == Qt::ToolTipRole) {
      const std::string note = session_.RowNote(index.row());
      if (!note.empty()) return Utf8(note);
    }
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && section >= 0 && section < static_cast<int>(kPlayersColumns.size())) {
      const PlayersColumnInfo& column = kPlayersColumns[static_cast<std::size_t>(section)];
      if (role == Qt::DisplayRole) return Utf8(column.Caption);
      if (role == Qt::ToolTipRole && !column.Tooltip.empty()) return Utf8(column.Tooltip);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
  }

  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  const PlayersSession& session_;
};

PlayersWindow::PlayersWindow(WindowState& state, MessageSink& messages, QWidget* parent)
    : QWidget(parent, Qt::Window),
      state_(state),
      messages_(messages),
      session_(QLocale::system().decimalPoint().toStdString()) {
  BuildWindow();
  Open();
  RestorePlacement();
}

PlayersWindow::~PlayersWindow() = default;

void PlayersWindow::BuildWindow() {
  setObjectName(QStringLiteral("frmPlayers"));
  setWindowTitle(Utf8(kPlayersWindowTexts.Title));
  resize(kPlayersWindowShape.Width, kPlayersWindowShape.Height);
  setMinimumSize(kPlayersWindowShape.MinWidth, kPlayersWindowShape.MinHeight);
  // Escape closes the window whichever of its controls has the focus.
  auto* close_action = new QAction(this);
  close_action->setShortcut(Qt::Key_Escape);
  close_action->setShortcutContext(Qt::WindowShortcut);
  connect(close_action, &QAction::triggered, this, &QWidget::close);
  addAction(close_action);

  period_ = new QComboBox(this);
  period_->setObjectName(QStringLiteral("cboPeriod"));
  for (PlayersPeriod period : kPlayersPeriods) period_->addItem(Utf8(PeriodCaption(period)));
  connect(period_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    session_.SetPeriod(kPlayersPeriods[static_cast<std::size_t>(index)]);
    ShowTable();
  });
  auto* period_label = new QLabel(Utf8(kPlayersWindowTexts.PeriodLabel), this);
  period_label->setObjectName(QStringLiteral("lblPeriod"));
  period_label->setBuddy(period_);

  model_ = new PlayersTableModel(session_, this);
  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("tblPlayers"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);  // several rows to merge or hide
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->setWordWrap(false);
  table_->setTabKeyNavigation(false);  // Tab goes on to the next control, the arrows move between cells
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(-1, Qt::AscendingOrder);  // slot order until the first click
  header->setSectionResizeMode(QHeaderView::Interactive);
  connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
    session_.ClickHeader(kPlayersColumns[static_cast<std::size_t>(section)].Column);
    ShowTable();
  });
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (showing_table_) return;
    session_.SelectRow(current.isValid() ? current.row() : -1);
    ShowPage();
  });
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!showing_table_) ShowPeopleControls();
  });

  auto* page = new QWidget;
  player_ = new QLabel(page);
  player_->setObjectName(QStringLiteral("lblPlayer"));
  player_->setTextFormat(Qt::PlainText);
  QFont bold = player_->font();
  bold.setBold(true);
  player_->setFont(bold);
  frags_ = new ChartView(page);
  frags_->setObjectName(QStringLiteral("chtFrags"));
  accuracy_ = new ChartView(page);
  accuracy_->setObjectName(QStringLiteral("chtAccuracy"));
  weapon_ = new QComboBox(page);
  weapon_->setObjectName(QStringLiteral("cboAccuracyWeapon"));
  weapon_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(weapon_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_page_ || index < 0) return;
    session_.ChooseWeapon(index);
    accuracy_->SetChart(session_.PageView().Accuracy);
  });
  skill_ = new ChartView(page);
  skill_->setObjectName(QStringLiteral("chtSkill"));
  records_ = ListOf(kRecordColumns, "lstRecords", page);
  matches_ = ListOf(kLastMatchColumns, "lstMatches", page);
  scoreboard_title_ = new QLabel(page);
  scoreboard_title_->setObjectName(QStringLiteral("lblScoreboard"));
  scoreboard_title_->setTextFormat(Qt::PlainText);
  scoreboard_ = ListOf(kScoreboardColumns, "lstScoreboard", page);
  maps_ = ListOf(kMapColumns, "lstMaps", page);
  names_ = ListOf(kNameColumns, "lstNames", page);
  connect(matches_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (showing_page_) return;
    session_.SelectMatch(current != nullptr ? matches_->indexOfTopLevelItem(current) : -1);
    ShowScoreboard(session_.PageView());
  });

  // The heading over the charts side by side; the weapon's choice in the
  // heading's row, over the accuracy chart's right edge.
  auto* charts = new QGridLayout;
  charts->setVerticalSpacing(2);
  charts->addWidget(player_, 0, 0, 1, 2);
  charts->addWidget(weapon_, 0, 1, Qt::AlignRight);
  // What a greyed row means, over the skill chart.
  legend_ = new QLabel(page);
  legend_->setObjectName(QStringLiteral("lblRankLegend"));
  legend_->setEnabled(false);  // greyed as the rows it speaks of
  charts->addWidget(legend_, 0, 2, Qt::AlignRight);
  charts->addWidget(frags_, 1, 0);
  charts->addWidget(accuracy_, 1, 1);
  charts->addWidget(skill_, 1, 2);
  for (int column = 0; column < 3; ++column) charts->setColumnStretch(column, 1);
  charts->setRowStretch(1, 1);
  // A long heading is cut rather than widening the window.
  player_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  auto* scoreboard = new QVBoxLayout;
  scoreboard->setSpacing(2);
  scoreboard->addWidget(scoreboard_title_);
  scoreboard->addWidget(scoreboard_, 1);
  auto* games = new QHBoxLayout;
  games->addWidget(matches_, 11);
  games->addLayout(scoreboard, 9);
  auto* lists = new QHBoxLayout;
  lists->addWidget(records_, 11);
  lists->addWidget(maps_, 9);
  lists->addWidget(names_, 7);
  auto* page_layout = new QVBoxLayout(page);
  page_layout->setContentsMargins(0, 0, 0, 0);
  page_layout->addLayout(charts, 5);
  page_layout->addLayout(games, 4);
  page_layout->addLayout(lists, 3);

  splitter_ = new QSplitter(Qt::Vertical, this);
  splitter_->setObjectName(QStringLiteral("splPlayers"));
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(table_);
  splitter_->addWidget(page);
  splitter_->setStretchFactor(1, 1);  // a taller window gives the page the room
  table_->setMinimumHeight(kPlayersWindowShape.LeastTableHeight);
  page->setMinimumHeight(kPlayersWindowShape.LeastPageHeight);

  auto* head_to_head = new QPushButton(Utf8(kHeadToHeadTexts.OpenButton), this);
  head_to_head->setObjectName(QStringLiteral("cmdHeadToHead"));
  connect(head_to_head, &QPushButton::clicked, this, [this] {
    const int row = session_.SelectedRow();
    if (open_head_to_head_) open_head_to_head_(row >= 0 ? session_.model().Rows()[static_cast<std::size_t>(row)].Slot : 0);
  });

  // The people's commands: on the chosen rows, the hidden names, the minimum of matches.
  const auto button = [&](std::string_view caption, const char* name, auto handler) {
    auto* made = new QPushButton(Utf8(caption), this);
    made->setObjectName(QString::fromLatin1(name));
    connect(made, &QPushButton::clicked, this, handler);
    return made;
  };
  merge_ = button(kPeopleTexts.Merge, "cmdMerge", [this] {
    session_.MergeChosen(state_, messages_, ChosenRows(), Chooser());
    PeopleChanged();
  });
  split_ = button(kPeopleTexts.Split, "cmdSplit", [this] {
    session_.Split(state_, messages_, session_.SelectedRow());
    PeopleChanged();
  });
  hide_ = button(kPeopleTexts.Hide, "cmdHide", [this] {
    session_.Hide(state_, messages_, ChosenRows());
    PeopleChanged();
  });
  hidden_names_ = button(kPeopleTexts.HiddenNames, "cmdHiddenNames", [this] {
    session_.ShowHiddenChosen(state_, messages_, Chooser());
    PeopleChanged();
  });
  minimum_ = new QSpinBox(this);
  minimum_->setObjectName(QStringLiteral("txtRankMinimum"));
  minimum_->setRange(0, static_cast<int>(kMaxRankMinimum));
  minimum_->setKeyboardTracking(false);  // a change when typing ends, not at every digit
  connect(minimum_, &QSpinBox::valueChanged, this, [this](int value) {
    if (value == session_.RankMinimum()) return;
    session_.SetRankMinimum(state_, messages_, value);
    PeopleChanged();
  });
  auto* minimum_label = new QLabel(Utf8(kPeopleTexts.MinimumLabel), this);
  minimum_label->setObjectName(QStringLiteral("lblRankMinimum"));
  minimum_label->setBuddy(minimum_);

  auto* top = new QHBoxLayout;
  top->addWidget(period_label);
  top->addWidget(period_);
  top->addWidget(head_to_head);
  top->addSpacing(12);
  top->addWidget(merge_);
  top->addWidget(split_);
  top->addWidget(hide_);
  top->addWidget(hidden_names_);
  top->addSpacing(12);
  top->addWidget(minimum_label);
  top->addWidget(minimum_);
  top->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(splitter_, 1);

  setTabOrder(period_, head_to_head);
  setTabOrder(head_to_head, merge_);
  setTabOrder(merge_, split_);
  setTabOrder(split_, hide_);
  setTabOrder(hide_, hidden_names_);
  setTabOrder(hidden_names_, minimum_);
  setTabOrder(minimum_, table_);
  setTabOrder(table_, weapon_);
  setTabOrder(weapon_, matches_);
  setTabOrder(matches_, scoreboard_);
  setTabOrder(scoreboard_, records_);
  setTabOrder(records_, maps_);
  setTabOrder(maps_, names_);
  period_->setFocus();
}

void PlayersWindow::RestorePlacement() {
  const PlayersPlacement placement = LoadPlayersPlacement(state_);
  if (placement.Window) {
    const ScreenRect& window = *placement.Window;
    const QRect remembered(window.X, window.Y, window.Width, window.Height);
    const QScreen* screen = QGuiApplication::screenAt(remembered.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      const QRect area = screen->availableGeometry();
      const ScreenRect fitted = FitOnWorkArea(window, {area.x(), area.y(), area.width(), area.height()});
      // The frame's corner where it was: its title bar stays on the screen.
      move(fitted.X, fitted.Y);
      resize(std::max(fitted.Width, minimumWidth()), std::max(fitted.Height, minimumHeight()));
    }
  }
  // The splitter's share from the height it has at this size.
  layout()->activate();
  const int shared = splitter_->height() - splitter_->handleWidth();
  const int table = SplitTableHeight(placement.TableHeight, shared, kPlayersWindowShape.TableShare,
                                     kPlayersWindowShape.LeastTableHeight, kPlayersWindowShape.LeastPageHeight);
  splitter_->setSizes({table, shared - table});
}

void PlayersWindow::closeEvent(QCloseEvent* event) {
  // The frame's corner (as move() takes it) and the size inside the frame.
  const bool normal = !isMaximized() && !isMinimized();
  const QPoint corner = normal ? pos() : normalGeometry().topLeft() - (geometry().topLeft() - pos());
  const QSize size = normal ? this->size() : normalGeometry().size();
  PlayersPlacement placement;
  if (size.isValid() && !size.isEmpty())
    placement.Window = ScreenRect{corner.x(), corner.y(), size.width(), size.height()};
  placement.TableHeight = splitter_->sizes().value(0);
  SavePlayersPlacement(state_, placement);  // a refusal only loses the place
  QWidget::closeEvent(event);
}

void PlayersWindow::Open() {
  session_.Open(state_);
  ShowTable();
  FitColumns();
}

void PlayersWindow::Refresh() {
  session_.Refresh(state_);
  ShowTable();
  FitColumns();
}

void PlayersWindow::FitColumns() {
  // Each column as wide as its caption with the sort arrow, and its longest cell.
  QHeaderView* header = table_->horizontalHeader();
  const std::vector<std::string> longest = session_.LongestCells();
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const int caption = header->fontMetrics().horizontalAdvance(Utf8(kPlayersColumns[c].Caption)) + 28;
    const int cell = table_->fontMetrics().horizontalAdvance(ShownText(longest[c])) + 14;
    header->resizeSection(static_cast<int>(c), std::max(caption, cell));
  }
}

void PlayersWindow::ShowTable() {
  showing_table_ = true;
  model_->Reset();
  const auto& model = session_.model();
  const int sorted = model.SortColumn() ? static_cast<int>(*model.SortColumn()) : -1;
  table_->horizontalHeader()->setSortIndicator(sorted, model.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
  const int row = session_.SelectedRow();
  if (row >= 0) {
    table_->selectionModel()->setCurrentIndex(model_->index(row, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(model_->index(row, 0));
  }
  showing_table_ = false;
  ShowPeopleControls();
  ShowPage();
}

std::vector<int> PlayersWindow::ChosenRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void PlayersWindow::ShowPeopleControls() {
  const std::size_t chosen = ChosenRows().size();
  merge_->setEnabled(chosen >= 2);
  split_->setEnabled(chosen == 1 && session_.CanSplit(session_.SelectedRow()));
  hide_->setEnabled(chosen >= 1);
  hidden_names_->setEnabled(!session_.HiddenNames().empty());
  {
    const QSignalBlocker blocker(minimum_);
    minimum_->setValue(static_cast<int>(session_.RankMinimum()));
  }
  legend_->setText(Utf8(RankLegendText(session_.RankMinimum())));
}

void PlayersWindow::PeopleChanged() {
  ShowTable();
  FitColumns();
  if (people_changed_) people_changed_();
}

QDialog* PlayersWindow::MakeNameDialog(QWidget* parent, std::string_view title, std::string_view prompt,
                                       std::string_view button, const std::vector<std::string>& names) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QStringLiteral("dlgChooseName"));
  dialog->setWindowTitle(Utf8(title));
  auto* label = new QLabel(Utf8(prompt), dialog);
  label->setObjectName(QStringLiteral("lblChoice"));
  auto* list = new QListWidget(dialog);
  list->setObjectName(QStringLiteral("lstChoice"));
  for (const std::string& name : names) list->addItem(ShownText(name));
  list->setCurrentRow(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(Utf8(button));
  buttons->button(QDialogButtonBox::Cancel)->setText(Utf8(kPeopleTexts.Cancel));
  connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  connect(list, &QListWidget::itemDoubleClicked, dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(label);
  layout->addWidget(list, 1);
  layout->addWidget(buttons);
  dialog->resize(360, 260);
  return dialog;
}

namespace {

std::optional<int> AskName(QWidget* parent, std::string_view title, std::string_view prompt, std::string_view button,
                           const std::vector<std::string>& names) {
  QDialog* dialog = PlayersWindow::MakeNameDialog(parent, title, prompt, button, names);
  const bool chosen = dialog->exec() == QDialog::Accepted;
  const int row = dialog->findChild<QListWidget*>(QStringLiteral("lstChoice"))->currentRow();
  delete dialog;
  if (!chosen || row < 0) return std::nullopt;
  return row;
}

}  // namespace

PlayersSession::NameChooser PlayersWindow::Chooser() {
  if (choose_name_) return choose_name_;
  return [this](std::string_view title, std::string_view prompt, std::string_view button,
                const std::vector<std::string>& names) { return AskName(this, title, prompt, button, names); };
}

void PlayersWindow::ShowPage() {
  const PlayersPageView view = session_.PageView();
  player_->setText(ShownText(view.HeadingName) + Utf8(view.HeadingText));
  frags_->SetChart(view.Frags);
  ShowWeapons(view);
  skill_->SetChart(view.Skill);
  Fill(records_, kRecordColumns, view.Records);
  Fill(maps_, kMapColumns, view.Maps);
  Fill(names_, kNameColumns, view.Names);
  showing_page_ = true;
  Fill(matches_, kLastMatchColumns, view.LastMatches);
  if (view.ChosenMatch >= 0) matches_->setCurrentItem(matches_->topLevelItem(view.ChosenMatch));
  showing_page_ = false;
  ShowScoreboard(view);
}

void PlayersWindow::ShowWeapons(const PlayersPageView& view) {
  showing_page_ = true;
  weapon_->clear();
  for (const std::string& choice : view.WeaponChoices) weapon_->addItem(Utf8(choice));
  weapon_->setCurrentIndex(view.WeaponChoices.empty() ? -1 : view.WeaponChoice);
  weapon_->setEnabled(!view.WeaponChoices.empty());
  showing_page_ = false;
  accuracy_->SetChart(view.Accuracy);
}

void PlayersWindow::ShowScoreboard(const PlayersPageView& view) {
  scoreboard_title_->setText(ShownText(view.ScoreboardTitle));
  Fill(scoreboard_, kScoreboardColumns, view.Scoreboard);
}

}  // namespace fragtally
