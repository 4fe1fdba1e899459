#include "window/qt/players_window.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTreeWidget>

#include "window/qt/chart_painter.h"
#include "window/qt/form1.h"

namespace fragtally {

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QTreeWidget* ListOf(const QStringList& captions, const char* name, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setColumnCount(static_cast<int>(captions.size()));
  list->setHeaderLabels(captions);
  return list;
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
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(Qt::AlignVCenter | (column.Align == CellAlign::Right ? Qt::AlignRight : Qt::AlignLeft));
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
      return Utf8(kPlayersColumns[static_cast<std::size_t>(section)].Caption);
    return QAbstractTableModel::headerData(section, orientation, role);
  }

  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  const PlayersSession& session_;
};

PlayersWindow::PlayersWindow(const WindowState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), session_(QLocale::system().decimalPoint().toStdString()) {
  BuildWindow();
  Refresh();
}

PlayersWindow::~PlayersWindow() = default;

void PlayersWindow::BuildWindow() {
  setObjectName(QStringLiteral("frmPlayers"));
  setWindowTitle(QStringLiteral("Игроки"));
  resize(900, 640);

  period_ = new QComboBox(this);
  period_->setObjectName(QStringLiteral("cboPeriod"));
  for (PlayersPeriod period : kPlayersPeriods) period_->addItem(Utf8(PeriodCaption(period)));
  connect(period_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    session_.SetPeriod(kPlayersPeriods[static_cast<std::size_t>(index)]);
    ShowTable();
  });
  auto* period_label = new QLabel(QStringLiteral("&Период:"), this);
  period_label->setBuddy(period_);

  model_ = new PlayersTableModel(session_, this);
  table_ = new QTableView;
  table_->setObjectName(QStringLiteral("tblPlayers"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(-1, Qt::AscendingOrder);  // slot order until the first click
  header->setSectionResizeMode(QHeaderView::Interactive);
  // Each column as wide as its caption and the sort arrow (measuring every
  // row would cost too much with thousands of players); names and dates wider.
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const int caption = header->fontMetrics().horizontalAdvance(Utf8(kPlayersColumns[c].Caption)) + 28;
    const bool text = kPlayersColumns[c].Sort != SortKind::Number;
    header->resizeSection(static_cast<int>(c), std::max(caption, text ? 140 : 56));
  }
  connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
    session_.ClickHeader(kPlayersColumns[static_cast<std::size_t>(section)].Column);
    ShowTable();
  });
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (showing_table_) return;
    session_.SelectRow(current.isValid() ? current.row() : -1);
    ShowPage();
  });

  auto* page = new QWidget;
  player_ = new QLabel(page);
  player_->setTextFormat(Qt::PlainText);
  QFont bold = player_->font();
  bold.setBold(true);
  player_->setFont(bold);
  frags_ = new ChartView(page);
  frags_->setObjectName(QStringLiteral("chtFrags"));
  accuracy_ = new ChartView(page);
  accuracy_->setObjectName(QStringLiteral("chtAccuracy"));
  records_ = ListOf({QStringLiteral("Рекорд"), QStringLiteral("Значение"), QStringLiteral("Матч")}, "lstRecords", page);
  QStringList match_captions;
  for (std::string_view caption : kMatchColumnCaptions) match_captions.append(Utf8(caption));
  matches_ = ListOf(match_captions, "lstMatches", page);

  auto* charts = new QHBoxLayout;
  charts->addWidget(frags_);
  charts->addWidget(accuracy_);
  auto* lists = new QHBoxLayout;
  lists->addWidget(records_, 1);
  lists->addWidget(matches_, 1);
  auto* page_layout = new QVBoxLayout(page);
  page_layout->setContentsMargins(0, 0, 0, 0);
  page_layout->addWidget(player_);
  page_layout->addLayout(charts, 5);
  page_layout->addLayout(lists, 4);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(table_);
  splitter->addWidget(page);
  splitter->setSizes({180, 420});

  auto* top = new QHBoxLayout;
  top->addWidget(period_label);
  top->addWidget(period_);
  top->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(splitter, 1);

  setTabOrder(period_, table_);
  setTabOrder(table_, records_);
  setTabOrder(records_, matches_);
  period_->setFocus();
}

void PlayersWindow::Refresh() {
  session_.Refresh(state_);
  ShowTable();
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
  ShowPage();
}

void PlayersWindow::ShowPage() {
  records_->clear();
  matches_->clear();
  const std::optional<PlayerPage>& page = session_.Page();
  const bool charts = page && page->MatchCount > 0;
  frags_->SetChart(charts ? &page->Frags : nullptr);
  accuracy_->SetChart(charts ? &page->Accuracy : nullptr);
  if (!page) {
    player_->setText(QStringLiteral("Выберите игрока в таблице."));
    return;
  }
  player_->setText(page->MatchCount == 0
                       ? ShownText(page->Name) + QStringLiteral(": в журнале нет матчей этого игрока.")
                       : ShownText(page->Name) + QStringLiteral(", матчей в журнале: ") + QString::number(page->MatchCount));
  for (const PlayerRecord& record : page->Records) {
    QString match;
    if (!record.Value.empty()) {
      match = ShownText(record.Session);
      if (!match.isEmpty()) match += QStringLiteral(", ");
      match += QStringLiteral("матч ") + QString::number(record.Position);
    }
    auto* item = new QTreeWidgetItem(records_, {Utf8(record.Caption),
                                                record.Value.empty() ? QStringLiteral("—") : Utf8(record.Value), match});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (const JournalMatch* match : page->LastMatches) {
    auto* item = new QTreeWidgetItem(matches_);
    for (std::size_t column = 0; column < kMatchColumnCaptions.size(); ++column) {
      const int c = static_cast<int>(column);
      item->setText(c, ShownText(MatchCellText(*match, column)));
      if (column > 0) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  // A few rows each: the columns fit their texts.
  for (QTreeWidget* list : {records_, matches_})
    for (int c = 0; c < list->columnCount(); ++c) list->resizeColumnToContents(c);
}

void PlayersWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace fragtally
