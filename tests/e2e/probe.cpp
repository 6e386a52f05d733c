// Win32 side of the end-to-end probe. Messages that carry pointers are sent
// with a buffer allocated inside the program's process, since Wine does not
// marshal every control message between processes.
#include "e2e/probe.hpp"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace probe {
namespace {

constexpr wchar_t programTitle[] = L"Kurvlux v1.0 [Vevi Version]";

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
  const wchar_t* className;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (search->className != nullptr) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, search->className) != 0) return TRUE;
  }
  search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::wstring environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(20);
  }
  return true;
}

std::string askHost(const std::string& request) {
  const std::wstring directory = environment(L"KURVLUX_E2E_HOST");
  if (directory.empty()) return "no host";
  const std::wstring requestPath = directory + L"\\request";
  const std::wstring pendingPath = directory + L"\\request.tmp";
  const std::wstring replyPath = directory + L"\\reply";
  DeleteFileW(replyPath.c_str());
  {
    std::ofstream out(pendingPath.c_str(), std::ios::binary);
    out << request << "\n";
  }
  MoveFileExW(pendingPath.c_str(), requestPath.c_str(), MOVEFILE_REPLACE_EXISTING);
  std::string reply = "time-out";
  waitUntil(
      [&] {
        std::ifstream in(replyPath.c_str(), std::ios::binary);
        std::string line;
        if (!in || !std::getline(in, line)) return false;
        reply = line;
        return true;
      },
      30000);
  DeleteFileW(replyPath.c_str());
  return reply;
}

Program::~Program() {
  if (testing::Test::HasFailure() && !steps_.empty()) {
    std::printf("Kurvlux.exe, the last steps the probe took:\n");
    for (const std::string& what : steps_) std::printf("  %s\n", what.c_str());
    std::ifstream in(errorPath_.c_str(), std::ios::binary);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("its standard error:%s%s", said.empty() ? " (nothing)\n" : "\n", said.c_str());
  }
  if (!errorPath_.empty()) DeleteFileW(errorPath_.c_str());
  if (info_.hProcess != nullptr) {
    if (running()) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
}

bool Program::start(const std::wstring& program) {
  std::wstring exe = program.empty() ? environment(L"KURVLUX_EXE") : program;
  if (exe.empty()) exe = L"Kurvlux.exe";
  std::wstring commandLine = L"\"" + exe + L"\"";
  step("start " + narrow(exe));
  static int started = 0;
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  errorPath_ = std::wstring(folder) + L"kurvlux-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++started) + L".err";
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE errors = CreateFileW(errorPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = errors;
  startup.hStdError = errors;
  const BOOL created = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &info_);
  if (errors != INVALID_HANDLE_VALUE) CloseHandle(errors);
  if (!created) {
    info_ = PROCESS_INFORMATION{};
    return false;
  }
  const bool found = waitUntil(
      [&] {
        WindowSearch search{info_.dwProcessId, {}, nullptr};
        EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
        for (HWND candidate : search.found) {
          if (windowText(candidate) == programTitle && FindWindowExW(candidate, nullptr, STATUSCLASSNAMEW, nullptr)) {
            window_ = candidate;
            return true;
          }
        }
        return false;
      },
      30000);
  // The window exists before its controls are filled; wait for the last step
  // of the start-up that can be seen from outside (the threshold list).
  return found && waitUntil([&] { return comboCount(9) == 257; }, 30000);
}

bool Program::running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::waitForExit(int timeoutMs) {
  if (info_.hProcess == nullptr) return STILL_ACTIVE;
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Program::step(const std::string& what) const {
  // The last few are what led to a failure.
  if (steps_.size() == 16) steps_.erase(steps_.begin());
  char when[32];
  const std::chrono::duration<double> since = std::chrono::steady_clock::now() - started_;
  std::snprintf(when, sizeof when, "%8.3f s: ", since.count());
  steps_.push_back(when + what);
}

DWORD Program::close(int timeoutMs) {
  step("close");
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return waitForExit(timeoutMs);
}

HWND Program::statusBar() const { return FindWindowExW(window_, nullptr, STATUSCLASSNAMEW, nullptr); }

HWND Program::control(int id) const {
  if (id == 5) return GetDlgItem(window_, id);
  return GetDlgItem(statusBar(), id);
}

std::vector<char> Program::sendWithRemoteBuffer(HWND target, UINT message, WPARAM wParam,
                                                std::size_t bytes) const {
  return sendWithRemoteData(target, message, wParam, std::vector<char>(bytes, 0));
}

std::vector<char> Program::sendWithRemoteData(HWND target, UINT message, WPARAM wParam,
                                              const std::vector<char>& data) const {
  std::vector<char> local = data;
  const std::size_t bytes = local.size();
  void* remote = VirtualAllocEx(info_.hProcess, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) return local;
  WriteProcessMemory(info_.hProcess, remote, local.data(), bytes, nullptr);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(target, message, wParam, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &result);
  ReadProcessMemory(info_.hProcess, remote, local.data(), bytes, nullptr);
  VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
  return local;
}

std::wstring Program::statusText(int field) const {
  const auto buffer = sendWithRemoteBuffer(statusBar(), SB_GETTEXTW, static_cast<WPARAM>(field), 1024);
  return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data()));
}

std::vector<int> Program::statusRightEdges() const {
  const auto buffer = sendWithRemoteBuffer(statusBar(), SB_GETPARTS, 16, 16 * sizeof(int));
  DWORD_PTR count = 0;
  SendMessageTimeoutW(statusBar(), SB_GETPARTS, 0, 0, SMTO_NORMAL, 5000, &count);
  const int* edges = reinterpret_cast<const int*>(buffer.data());
  return std::vector<int>(edges, edges + std::min<DWORD_PTR>(count, 16));
}

