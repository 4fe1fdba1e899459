#include "window/win32/players_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/matches/people.h"
#include "app/players_window/placement.h"
#include "app/text/text_decoding.h"
#include "window/win32/head_to_head_window.h"
#include "window/win32/chart_paint.h"
#include "window/win32/list_view.h"
#include "window/win32/name_dialog.h"
#include "window/win32/splitter.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"Fragtally.Players";
// The lists with tooltips over their captions, in the order of tooltips_.
constexpr int kTooltipLists[] = {kPlayersTableId, kRecordsId, kLastMatchesId, kMapsId, kScoreboardId, kNamesId};

std::wstring Display(std::string_view bytes) { return Wide(DisplayText(bytes)); }

template <std::size_t N>
std::vector<ListColumn> ColumnsOf(const std::array<PageListColumn, N>& columns) {
  std::vector<ListColumn> made;
  for (const PageListColumn& column : columns) made.push_back({FromUtf8(column.Caption), 0, column.Align == CellAlign::Right});
  return made;
}

template <class Column, std::size_t N>
std::vector<std::wstring> TooltipsOf(const std::array<Column, N>& columns) {
  std::vector<std::wstring> texts;
  for (const Column& column : columns) texts.push_back(FromUtf8(column.Tooltip));
  return texts;
}

// Replaces the rows of `list` (each cell decoded by itself); the columns fit
// their captions and cells, with `padding` beside the text.
void Fill(HWND list, const std::vector<std::vector<std::string>>& rows, int padding) {
  const auto width = [&](const wchar_t* text) {
    return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)));
  };
  HWND header = ListView_GetHeader(list);
  std::vector<int> widths(static_cast<std::size_t>(Header_GetItemCount(header)));
  for (std::size_t c = 0; c < widths.size(); ++c) {
    wchar_t caption[128] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = caption;
    item.cchTextMax = 128;
    Header_GetItem(header, static_cast<int>(c), &item);
    widths[c] = width(caption);
  }
  std::vector<std::vector<std::wstring>> shown;
  shown.reserve(rows.size());
  for (const std::vector<std::string>& cells : rows) {
    std::vector<std::wstring>& row = shown.emplace_back();
    for (const std::string& cell : cells) {
      row.push_back(Display(cell));
      if (row.size() <= widths.size()) widths[row.size() - 1] = std::max(widths[row.size() - 1], width(row.back().c_str()));
    }
  }
  SetRows(list, shown);
  for (std::size_t c = 0; c < widths.size(); ++c) ListView_SetColumnWidth(list, static_cast<int>(c), widths[c] + padding);
}

}  // namespace

PlayersWindow::PlayersWindow(HINSTANCE instance, HWND owner, UINT dpi, HFONT font, std::string decimal_separator,
                             MessageSink& messages)
    : OwnedWindow(instance, owner, dpi, font), messages_(messages), session_(std::move(decimal_separator)) {}

HWND PlayersWindow::HeaderTooltips(int id) const {
  for (std::size_t i = 0; i < tooltips_.size(); ++i)
    if (kTooltipLists[i] == id) return tooltips_[i];
  return nullptr;
}

bool PlayersWindow::Open(WindowState& state) {
  files_ = &state;
  state_ = &state;
  if (hwnd_ == nullptr && !Create(state)) return false;
  session_.Open(state);
  ShowTable();
  FitColumns();
  BringUp();
  return true;
}

void PlayersWindow::Refresh(WindowState& state) {
  if (hwnd_ == nullptr) return;
  state_ = &state;
  session_.Refresh(state);
  ShowTable();
  FitColumns();
}

