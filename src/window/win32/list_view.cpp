#include "window/win32/list_view.h"

#include <commctrl.h>

#include <algorithm>

namespace fragtally::win32 {

HWND CreateListView(HWND parent, int id, bool owner_data) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
  if (owner_data) style |= LVS_OWNERDATA;
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  return list;
}

void SetColumns(HWND list, const std::vector<ListColumn>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    // The first column of a list view is always left-aligned.
    column.fmt = columns[i].RightAligned && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = columns[i].Width;
    column.pszText = const_cast<wchar_t*>(columns[i].Caption.c_str());
    column.iSubItem = static_cast<int>(i);
    ListView_InsertColumn(list, static_cast<int>(i), &column);
  }
}

void SetColumnCaptions(HWND list, const std::vector<std::wstring>& captions) {
  for (std::size_t i = 0; i < captions.size(); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(captions[i].c_str());
    ListView_SetColumn(list, static_cast<int>(i), &column);
  }
}

void FitColumnsToTexts(HWND list, int padding) {
  HWND header = ListView_GetHeader(list);
  const int columns = Header_GetItemCount(header), rows = ListView_GetItemCount(list);
  wchar_t text[512];
  for (int c = 0; c < columns; ++c) {
    HDITEMW caption{};
    caption.mask = HDI_TEXT;
    caption.pszText = text;
    caption.cchTextMax = 512;
    text[0] = L'\0';
    Header_GetItem(header, c, &caption);
    int widest = ListView_GetStringWidth(list, text);
    for (int r = 0; r < rows; ++r) {
      ListView_GetItemText(list, r, c, text, 512);
      widest = std::max(widest, ListView_GetStringWidth(list, text));
    }
    ListView_SetColumnWidth(list, c, widest + padding);
  }
}

void SetRows(HWND list, const std::vector<std::vector<std::wstring>>& rows) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = const_cast<wchar_t*>(rows[r][c].c_str());
      if (c == 0) {
        ListView_InsertItem(list, &item);
      } else {
        ListView_SetItem(list, &item);
      }
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void SetSortArrow(HWND list, int column, bool descending) {
  HWND header = ListView_GetHeader(list);
  const int count = Header_GetItemCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, i, &item);
  }
}

int CaptionWidthWithArrow(HWND list, const std::wstring& caption) {
  HWND header = ListView_GetHeader(list);
  const int text = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(caption.c_str())));
  const int margin = std::max(static_cast<int>(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0)), 1);
  RECT bar{};
  GetWindowRect(header, &bar);
  const int arrow_height = std::max(static_cast<int>(bar.bottom - bar.top) / 3, 4);
  // Margins either side of the text and of the arrow; a pressed caption moves 2 pixels; the divider's edge.
  return text + 4 * margin + 2 * arrow_height + 2 + 2;
}

int SelectedItem(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

HWND CreateHeaderTooltips(HWND list, const std::vector<std::wstring>& texts) {
  HWND tooltips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr);
  if (tooltips == nullptr) return nullptr;
  SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, 400);  // long texts wrap
  HWND header = ListView_GetHeader(list);
  for (std::size_t c = 0; c < texts.size(); ++c) {
    if (texts[c].empty()) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = header;
    tool.uId = c;
    Header_GetItemRect(header, static_cast<int>(c), &tool.rect);
    tool.lpszText = const_cast<wchar_t*>(texts[c].c_str());  // copied by the control
    SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tooltips;
}

void PlaceHeaderTooltips(HWND tooltips, HWND list) {
  HWND header = ListView_GetHeader(list);
  const int count = Header_GetItemCount(header);
  for (int c = 0; c < count; ++c) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = header;
    tool.uId = static_cast<UINT_PTR>(c);
    Header_GetItemRect(header, c, &tool.rect);
    SendMessageW(tooltips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

}  // namespace fragtally::win32
