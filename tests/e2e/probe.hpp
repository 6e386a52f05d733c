// The end-to-end probe: starts the real Kurvlux.exe in the same Wine prefix,
// finds its windows and drives them the way a user would, reading back
// captions, combo texts, status-bar texts and screen pixels.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace probe {

// Waits until the condition holds, polling; false on time-out.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// Asks the Linux side of the harness to do something (start or stop the
// simulated board, take a screenshot) and returns its one-line answer.
std::string askHost(const std::string& request);

class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Starts Kurvlux.exe (or the program given) and waits for its main
  // window; false on failure. What it writes on standard error or output is
  // kept, and printed with the last steps of the probe when the test fails.
  bool start(const std::wstring& program = std::wstring());
  // Asks the window to close and waits for the process; its exit code, or
  // STILL_ACTIVE when it did not end in time.
  DWORD close(int timeoutMs = 15000);
  DWORD waitForExit(int timeoutMs);
  bool running() const;

  HWND window() const { return window_; }
  HWND statusBar() const;
  HWND control(int id) const;

  std::wstring statusText(int field) const;
  std::vector<int> statusRightEdges() const;
  // The text a combo box shows (its edit field when it has one).
  std::wstring comboText(int id) const;
  int comboCount(int id) const;
  int comboSelection(int id) const;
  std::wstring comboItem(int id, int index) const;
  std::wstring caption(int id) const;
  bool pressed(int id) const;
  bool enabled(int id) const;
  // Client rectangle of a control in the coordinates of its parent.
  RECT controlRect(int id) const;

  // The control that has the keyboard focus in the program's thread (the
  // combo box for its edit field), 0 when no control of the status bar has it.
  int focusedControl() const;

  void click(int id) const;
  void setComboText(int id, const std::wstring& text) const;
  void selectComboItem(int id, int index) const;
  // The whole 1000 x 256 canvas as it is on the screen, row by row, as
  // 0xRRGGBB, read in one copy (much faster than pixel by pixel).
  std::vector<unsigned> canvasPixels() const;
  // Overwrites the text of a status field from outside, so a test can see
  // when the program writes the field again.
  void overwriteStatusText(int field, const std::wstring& text) const;
  // Posts a harmless marker behind everything posted so far and waits until
  // the program has fetched it. Every click posted before has then been
  // served, and the loop pass after it has run. False on time-out.
  bool catchUp(int timeoutMs = 10000) const;
  // Top-level message boxes of the program that are open now.
  std::vector<HWND> messageBoxes() const;
  // Waits for a message box of the program other than `previous`; nullptr
  // on time-out.
  HWND nextMessageBox(HWND previous = nullptr) const;

 private:
  // Sends a message whose lParam points to a buffer in the program's
  // memory, and returns that buffer's contents afterwards.
  std::vector<char> sendWithRemoteBuffer(HWND target, UINT message, WPARAM wParam,
                                         std::size_t bytes) const;
  // The same, with the buffer filled from data before the message is sent.
  std::vector<char> sendWithRemoteData(HWND target, UINT message, WPARAM wParam,
                                       const std::vector<char>& data) const;

  // Remembers what the probe did, for the report of a failing test.
  void step(const std::string& what) const;

  PROCESS_INFORMATION info_{};
  HWND window_ = nullptr;
  std::wstring errorPath_;
  mutable std::vector<std::string> steps_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// The number at the start of a status text such as "\t25000 Werte/s".
long leadingNumber(const std::wstring& text);
bool endsWith(const std::wstring& text, const std::wstring& tail);
// The oscilloscope writes its statistics once a second: wipes the field and
// waits for the program to write a rate there again.
bool statisticsUpdate(const Program& program);
// Frames and values per second, each the median of five fresh statistics
// after the first. The program counts what arrived in each second of its
// own; after this machine stalled the board or the program, what was held
// back arrives at once, so one second may count far more and the one before
// far less (17662 to 34750 seen under Wine on a busy machine). The median
// stays within 40 % of the board's rate; counting every byte twice, or
// losing every other one, would take it out.
std::pair<long, long> steadyFigures(const Program& program);

std::wstring windowText(HWND window);
std::wstring messageBoxText(HWND box);
std::string narrow(const std::wstring& text);
// A variable of the environment, empty when it is not set.
std::wstring environment(const wchar_t* name);

}  // namespace probe