void PlayersWindow::FitColumns() {
  // Each column as wide as its caption with the sort arrow, and its longest cell.
  HWND table = Control(kPlayersTableId);
  const std::vector<std::string> longest = session_.LongestCells();
  const auto width = [&](const std::wstring& text) {
    return static_cast<int>(SendMessageW(table, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
  };
  for (std::size_t c = 0; c < kPlayersColumns.size(); ++c) {
    const int caption = CaptionWidthWithArrow(table, FromUtf8(kPlayersColumns[c].Caption));
    const int cell = width(Display(longest[c])) + Scaled(14);
    ListView_SetColumnWidth(table, static_cast<int>(c), std::max(caption, cell));
  }
  PlaceTooltips();
}

bool PlayersWindow::Create(const FileState& files) {
  ScreenRect place = DefaultPlace(kPlayersWindowShape.Width, kPlayersWindowShape.Height);
  // Where it was left, on the screen nearest to that, within its work area.
  const PlayersPlacement placement = LoadPlayersPlacement(files);
  table_height_ = placement.TableHeight;
  if (placement.Window) {
    const ScreenRect& window = *placement.Window;
    const RECT remembered{window.X, window.Y, window.X + window.Width, window.Y + window.Height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&remembered, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      place = FitOnWorkArea(window, {work.left, work.top, work.right - work.left, work.bottom - work.top});
    }
  }
  if (!CreateWindowOf(*this, kWindowClass, 0, kPlayersWindowTexts.Title, place, kPlayersWindowId)) return false;
  CreateControls();
  Layout();
  return true;
}

void PlayersWindow::CreateControls() {
  // Created in the tab order: period (its label just before it, so that
  // Alt and the label's letter reach it), table, the accuracy chart's
  // weapon, last games, scoreboard, records, maps.
  AddControl(WC_STATICW, SS_LEFT | SS_CENTERIMAGE, kPeriodLabelId, FromUtf8(kPlayersWindowTexts.PeriodLabel));
  HWND period = AddControl(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, kPeriodId);
  for (PlayersPeriod p : kPlayersPeriods)
    SendMessageW(period, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromUtf8(PeriodCaption(p)).c_str()));
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kHeadToHeadButtonId, FromUtf8(kHeadToHeadTexts.OpenButton));
  // The people's commands, then the minimum of matches (its label first, for Alt and its letter).
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kMergeButtonId, FromUtf8(kPeopleTexts.Merge));
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kSplitButtonId, FromUtf8(kPeopleTexts.Split));
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kHideButtonId, FromUtf8(kPeopleTexts.Hide));
  AddControl(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kHiddenNamesButtonId, FromUtf8(kPeopleTexts.HiddenNames));
  AddControl(WC_STATICW, SS_LEFT | SS_CENTERIMAGE, kRankMinimumLabelId, FromUtf8(kPeopleTexts.MinimumLabel));
  HWND minimum = AddControl(WC_EDITW, WS_TABSTOP | ES_NUMBER | ES_RIGHT, kRankMinimumId, {}, WS_EX_CLIENTEDGE);
  SendMessageW(minimum, EM_LIMITTEXT, 4, 0);
  HWND spin = AddControl(UPDOWN_CLASSW, UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_SETBUDDYINT, kRankMinimumSpinId);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(minimum), 0);
  SendMessageW(spin, UDM_SETRANGE32, 0, static_cast<LPARAM>(kMaxRankMinimum));

  HWND table = AddList(kPlayersTableId, true);
  // Several rows to merge or hide; the reason of a greyed row over it.
  SetWindowLongPtrW(table, GWL_STYLE, GetWindowLongPtrW(table, GWL_STYLE) & ~static_cast<LONG_PTR>(LVS_SINGLESEL));
  ListView_SetExtendedListViewStyleEx(table, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
  std::vector<ListColumn> columns;
  for (const PlayersColumnInfo& info : kPlayersColumns)
    columns.push_back({FromUtf8(info.Caption), 0, info.Align == CellAlign::Right});
  SetColumns(table, columns);
  tooltips_[0] = CreateHeaderTooltips(table, TooltipsOf(kPlayersColumns));
  CreateSplitter(hwnd_, kSplitterId);
  AddControl(WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, kAccuracyWeaponId);

  const auto list = [&](int id, const auto& list_columns) {
    HWND made = AddList(id, false);
    SetColumns(made, ColumnsOf(list_columns));
    return made;
  };
  HWND matches = list(kLastMatchesId, kLastMatchColumns);
  AddControl(WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_CENTERIMAGE, kScoreboardTitleId);
  HWND scoreboard = list(kScoreboardId, kScoreboardColumns);
  HWND records = list(kRecordsId, kRecordColumns);
  HWND maps = list(kMapsId, kMapColumns);
  HWND names = list(kNamesId, kNameColumns);
  tooltips_[1] = CreateHeaderTooltips(records, TooltipsOf(kRecordColumns));
  tooltips_[2] = CreateHeaderTooltips(matches, TooltipsOf(kLastMatchColumns));
  tooltips_[3] = CreateHeaderTooltips(maps, TooltipsOf(kMapColumns));
  tooltips_[4] = CreateHeaderTooltips(scoreboard, TooltipsOf(kScoreboardColumns));
  tooltips_[5] = CreateHeaderTooltips(names, TooltipsOf(kNameColumns));

  // The page's heading (bold, as a heading) and charts: no tab stops.
  AddHeading(kPlayerHeadingId, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS);
  AddControl(WC_STATICW, SS_RIGHT | SS_NOPREFIX | SS_ENDELLIPSIS, kRankLegendId);
  AddControl(WC_STATICW, SS_OWNERDRAW, kFragsChartId);
  AddControl(WC_STATICW, SS_OWNERDRAW, kAccuracyChartId);
  AddControl(WC_STATICW, SS_OWNERDRAW, kSkillChartId);
}

void PlayersWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scaled(8), gap = Scaled(6);
  const int width = client.right - 2 * margin, height = client.bottom;
  // The period's label as wide as its text; the combo box's height holds
  // its drop-down list.
  const int label_width = TextWidth(kPeriodLabelId);
  Place(kPeriodId, margin + label_width + gap, margin, Scaled(180), Scaled(160));
  RECT combo;
  GetWindowRect(Control(kPeriodId), &combo);
  Place(kPeriodLabelId, margin, margin, label_width, combo.bottom - combo.top);
  const int top_height = combo.bottom - combo.top;
  int x = margin + label_width + gap + Scaled(180) + gap;
  const auto next = [&](int id, int w) {
    Place(id, x, margin, w, top_height);
    x += w + gap;
  };
  next(kHeadToHeadButtonId, Scaled(130));
  x += gap;
  next(kMergeButtonId, Scaled(100));
  next(kSplitButtonId, Scaled(90));
  next(kHideButtonId, Scaled(80));
  next(kHiddenNamesButtonId, Scaled(120));
  x += gap;
  next(kRankMinimumLabelId, TextWidth(kRankMinimumLabelId));
  next(kRankMinimumId, Scaled(60));
  SendMessageW(Control(kRankMinimumSpinId), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(kRankMinimumId)), 0);
  const int table_top = margin + (combo.bottom - combo.top) + gap;
  // The table takes the upper part as far as the splitter bar; the page has
  // the rest: the heading, the charts side by side (the accuracy chart's
  // weapon over it), the last games beside the chosen match's scoreboard,
  // the records beside the maps.
  const int shared = height - table_top - margin - gap;
  const int table_height = SplitTableHeight(table_height_, shared, kPlayersWindowShape.TableShare,
                                            Scaled(kPlayersWindowShape.LeastTableHeight),
                                            Scaled(kPlayersWindowShape.LeastPageHeight));
  Place(kPlayersTableId, margin, table_top, width, table_height);
  Place(kSplitterId, margin, table_top + table_height, width, gap);
  // The heading's row holds the accuracy chart's weapon at the right edge
  // of that chart's column; the heading has the room left of it.
  const int heading_top = table_top + table_height + gap, heading_height = Scaled(18);
  const int row_height = std::max(heading_height, static_cast<int>(combo.bottom - combo.top));
  const int chart_width = (width - 2 * gap) / 3, weapon_width = std::min(Scaled(150), chart_width);
  const int weapon_x = margin + 2 * chart_width + gap - weapon_width;
  Place(kPlayerHeadingId, margin, heading_top + (row_height - heading_height) / 2, weapon_x - gap - margin, heading_height);
  // What a greyed row means, over the skill chart.
  const int legend_x = margin + 2 * (chart_width + gap);
  Place(kRankLegendId, legend_x, heading_top + (row_height - heading_height) / 2, margin + width - legend_x, heading_height);
  Place(kAccuracyWeaponId, weapon_x, heading_top, weapon_width, Scaled(200));
  const int charts_top = heading_top + row_height + gap / 2;
  const int rest = height - margin - charts_top;
  const int chart_height = rest * 5 / 12;
  Place(kFragsChartId, margin, charts_top, chart_width, chart_height);
  Place(kAccuracyChartId, margin + chart_width + gap, charts_top, chart_width, chart_height);
  Place(kSkillChartId, margin + 2 * (chart_width + gap), charts_top, width - 2 * (chart_width + gap), chart_height);
  const int games_top = charts_top + chart_height + gap;
  const int games_height = (height - margin - games_top - gap) * 4 / 7;
  const int left_width = (width - gap) * 11 / 20, right_x = margin + left_width + gap, right_width = width - left_width - gap;
  Place(kLastMatchesId, margin, games_top, left_width, games_height);
  Place(kScoreboardTitleId, right_x, games_top, right_width, heading_height);
  Place(kScoreboardId, right_x, games_top + heading_height, right_width, games_height - heading_height);
  const int lists_top = games_top + games_height + gap, lists_height = height - margin - lists_top;
  Place(kRecordsId, margin, lists_top, left_width, lists_height);
  const int maps_width = (right_width - gap) * 9 / 16;
  Place(kMapsId, right_x, lists_top, maps_width, lists_height);
  Place(kNamesId, right_x + maps_width + gap, lists_top, right_width - maps_width - gap, lists_height);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void PlayersWindow::ShowTable() {
  const PlayersWindowModel& model = session_.model();
  SendMessageW(Control(kPeriodId), CB_SETCURSEL,
               static_cast<WPARAM>(std::find(kPlayersPeriods.begin(), kPlayersPeriods.end(), model.Period()) -
                                   kPlayersPeriods.begin()),
               0);
  HWND table = Control(kPlayersTableId);
  SetSortArrow(table, model.SortColumn() ? static_cast<int>(*model.SortColumn()) : -1, model.SortDescending());
  showing_ = true;
  ListView_SetItemCountEx(table, session_.RowCount(), LVSICF_NOSCROLL);
  ListView_SetItemState(table, -1, 0, LVIS_SELECTED);
  if (const int row = session_.SelectedRow(); row >= 0) {
    ListView_SetItemState(table, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(table, row, FALSE);
  }
  showing_ = false;
  InvalidateRect(table, nullptr, FALSE);
  ShowPeopleControls();
  ShowPage();
}

std::vector<int> PlayersWindow::ChosenRows() const {
  std::vector<int> rows;
  HWND table = Control(kPlayersTableId);
  for (int row = ListView_GetNextItem(table, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(table, row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

void PlayersWindow::ShowPeopleControls() {
  const std::size_t chosen = ChosenRows().size();
  EnableWindow(Control(kMergeButtonId), chosen >= 2);
  EnableWindow(Control(kSplitButtonId), chosen == 1 && session_.CanSplit(session_.SelectedRow()));
  EnableWindow(Control(kHideButtonId), chosen >= 1);
  EnableWindow(Control(kHiddenNamesButtonId), !session_.HiddenNames().empty());
  // A disabled control cannot keep the focus: the table takes it.
  HWND focus = GetFocus();
  if (focus != nullptr && GetParent(focus) == hwnd_ && !IsWindowEnabled(focus)) SetFocus(Control(kPlayersTableId));
  SendMessageW(Control(kRankMinimumSpinId), UDM_SETPOS32, 0, static_cast<LPARAM>(session_.RankMinimum()));
  SetWindowTextW(Control(kRankLegendId), FromUtf8(RankLegendText(session_.RankMinimum())).c_str());
}

std::optional<int> PlayersWindow::AskName(std::string_view title, std::string_view prompt, std::string_view button,
                                          const std::vector<std::string>& names) {
  if (choose_name_) return choose_name_(title, prompt, button, names);
  std::vector<std::wstring> shown;
  for (const std::string& name : names) shown.push_back(Display(name));
  return ChooseName(hwnd_, dpi_, font_,
                    {FromUtf8(title), FromUtf8(prompt), FromUtf8(button), FromUtf8(kPeopleTexts.Cancel)}, shown);
}

void PlayersWindow::RunPeopleCommand(int id) {
  if (state_ == nullptr || hwnd_ == nullptr || !IsWindowVisible(hwnd_)) return;
  const PlayersSession::NameChooser chooser = [this](std::string_view title, std::string_view prompt,
                                                     std::string_view button, const std::vector<std::string>& names) {
    return AskName(title, prompt, button, names);
  };
  switch (id) {
    case kMergeButtonId: session_.MergeChosen(*state_, messages_, ChosenRows(), chooser); break;
    case kSplitButtonId: session_.Split(*state_, messages_, session_.SelectedRow()); break;
    case kHideButtonId: session_.Hide(*state_, messages_, ChosenRows()); break;
    case kHiddenNamesButtonId: session_.ShowHiddenChosen(*state_, messages_, chooser); break;
    case kRankMinimumId: {
      BOOL read = FALSE;
      const UINT minimum = GetDlgItemInt(hwnd_, kRankMinimumId, &read, FALSE);
      if (!read || static_cast<std::int64_t>(minimum) == session_.RankMinimum()) {
        ShowPeopleControls();  // an empty edit shows the minimum again
        return;
      }
      session_.SetRankMinimum(*state_, messages_, minimum);
      break;
    }
    default: return;
  }
  ShowTable();
  FitColumns();
  if (people_changed_) people_changed_();
}

void PlayersWindow::ShowPage() {
  const PlayersPageView view = session_.PageView();
  SetWindowTextW(Control(kPlayerHeadingId), (Display(view.HeadingName) + FromUtf8(view.HeadingText)).c_str());
  frags_ = view.Frags;
  ShowWeapons(view);
  skill_ = view.Skill;
  Fill(Control(kRecordsId), view.Records, Scaled(16));
  Fill(Control(kMapsId), view.Maps, Scaled(16));
  Fill(Control(kNamesId), view.Names, Scaled(16));
  HWND matches = Control(kLastMatchesId);
  showing_page_ = true;
  Fill(matches, view.LastMatches, Scaled(16));
  if (view.ChosenMatch >= 0)
    ListView_SetItemState(matches, view.ChosenMatch, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  showing_page_ = false;
  ShowScoreboard(view);
  for (int chart : {kFragsChartId, kAccuracyChartId, kSkillChartId}) InvalidateRect(Control(chart), nullptr, FALSE);
}

void PlayersWindow::ShowWeapons(const PlayersPageView& view) {
  HWND weapon = Control(kAccuracyWeaponId);
  SendMessageW(weapon, CB_RESETCONTENT, 0, 0);
  for (const std::string& choice : view.WeaponChoices)
    SendMessageW(weapon, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromUtf8(choice).c_str()));
  SendMessageW(weapon, CB_SETCURSEL, view.WeaponChoices.empty() ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(view.WeaponChoice), 0);
  EnableWindow(weapon, !view.WeaponChoices.empty());
  accuracy_ = view.Accuracy;
  InvalidateRect(Control(kAccuracyChartId), nullptr, FALSE);
}

void PlayersWindow::SavePlacement() {
  if (files_ == nullptr) return;
  PlayersPlacement placement;
  WINDOWPLACEMENT shown{};
  shown.length = sizeof shown;
  RECT window{};
  if (IsIconic(hwnd_) || IsZoomed(hwnd_)) {
    if (GetWindowPlacement(hwnd_, &shown)) window = shown.rcNormalPosition;
  } else {
    GetWindowRect(hwnd_, &window);
  }
  if (window.right > window.left && window.bottom > window.top)
    placement.Window = ScreenRect{window.left, window.top, window.right - window.left, window.bottom - window.top};
  RECT table;
  GetWindowRect(Control(kPlayersTableId), &table);
  placement.TableHeight = table.bottom - table.top;
  SavePlayersPlacement(*files_, placement);  // a refusal only loses the place
}

void PlayersWindow::ShowScoreboard(const PlayersPageView& view) {
  SetWindowTextW(Control(kScoreboardTitleId), FromUtf8(view.ScoreboardTitle).c_str());
  Fill(Control(kScoreboardId), view.Scoreboard, Scaled(16));
  PlaceTooltips();
}

void PlayersWindow::PlaceTooltips() {
  for (std::size_t i = 0; i < tooltips_.size(); ++i)
    if (tooltips_[i] != nullptr) PlaceHeaderTooltips(tooltips_[i], Control(kTooltipLists[i]));
}

LRESULT PlayersWindow::OnNotify(const NMHDR& header) {
  // A column's width changed: the tooltips follow the captions.
  if (header.code == HDN_ITEMCHANGEDW || header.code == HDN_ENDTRACKW) {
    PlaceTooltips();
    return 0;
  }
  if (header.idFrom == kLastMatchesId) {
    if (header.code == LVN_ITEMCHANGED && !showing_page_) {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0) {
        session_.SelectMatch(change.iItem);
        ShowScoreboard(session_.PageView());
      }
    }
    return 0;
  }
  if (header.idFrom != kPlayersTableId) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item;
      if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 || item.iItem >= session_.RowCount() || item.iSubItem < 0 ||
          item.iSubItem >= static_cast<int>(kPlayersColumns.size()))
        return 0;
      cell_ = Display(session_.CellText(item.iItem, kPlayersColumns[static_cast<std::size_t>(item.iSubItem)].Column));
      item.pszText = cell_.data();
      return 0;
    }
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
      if (column >= 0 && column < static_cast<int>(kPlayersColumns.size())) {
        session_.ClickHeader(kPlayersColumns[static_cast<std::size_t>(column)].Column);
        ShowTable();
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      if (showing_) return 0;
      // The page follows the row last chosen (the focused one), of several.
      const int focused = ListView_GetNextItem(header.hwndFrom, -1, LVNI_FOCUSED);
      const int row = focused >= 0 && (ListView_GetItemState(header.hwndFrom, focused, LVIS_SELECTED) & LVIS_SELECTED) != 0
                          ? focused
                          : SelectedItem(header.hwndFrom);
      if (row != session_.SelectedRow()) {
        session_.SelectRow(row);
        ShowPage();
      }
      ShowPeopleControls();
      return 0;
    }
    case LVN_ODSTATECHANGED:  // a range chosen with Shift
      if (!showing_) ShowPeopleControls();
      return 0;
    case LVN_GETINFOTIPW: {
      auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header));
      const std::wstring note = FromUtf8(session_.RowNote(tip.iItem));
      if (!note.empty() && tip.cchTextMax > 0) {
        const std::size_t length = std::min<std::size_t>(note.size(), static_cast<std::size_t>(tip.cchTextMax - 1));
        std::copy_n(note.c_str(), length, tip.pszText);
        tip.pszText[length] = L'\0';
      }
      return 0;
    }
    case NM_CUSTOMDRAW: {
      // A row below the minimum of matches greyed.
      auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        const int row = static_cast<int>(draw.nmcd.dwItemSpec);
        if (row >= 0 && row < session_.RowCount() && !session_.Ranked(row)) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
      }
      return CDRF_DODEFAULT;
    }
  }
  return 0;
}

