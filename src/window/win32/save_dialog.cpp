#include "window/win32/save_dialog.h"

#include <commdlg.h>

#include <vector>

#include "app/text/text_decoding.h"
#include "window/win32/text.h"

namespace fragtally::win32 {

namespace {

std::wstring WideText(const char* utf8) { return Wide(DisplayText(utf8)); }

}  // namespace

SaveRequest SaveRequestFor(const ExportOffer& offer) {
  const std::wstring pattern = L"*." + WideText(offer.Extension);
  std::wstring filter = WideText(offer.FilterName) + L" (" + pattern + L")" + L'\0' + pattern + L'\0';
  filter += WideText(kAllFilesFilterName) + L" (*.*)";
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  return {WideText(offer.DialogTitle), WideText(offer.DefaultName), filter, WideText(offer.Extension)};
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
  dialog.lpstrTitle = request.Title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file.data());
}

}  // namespace fragtally::win32
