#pragma once

// The Players window's small list dialog: a prompt above a list of names,
// a button that takes the chosen one and Cancel (the merge's shown name,
// a hidden name to show again). Modal to its owner.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fragtally::win32 {

// Fixed IDs: the dialog's own (its "Fragtally.Id" property) and its controls';
// its buttons are IDOK and IDCANCEL.
enum NameDialogId : int {
  kNameDialogId = 8099,
  kChoiceLabelId = 8100,
  kChoiceListId = 8101,
};

struct NameDialogTexts {
  std::wstring Title, Prompt, Button, Cancel;
};

// The index of the name chosen (the first is chosen at the start), or none
// when the dialog was cancelled.
std::optional<int> ChooseName(HWND owner, UINT dpi, HFONT font, const NameDialogTexts& texts,
                              const std::vector<std::wstring>& names);

}  // namespace fragtally::win32
