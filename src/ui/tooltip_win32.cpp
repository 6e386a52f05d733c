// One tooltip window serves every control. It is created on first use and
// stays for the whole run.
#include "ui/tooltip_win32.hpp"

#include <commctrl.h>

#include <string>

#include "text/wide_text_win32.hpp"

namespace kurvlux {

namespace {

HWND tooltipWindow = nullptr;

// A topmost window can still end up below another topmost one; lifting it
// whenever it paints keeps the tip readable.
LRESULT CALLBACK keepOnTop(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_PAINT) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, keepOnTop, 0);
    tooltipWindow = nullptr;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

HWND sharedTooltipWindow() {
  if (tooltipWindow == nullptr) {
    tooltipWindow = CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tooltipWindow != nullptr) SetWindowSubclass(tooltipWindow, keepOnTop, 0, 0);
  }
  return tooltipWindow;
}

void registerTool(HWND tooltips, HWND tool, std::wstring& text) {
  TOOLINFOW info{};
  // The smallest record every version of the common controls accepts.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  // No TTF_SUBCLASS: the common controls' subclass chain looks itself up in
  // the window's properties on every message, a round trip to the Wine
  // server, which made each poll of a control cost some hundred
  // microseconds instead of one. The event fetch hands the mouse messages
  // to the tip instead (relayToTooltip).
  info.uFlags = TTF_IDISHWND;
  info.hwnd = GetParent(tool);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text.data();
  SendMessageW(tooltips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

bool isComboBox(HWND window) {
  wchar_t className[32]{};
  GetClassNameW(window, className, 32);
  return lstrcmpiW(className, WC_COMBOBOXW) == 0;
}

}  // namespace

void setTooltip(HWND control, TextView text) {
  const HWND tooltips = sharedTooltipWindow();
  if (tooltips == nullptr || control == nullptr) return;
  std::wstring wide = wideText(text);
  registerTool(tooltips, control, wide);
  // The edit field covers most of an editable combo box and would swallow
  // the mouse messages the tip waits for.
  if (isComboBox(control)) {
    if (const HWND child = GetWindow(control, GW_CHILD); child != nullptr)
      registerTool(tooltips, child, wide);
  }
}

void relayToTooltip(const MSG& message) {
  if (tooltipWindow == nullptr || message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) return;
  MSG relayed = message;
  SendMessageW(tooltipWindow, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

HWND tooltipWindowHandle() { return tooltipWindow; }

}  // namespace kurvlux
