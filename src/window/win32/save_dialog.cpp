#include "window/win32/save_dialog.h"

#include <commdlg.h>

#include <vector>

namespace fragtally::win32 {

SaveRequest SaveRequestFor(ExportKind kind) {
  using namespace std::string_literals;
  if (kind == ExportKind::Html)
    return {kind, L"Отчёт Fragtally.html", L"Страница HTML (*.html)\0*.html;*.htm\0Все файлы (*.*)\0*.*\0"s, L"html"};
  return {kind, L"Игроки Fragtally.csv", L"Таблица CSV (*.csv)\0*.csv\0Все файлы (*.*)\0*.*\0"s, L"csv"};
}

std::optional<std::wstring> AskSaveFile(HWND owner, const SaveRequest& request) {
  std::vector<wchar_t> file(32768, L'\0');  // room for a long path
  request.DefaultName.copy(file.data(), file.size() - 1);
  const std::wstring filter = request.Filter + L'\0';  // the list ends with an empty pair
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = request.Extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file.data());
}

}  // namespace fragtally::win32
