// The end-to-end probe of the Linux program: starts the real `kurvlux` and
// the board simulator, reads what the window shows the way a screen reader
// does (AT-SPI) and from the screen (X11), and drives it like a user with
// xdotool's clicks and keys.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace probe {

// Polls the condition until it holds; false on time-out. The time-out only
// bounds a failure: it is generous, because a machine busy with builds may
// take seconds for what takes milliseconds alone.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);
void sleepMs(int milliseconds);

// The board simulator behind a fixed link path in the test's work folder.
class Board {
 public:
  explicit Board(std::string link) : link_(std::move(link)) {}
  ~Board() { unplug(); }
  // Starts streaming with these simulator options; false if it did not come up.
  bool plugIn(const std::vector<std::string>& options);
  // Ends the simulator (the device vanishes); its closing line.
  std::string unplug();
  const std::string& link() const { return link_; }
  // The pseudo-terminal the link leads to, "/dev/pts/N".
  std::string device() const;

 private:
  std::string link_;
  pid_t pid_ = -1;
  std::string log_;
};

class Program {
 public:
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Starts kurvlux with these arguments and NAME=value settings in its
  // environment, and waits until its window (not looked for with GDK_BACKEND=wayland or a DISPLAY given)
  // and its accessible tree are there; false on failure.
  bool start(const std::vector<std::string>& arguments, const std::vector<std::string>& settings = {});
  // Ends it as the window's close button does, as another X client that
  // destroys the window, or with the Close of the title bar GTK draws itself
  // (Wayland); then the exit code, or -1 when it did not end in time. Ended
  // by a signal, it exits with 128 + the signal's number, as a shell says.
  int close(int timeoutMs = 15000);
  int destroyWindow(int timeoutMs = 15000);
  // Closes the program's X connection from another client, as xkill does.
  int killClient(int timeoutMs = 15000);
  int closeFromTitleBar(int timeoutMs = 15000);
  // close() in two halves: the request, returning at once, and the wait.
  void requestClose();
  // 128 + the signal's number when a signal ended it, as a shell says.
  int exitCode(int timeoutMs = 15000);
  // The signal that ended it (by that signal's own action, not an exit
  // status), 0 if it exited.
  int endingSignal() const { return endingSignal_; }
  // Destroys the open info box as another X client does; false if none came.
  bool destroyBox(int timeoutMs = 30000);
  bool running();
  pid_t pid() const { return pid_; }
  // The program's X window, 0 when there is none.
  unsigned long window() const { return window_; }
  // Everything the program wrote on standard error so far. When the test
  // has failed, it is printed at the end with the last steps taken.
  std::string standardError() const;

  // Status field 0..4 as a screen reader reads it.
  std::string statusText(int field);
  // Caption of a toggle, text of a combo box (its entry when it has one).
  std::string text(int control);
  struct Box {
    int x = -1, y = -1, width = -1, height = -1;
  };
  // Where the control is in the window, as a screen reader reads it.
  Box extents(int control);
  // The window's client area in the pixels the program lays out in.
  Box clientArea();
  // The screen's scale: 2 at GDK_SCALE=2.
  int scale();
  // The control holding the keyboard focus, -1 if none.
  int focusedControl();
  bool pressed(int control);
  bool enabled(int control);

  // A click in the middle of the control.
  void click(int control);
  // Clicks into an editable box, replaces its text by typing and leaves it
  // with Tab, as a user would.
  void typeInto(int control, const std::string& text);
  // Presses keys on the keyboard (xdotool key names).
  void key(const std::string& keys);
  // Picks item `index` of the mode list through its accessible selection.
  void chooseMode(int index);
  // A screen reader's user presses the control, or replaces the text of an
  // editable box: through its accessible action and text.
  void activate(int control);
  void setText(int control, const std::string& text);
  // Whether an info box is open, or opens in time.
  bool boxShown(int timeoutMs = 30000);
  // Waits for an info box, reads its text and presses its OK button; the
  // text, empty when no box came.
  std::string answerBox(int timeoutMs = 30000);
  // The canvas as it is on the screen, row by row, 0xRRGGBB: 1000 x 256
  // times the screen's scale, or the given columns of it.
  std::vector<std::uint32_t> canvasPixels(int left = 0, int columns = 1000);
  // Saves a screenshot of the window.
  bool screenshot(const std::string& path);
  // The main window's title as a screen reader reads it.
  std::string title();
  // A right click on the canvas, then the menu entry whose name starts so.
  bool chooseFromCanvasMenu(const std::string& entry, int timeoutMs = 30000);
  // Presses the showing push button named so (a save dialog's).
  bool pressButton(const std::string& name, int timeoutMs = 30000);
  // The text of a showing label (any window's) that starts so; empty when none came.
  std::string labelStartingWith(const std::string& start, int timeoutMs = 30000);

 private:
  struct Accessible;
  Accessible* control(int id);
  Accessible* field(int index);
  unsigned long findWindow(unsigned long except = 0);
  bool findAccessibles();
  std::string waitForNamed(int role, const std::string& start, int timeoutMs, bool act);
  // Remembers what the probe did, for the report of a failing test.
  void step(const std::string& what);

  pid_t pid_ = -1;
  int endingSignal_ = 0;
  int errorPipe_ = -1;
  mutable std::string errors_;
  std::vector<std::string> steps_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  unsigned long window_ = 0;
  void* display_ = nullptr;
  Accessible* app_ = nullptr;
  std::vector<Accessible*> fields_;
  std::vector<std::pair<int, Accessible*>> controls_;
};

}  // namespace probe
