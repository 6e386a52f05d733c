// The main window. Closing it only records the close event: the main loop
// decides when the program ends, and the window lives until then.
#include "ui/main_window_win32.hpp"

#include <vector>

#include "text/wide_text_win32.hpp"
#include "ui/event_pump.hpp"
#include "ui/focus_cycle.hpp"
#include "ui/window_placement.hpp"

namespace kurvlux {

namespace {

constexpr wchar_t windowClassName[] = L"KurvluxWindow";
constexpr WORD focusNextCommand = 0x7F01;
constexpr WORD focusPreviousCommand = 0x7F02;
constexpr int iconResource = 1;

bool registerWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, windowClassName, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  // LoadImage picks the image of the size asked for from the icon's 48, 32
  // and 16 pixel versions; LoadIcon would scale the 32 pixel one.
  windowClass.hIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  windowClass.hIconSm =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = windowClassName;
  return RegisterClassExW(&windowClass) != 0;
}

HACCEL createFocusAccelerators() {
  ACCEL keys[2]{};
  keys[0].fVirt = FVIRTKEY;
  keys[0].key = VK_TAB;
  keys[0].cmd = focusNextCommand;
  keys[1].fVirt = FVIRTKEY | FSHIFT;
  keys[1].key = VK_TAB;
  keys[1].cmd = focusPreviousCommand;
  return CreateAcceleratorTableW(keys, 2);
}

BOOL CALLBACK collectCandidate(HWND child, LPARAM list) {
  const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
  if ((style & WS_TABSTOP) && IsWindowEnabled(child) && IsWindowVisible(child)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  }
  return TRUE;
}

void showFocusIndication(HWND window, bool show) {
  SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(show ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
}

}  // namespace

// SetFocus does not refuse a disabled window, so this is asked first. The
// edit field of a combo box stays enabled itself when its box is disabled:
// every window up to the top-level one must be enabled.
bool canTakeFocus(HWND window, HWND control) {
  if (control == nullptr || !IsWindow(control) || !IsChild(window, control) || !IsWindowVisible(control)) {
    return false;
  }
  for (HWND step = control; step != nullptr && step != window; step = GetParent(step)) {
    if (!IsWindowEnabled(step)) return false;
  }
  return true;
}

void cycleFocus(HWND window, bool forward) {
  std::vector<HWND> candidates;
  EnumChildWindows(window, collectCandidate, reinterpret_cast<LPARAM>(&candidates));
  const HWND focus = GetFocus();
  int focused = -1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i] == focus) focused = static_cast<int>(i);
  }
  const bool inside = focus != nullptr && IsChild(window, focus);
  const int target = focusTarget(static_cast<int>(candidates.size()), focused, inside,
                                 forward ? FocusDirection::next : FocusDirection::previous);
  if (target >= 0) SetFocus(candidates[static_cast<std::size_t>(target)]);
  showFocusIndication(window, true);
}

MainWindowWin32::~MainWindowWin32() {
  for (auto& [id, record] : records_) {
    if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
    if (IsWindow(record->handle)) {
      SetWindowLongPtrW(record->handle, GWLP_USERDATA, 0);
      DestroyWindow(record->handle);
    }
  }
}

HWND MainWindowWin32::openWindow(ControlTableWin32& controls, int id, int x, int y, int clientWidth,
                                 int clientHeight, TextView title, std::uint32_t flags) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registerWindowClass(instance, procedure)) return nullptr;

  const DWORD style = windowStyleBits(flags);
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  WindowPlacement place{x, y, frame.right - frame.left, frame.bottom - frame.top};
  if (placedCentred(flags)) {
    place = centredPlacement(place.width, place.height, GetSystemMetrics(SM_CXSCREEN),
                             GetSystemMetrics(SM_CYSCREEN));
  }

  auto record = std::make_unique<WindowRecord>();
  record->id = id;
  record->table = this;
  const std::wstring caption = wideText(title);
  // The record is bound at WM_NCCREATE, so the events of creation and
  // showing are recorded too.
  const HWND window = CreateWindowExW(0, windowClassName, caption.c_str(), style, place.x, place.y,
                                      place.width, place.height, nullptr, nullptr, instance, record.get());
  if (window == nullptr) return nullptr;
  record->handle = window;
  record->accelerators = createFocusAccelerators();
  if (auto old = records_.find(id); old != records_.end() && old->second->accelerators) {
    DestroyAcceleratorTable(old->second->accelerators);
  }
  records_[id] = std::move(record);
  ShowWindow(window, SW_SHOWNORMAL);
  controls.setContainer(window);
  return window;
}

HWND MainWindowWin32::windowHandle(int id) const {
  auto it = records_.find(id);
  return it == records_.end() ? nullptr : it->second->handle;
}

WindowRecord* MainWindowWin32::findByHandle(HWND window) const {
  if (window == nullptr) return nullptr;
  for (const auto& [id, record] : records_) {
    if (record->handle == window) return record.get();
  }
  return nullptr;
}

void MainWindowWin32::recordEvent(const WindowRecord& record, std::int32_t number) {
  events_.record(EventRecord{number, record.id, -1, 0, 0, 0});
}

LRESULT CALLBACK MainWindowWin32::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* record = static_cast<WindowRecord*>(create->lpCreateParams);
    record->handle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    return DefWindowProcW(window, message, wParam, lParam);
  }
  auto* record = reinterpret_cast<WindowRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (record == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  MainWindowWin32& table = *record->table;

  switch (message) {
    case WM_CLOSE:
      table.recordEvent(*record, closeEvent);
      return 0;
    case WM_MOVE:
      table.recordEvent(*record, windowMovedEvent);
      return 0;
    case WM_ERASEBKGND:
      table.recordEvent(*record, backgroundErasedEvent);
      break;
    case WM_SIZE:
      if (wParam == SIZE_RESTORED) {
        if (record->minimisedOrMaximised) table.recordEvent(*record, windowRestoredEvent);
        table.recordEvent(*record, windowSizedEvent);
        record->minimisedOrMaximised = false;
      } else if (wParam == SIZE_MINIMIZED) {
        table.recordEvent(*record, windowMinimisedEvent);
        record->minimisedOrMaximised = true;
      } else if (wParam == SIZE_MAXIMIZED) {
        table.recordEvent(*record, windowMaximisedEvent);
        table.recordEvent(*record, windowSizedEvent);
        record->minimisedOrMaximised = true;
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) record->focusBeforeDeactivation = focus;
        showFocusIndication(window, false);
        table.recordEvent(*record, windowDeactivatedEvent);
      } else {
        if (canTakeFocus(window, record->focusBeforeDeactivation)) SetFocus(record->focusBeforeDeactivation);
        table.recordEvent(*record, windowActivatedEvent);
      }
      return 0;
    case WM_COMMAND:
      // Only the accelerator keys: notifications of the controls carry their
      // handle in lParam and are of no interest to the program.
      if (HIWORD(wParam) == 1 && lParam == 0 &&
          (LOWORD(wParam) == focusNextCommand || LOWORD(wParam) == focusPreviousCommand)) {
        cycleFocus(window, LOWORD(wParam) == focusNextCommand);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kurvlux
