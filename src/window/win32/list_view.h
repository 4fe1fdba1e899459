#pragma once

// The few things the Players window does with its three report-style list
// views: create one, give it its columns, fill it with rows of text, show
// the sort order in its header and tooltips over its captions.

#include <windows.h>

#include <string>
#include <vector>

namespace fragtally::win32 {

struct ListColumn {
  std::wstring Caption;
  int Width;  // pixels
  bool RightAligned;
};

// A report-style list view with full-row selection and a tab stop; with
// `owner_data` it asks its parent for each cell (LVN_GETDISPINFO).
HWND CreateListView(HWND parent, int id, bool owner_data);
void SetColumns(HWND list, const std::vector<ListColumn>& columns);
// The columns' captions replaced, in column order.
void SetColumnCaptions(HWND list, const std::vector<std::wstring>& captions);
// Each column as wide as its caption and its widest cell, with `padding` beside the text.
void FitColumnsToTexts(HWND list, int padding);
// Replaces every row with `rows` (cells in column order).
void SetRows(HWND list, const std::vector<std::vector<std::wstring>>& rows);
// The header's sort arrow on `column` (none when -1), down when descending.
void SetSortArrow(HWND list, int column, bool descending);
// The width a column of `list` needs for `caption` with the sort arrow
// beside it: the text, the header's margins around the text and the arrow,
// the arrow (its height a third of the header's, twice as wide) and the
// divider, so that the arrow never cuts the caption short.
int CaptionWidthWithArrow(HWND list, const std::wstring& caption);
// The selected row, or -1.
int SelectedItem(HWND list);
// A tooltip over each header caption of `list` whose text in `texts` (in
// column order) is not empty; it goes with the list's window. PlaceHeaderTooltips follows
// the captions after their widths changed.
HWND CreateHeaderTooltips(HWND list, const std::vector<std::wstring>& texts);
void PlaceHeaderTooltips(HWND tooltips, HWND list);

}  // namespace fragtally::win32
