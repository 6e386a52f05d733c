// Window messages are handled only here, one per pass of the main loop, so
// the loop keeps its own pace and never blocks in a message wait.
#include "ui/event_pump_win32.hpp"

#include <mmsystem.h>

#include <vector>

#include "text/wide_text_win32.hpp"
#include "ui/tooltip_win32.hpp"

namespace kurvlux {

namespace {

struct ChangedWindows {
  HWND foreground = nullptr;
  std::vector<HWND> disabled;
  std::vector<HWND> untopped;
};

BOOL CALLBACK prepareForModalBox(HWND window, LPARAM data) {
  auto& changed = *reinterpret_cast<ChangedWindows*>(data);
  if (IsWindowVisible(window) && IsWindowEnabled(window) && window != changed.foreground) {
    EnableWindow(window, FALSE);
    changed.disabled.push_back(window);
  }
  // A topmost window of ours would otherwise cover the box.
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    changed.untopped.push_back(window);
  }
  return TRUE;
}

}  // namespace

int EventPumpWin32::fetchEvent() {
  current_ = EventRecord{};
  if (auto recorded = windows_.events().take()) {
    current_ = *recorded;
    return current_.number;
  }
  MSG message{};
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return 0;
  relayToTooltip(message);

  const HWND active = GetActiveWindow();
  const WindowRecord* record = windows_.findByHandle(active);
  const bool accelerated = record != nullptr && record->accelerators != nullptr &&
                           TranslateAcceleratorW(active, record->accelerators, &message) != 0;
  if (!accelerated) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  current_.number = static_cast<std::int32_t>(message.message);
  current_.data1 = static_cast<std::intptr_t>(message.wParam);
  current_.data2 = static_cast<std::intptr_t>(message.lParam);
  return current_.number;
}

void EventPumpWin32::pauseMilliseconds(int milliseconds) {
  // A negative count would become a sleep of some fifty days.
  const DWORD duration = milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0;
  timeBeginPeriod(1);
  Sleep(duration);
  timeEndPeriod(1);
}

void EventPumpWin32::waitForInput(std::uintptr_t port, int) {
  constexpr int idlePause = 3;
  if (port == 0) pauseMilliseconds(idlePause);
}

void EventPumpWin32::showMessage(TextView title, TextView text, MessageFont) {
  ChangedWindows changed;
  changed.foreground = GetForegroundWindow();
  DWORD process = 0;
  if (changed.foreground != nullptr) GetWindowThreadProcessId(changed.foreground, &process);
  const HWND owner = process == GetCurrentProcessId() ? changed.foreground : nullptr;
  EnumThreadWindows(GetCurrentThreadId(), prepareForModalBox, reinterpret_cast<LPARAM>(&changed));

  const std::wstring wideTitle = wideText(title);
  const std::wstring wideMessage = wideText(text);
  MessageBoxW(owner, wideMessage.c_str(), wideTitle.c_str(), MB_OK);

  for (const HWND window : changed.disabled) EnableWindow(window, TRUE);
  for (const HWND window : changed.untopped) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

// GetTickCount moves in steps of the system timer, about 16 ms, which would
// stretch a one-second statistics period by up to 1.6 % and inflate every
// rate shown with it. The performance counter gives the same milliseconds
// since system start to the millisecond; cut to 32 bits, they wrap exactly
// like GetTickCount.
std::uint32_t EventPumpWin32::tickCount() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  if (!QueryPerformanceCounter(&counter) || !QueryPerformanceFrequency(&frequency) ||
      frequency.QuadPart <= 0) {
    return GetTickCount();
  }
  const long long perSecond = frequency.QuadPart;
  const long long milliseconds =
      counter.QuadPart / perSecond * 1000 + counter.QuadPart % perSecond * 1000 / perSecond;
  return static_cast<std::uint32_t>(milliseconds);
}

}  // namespace kurvlux
