// Combo boxes and toggle buttons. The program polls them and never listens
// to their notifications.
#include "ui/input_controls_win32.hpp"

#include <commctrl.h>

#include "text/wide_text_win32.hpp"

namespace kurvlux {

namespace {

// Room for the closed field and the list that drops below it.
constexpr int comboWindowHeight = 350;
constexpr int probeItemHeight = 15;

Text windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return textFromWide(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

void setWindowText(HWND window, TextView text) {
  const std::wstring wide = wideText(text);
  SetWindowTextW(window, wide.c_str());
}

// The loop writes the connect caption on every pass; a button repaints on
// every new caption, so a caption it already shows is not written again.
// InternalGetWindowText reads the stored caption without a message.
void setCaption(HWND button, TextView text) {
  const std::wstring wide = wideText(text);
  std::wstring shown(wide.size() + 2, L'\0');
  const int length = InternalGetWindowText(button, shown.data(), static_cast<int>(shown.size()));
  if (length >= 0 && static_cast<std::size_t>(length) == wide.size() &&
      shown.compare(0, wide.size(), wide) == 0) {
    return;
  }
  SetWindowTextW(button, wide.c_str());
}

std::intptr_t comboState(HWND combo) { return SendMessageW(combo, CB_GETCURSEL, 0, 0); }

void comboSetState(HWND combo, std::intptr_t value) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

void comboAddItem(HWND combo, int position, TextView text) {
  const std::wstring wide = wideText(text);
  SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(wide.c_str()));
}

Text listComboText(HWND combo) {
  const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selected < 0) return Text();
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length < 0) return Text();
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                                      reinterpret_cast<LPARAM>(buffer.data()));
  return textFromWide(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

// Picks the item with that text, ignoring letter case; an empty text clears
// the selection and an unknown one leaves it alone.
void listComboSetText(HWND combo, TextView text) {
  text = untilNul(text);
  if (text.empty()) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return;
  }
  const std::wstring wide = wideText(text);
  const LRESULT found = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(wide.c_str()));
  if (found != CB_ERR) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

std::intptr_t buttonState(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void buttonSetState(HWND button, std::intptr_t value) {
  SendMessageW(button, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void useDefaultFont(HWND control) {
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

int windowHeight(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return bounds.bottom - bounds.top;
}

// The closed height follows from the selection field's item height plus a
// frame that depends on the system; measure the frame, then size the item.
void fitClosedHeight(HWND combo, int height) {
  SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), probeItemHeight);
  const int frame = windowHeight(combo) - probeItemHeight;
  SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - frame);
}

}  // namespace

// Setting the text of an editable box fills its edit field and leaves the
// list's selection alone.
const ControlKind editableComboKind{comboState, comboSetState, windowText, setWindowText, comboAddItem};
const ControlKind listComboKind{comboState, comboSetState, listComboText, listComboSetText, comboAddItem};
const ControlKind buttonKind{buttonState, buttonSetState, windowText, setCaption, nullptr};

HWND createComboBox(ControlTableWin32& controls, int id, int x, int y, int width, int height, int flags) {
  const int type = flags & CBS_DROPDOWNLIST;
  const bool editable = type == CBS_DROPDOWN || type == CBS_SIMPLE;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | static_cast<DWORD>(flags);
  // Without an edit field the combo box itself takes the Tab key; with one,
  // the edit field does (below).
  if (!editable) style |= CBS_DROPDOWNLIST | WS_TABSTOP;
  const HWND combo =
      CreateWindowExW(0, WC_COMBOBOXW, nullptr, style, x, y, width, comboWindowHeight, controls.container(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (combo == nullptr) return nullptr;
  useDefaultFont(combo);
  if (editable) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(combo, &info) && info.hwndItem != nullptr) {
      const LONG_PTR editStyle = GetWindowLongPtrW(info.hwndItem, GWL_STYLE);
      SetWindowLongPtrW(info.hwndItem, GWL_STYLE, editStyle | WS_TABSTOP);
    }
  }
  fitClosedHeight(combo, height);
  controls.registerControl(id, combo, editable ? editableComboKind : listComboKind);
  return combo;
}

HWND createButton(ControlTableWin32& controls, int id, int x, int y, int width, int height, TextView caption,
                  int flags) {
  const std::wstring text = wideText(caption);
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | static_cast<DWORD>(flags);
  const HWND button =
      CreateWindowExW(0, WC_BUTTONW, text.c_str(), style, x, y, width, height, controls.container(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (button == nullptr) return nullptr;
  useDefaultFont(button);
  controls.registerControl(id, button, buttonKind);
  return button;
}

}  // namespace kurvlux