std::wstring Program::comboText(int id) const {
  HWND combo = control(id);
  HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  if (edit != nullptr) return windowText(edit);
  const int index = comboSelection(id);
  return index < 0 ? std::wstring() : comboItem(id, index);
}

int Program::comboCount(int id) const {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(control(id), CB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) return -1;
  return static_cast<int>(count);
}

int Program::comboSelection(int id) const {
  DWORD_PTR index = 0;
  SendMessageTimeoutW(control(id), CB_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &index);
  return static_cast<int>(static_cast<LRESULT>(index));
}

std::wstring Program::comboItem(int id, int index) const {
  // Wine copies a list item's text across processes itself, unlike the
  // status bar's texts.
  HWND combo = control(id);
  DWORD_PTR length = 0;
  SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000, &length);
  if (static_cast<LRESULT>(length) <= 0 || length > 4096) return std::wstring();
  std::wstring text(length + 1, L'\0');
  SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, 5000, &length);
  text.resize(std::wcslen(text.c_str()));
  return text;
}

std::wstring Program::caption(int id) const { return windowText(control(id)); }

bool Program::pressed(int id) const {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(control(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, 5000, &state);
  return state == BST_CHECKED;
}

int Program::focusedControl() const {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  if (!GetGUIThreadInfo(info_.dwThreadId, &thread) || thread.hwndFocus == nullptr) return 0;
  for (HWND step = thread.hwndFocus; step != nullptr; step = GetParent(step)) {
    if (GetParent(step) == statusBar()) return GetDlgCtrlID(step);
  }
  return 0;
}

bool Program::enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }

RECT Program::controlRect(int id) const {
  HWND handle = control(id);
  RECT rect{};
  GetWindowRect(handle, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(handle), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Program::click(int id) const {
  // Posted, not sent: the program serves one message per loop pass, and a
  // click that opens a modal box must not block the probe.
  step("click control " + std::to_string(id));
  PostMessageW(control(id), BM_CLICK, 0, 0);
}

void Program::setComboText(int id, const std::wstring& text) const {
  step("set the text of control " + std::to_string(id) + " to \"" + narrow(text) + "\"");
  HWND edit = FindWindowExW(control(id), nullptr, L"Edit", nullptr);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &result);
}

void Program::selectComboItem(int id, int index) const {
  step("select item " + std::to_string(index) + " of control " + std::to_string(id));
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000, &result);
}

std::vector<unsigned> Program::canvasPixels() const {
  constexpr int width = 1000;
  constexpr int height = 256;
  std::vector<unsigned> pixels(static_cast<std::size_t>(width) * height, 0);
  POINT origin{0, 0};
  ClientToScreen(control(5), &origin);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, like the canvas rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr && bits != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    // A 32-bit DIB pixel is blue, green, red, unused in memory: 0x00RRGGBB.
    const auto* source = static_cast<const DWORD*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0xFFFFFFu;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

void Program::overwriteStatusText(int field, const std::wstring& text) const {
  std::vector<char> data((text.size() + 1) * sizeof(wchar_t), 0);
  std::memcpy(data.data(), text.c_str(), text.size() * sizeof(wchar_t));
  sendWithRemoteData(statusBar(), SB_SETTEXTW, static_cast<WPARAM>(field), data);
}

bool Program::catchUp(int timeoutMs) const {
  // The pushed look of the pause button: it changes nothing the program
  // reads, and the program fetches posted messages in order, one per pass.
  HWND marker = control(11);
  PostMessageW(marker, BM_SETSTATE, TRUE, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool served = false;
  while (!served && std::chrono::steady_clock::now() < deadline) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(marker, BM_GETSTATE, 0, 0, SMTO_NORMAL, 5000, &state);
    served = (state & BST_PUSHED) != 0;
    if (!served) Sleep(2);
  }
  DWORD_PTR result = 0;
  SendMessageTimeoutW(marker, BM_SETSTATE, FALSE, 0, SMTO_NORMAL, 5000, &result);
  return served;
}

std::vector<HWND> Program::messageBoxes() const {
  WindowSearch search{info_.dwProcessId, {}, L"#32770"};
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

long leadingNumber(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }

bool endsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool statisticsUpdate(const Program& program) {
  program.overwriteStatusText(1, L"-");
  return waitUntil([&] {
    const std::wstring text = program.statusText(1);
    return endsWith(text, L" Werte/s") && leadingNumber(text) > 0;
  });
}

std::pair<long, long> steadyFigures(const Program& program) {
  std::vector<long> frames, values;
  EXPECT_TRUE(statisticsUpdate(program));
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(statisticsUpdate(program));
    values.push_back(leadingNumber(program.statusText(1)));
    frames.push_back(leadingNumber(program.statusText(0)));
  }
  std::sort(frames.begin(), frames.end());
  std::sort(values.begin(), values.end());
  std::printf("frames per second read: %ld..%ld, values per second read: %ld..%ld\n", frames.front(), frames.back(),
              values.front(), values.back());
  return {frames[2], values[2]};
}

HWND Program::nextMessageBox(HWND previous) const {
  HWND found = nullptr;
  waitUntil([&] {
    const std::vector<HWND> boxes = messageBoxes();
    found = boxes.empty() || boxes.front() == previous ? nullptr : boxes.front();
    return found != nullptr;
  });
  return found;
}

std::wstring windowText(HWND window) {
  wchar_t text[4096] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
  return std::wstring(text);
}

std::wstring messageBoxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

std::string narrow(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return result;
}

}  // namespace probe
