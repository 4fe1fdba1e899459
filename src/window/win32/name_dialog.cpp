#include "window/win32/name_dialog.h"

#include <algorithm>

namespace fragtally::win32 {

namespace {

struct DialogData {
  UINT Dpi;
  HFONT Font;
  const NameDialogTexts* Texts;
  const std::vector<std::wstring>* Names;
};

constexpr wchar_t kIdProperty[] = L"Fragtally.Id";

int Scaled(const DialogData& data, int pixels) { return MulDiv(pixels, static_cast<int>(data.Dpi), 96); }

INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      const DialogData& data = *reinterpret_cast<const DialogData*>(lparam);
      SetPropW(dialog, kIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kNameDialogId)));
      SetWindowTextW(dialog, data.Texts->Title.c_str());
      const int margin = Scaled(data, 10), width = Scaled(data, 340), line = Scaled(data, 20);
      const int list_height = Scaled(data, 170), button_width = Scaled(data, 100), button_height = Scaled(data, 26);
      HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
      const auto child = [&](const wchar_t* window_class, DWORD style, DWORD ex_style, int id, const std::wstring& text,
                             int x, int y, int w, int h) {
        HWND control = CreateWindowExW(ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                       dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(data.Font), FALSE);
        return control;
      };
      child(L"STATIC", SS_LEFT | SS_NOPREFIX, 0, kChoiceLabelId, data.Texts->Prompt, margin, margin, width, line);
      HWND list = child(L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE,
                        kChoiceListId, L"", margin, margin + line, width, list_height);
      for (const std::wstring& name : *data.Names) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      SendMessageW(list, LB_SETCURSEL, 0, 0);
      const int buttons_top = margin + line + list_height + margin;
      child(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK, data.Texts->Button,
            margin + width - 2 * button_width - margin / 2, buttons_top, button_width, button_height);
      child(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, IDCANCEL, data.Texts->Cancel, margin + width - button_width,
            buttons_top, button_width, button_height);
      // The client area around them, centred on the owner.
      RECT frame{0, 0, width + 2 * margin, buttons_top + button_height + margin};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
      RECT owner{};
      GetWindowRect(GetWindow(dialog, GW_OWNER), &owner);
      const int w = frame.right - frame.left, h = frame.bottom - frame.top;
      SetWindowPos(dialog, nullptr, owner.left + std::max(0L, (owner.right - owner.left - w) / 2),
                   owner.top + std::max(0L, (owner.bottom - owner.top - h) / 3), w, h, SWP_NOZORDER);
      SetFocus(list);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK || (id == kChoiceListId && HIWORD(wparam) == LBN_DBLCLK)) {
        const LRESULT chosen = SendMessageW(GetDlgItem(dialog, kChoiceListId), LB_GETCURSEL, 0, 0);
        EndDialog(dialog, chosen == LB_ERR ? 0 : chosen + 1);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      RemovePropW(dialog, kIdProperty);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::optional<int> ChooseName(HWND owner, UINT dpi, HFONT font, const NameDialogTexts& texts,
                              const std::vector<std::wstring>& names) {
  // A template without controls (they are made at WM_INITDIALOG): the
  // header, then no menu, the default class and an empty title, DWORD-aligned.
  alignas(DWORD) WORD buffer[32] = {};
  auto* header = reinterpret_cast<DLGTEMPLATE*>(buffer);
  header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  header->cdit = 0;
  DialogData data{dpi, font, &texts, &names};
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  const INT_PTR result =
      DialogBoxIndirectParamW(instance, header, owner, NameDialogProc, reinterpret_cast<LPARAM>(&data));
  if (result <= 0) return std::nullopt;
  return static_cast<int>(result - 1);
}

}  // namespace fragtally::win32