void PlayersWindow::Destroyed() {
  Forget();
  frags_ = accuracy_ = skill_ = nullptr;
  tooltips_ = {};
}

LRESULT PlayersWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) {  // Escape
        DestroyWindow(hwnd_);
      } else if (LOWORD(wparam) == kHeadToHeadButtonId && HIWORD(wparam) == BN_CLICKED) {
        const int row = session_.SelectedRow();
        if (open_head_to_head_)
          open_head_to_head_(row >= 0 ? session_.model().Rows()[static_cast<std::size_t>(row)].Slot : 0);
      } else if (LOWORD(wparam) >= kMergeButtonId && LOWORD(wparam) <= kHiddenNamesButtonId &&
                 HIWORD(wparam) == BN_CLICKED) {
        RunPeopleCommand(LOWORD(wparam));
      } else if ((LOWORD(wparam) == kRankMinimumId && HIWORD(wparam) == EN_KILLFOCUS) ||
                 (LOWORD(wparam) == IDOK && GetFocus() == Control(kRankMinimumId))) {  // Enter in it
        RunPeopleCommand(kRankMinimumId);
      } else if (LOWORD(wparam) == kAccuracyWeaponId && HIWORD(wparam) == CBN_SELCHANGE) {
        const LRESULT index = SendMessageW(Control(kAccuracyWeaponId), CB_GETCURSEL, 0, 0);
        session_.ChooseWeapon(static_cast<int>(index));
        accuracy_ = session_.PageView().Accuracy;
        InvalidateRect(Control(kAccuracyChartId), nullptr, FALSE);
      } else if (LOWORD(wparam) == kPeriodId && HIWORD(wparam) == CBN_SELCHANGE) {
        const LRESULT index = SendMessageW(Control(kPeriodId), CB_GETCURSEL, 0, 0);
        if (index >= 0 && index < static_cast<LRESULT>(kPlayersPeriods.size())) {
          session_.SetPeriod(kPlayersPeriods[static_cast<std::size_t>(index)]);
          ShowTable();
        }
      }
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      const Chart* chart = item.CtlID == kFragsChartId ? frags_ : item.CtlID == kSkillChartId ? skill_ : accuracy_;
      if (chart == nullptr) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
      } else {
        PaintChart(item.hDC, item.rcItem, *chart, dpi_, font_);
      }
      return TRUE;
    }
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout();
      return 0;
    case WM_VSCROLL:  // the minimum's arrows: the new value once they stop
      if (reinterpret_cast<HWND>(lparam) == Control(kRankMinimumSpinId) && LOWORD(wparam) == SB_ENDSCROLL)
        RunPeopleCommand(kRankMinimumId);
      return 0;
    case kSplitterDragged: {
      // The table's height is what lies above the bar; Layout keeps both parts their room.
      RECT table;
      GetWindowRect(Control(kPlayersTableId), &table);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&table), 2);
      table_height_ = static_cast<int>(lparam) - table.top;
      Layout();
      GetWindowRect(Control(kPlayersTableId), &table);
      table_height_ = table.bottom - table.top;
      PlaceTooltips();
      return 0;
    }
    case WM_DESTROY:
      SavePlacement();
      break;
  }
  return DefaultMessage(message, wparam, lparam, kPlayersWindowShape.MinWidth, kPlayersWindowShape.MinHeight,
                        kPlayersTableId);
}

}  // namespace fragtally::win32
