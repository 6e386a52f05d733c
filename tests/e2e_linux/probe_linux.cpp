// AT-SPI for what a screen reader reads, Xlib for the window and its
// pixels, xdotool for the user's hands.
#include "e2e_linux/probe_linux.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atspi/atspi.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

extern char** environ;

namespace probe {

namespace {

constexpr const char* windowTitle = "Kurvlux v1.0 [Vevi Version]";

pid_t spawn(const std::vector<std::string>& command, int stdoutFd, int stderrFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  if (stderrFd >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

void xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "probe: %s failed\n", command.c_str());
}

std::string environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

}  // namespace

void sleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    // Each reading is a round trip into the program, which answers once per
    // loop pass; polling gently leaves its passes to the window's events.
    sleepMs(50);
  }
  return true;
}

bool Board::plugIn(const std::vector<std::string>& options) {
  unplug();
  log_ = link_ + ".log";
  const int out = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> command{environment("KURVLUX_BOARD_SIMULATOR", "board_simulator"), "--link", link_};
  command.insert(command.end(), options.begin(), options.end());
  pid_ = spawn(command, out, out);
  ::close(out);
  return pid_ > 0 && waitUntil([&] { return access(link_.c_str(), F_OK) == 0; }, 5000);
}

std::string Board::device() const {
  char target[256]{};
  const ssize_t length = readlink(link_.c_str(), target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : link_;
}

std::string Board::unplug() {
  if (pid_ <= 0) return "";
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  std::ifstream log(log_);
  std::string line, last;
  while (std::getline(log, line)) last = line;
  return last;
}

struct Program::Accessible {
  AtspiAccessible* object = nullptr;
};

Program::Program() { atspi_init(); }

Program::~Program() {
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (Accessible* a : fields_) {
    g_object_unref(a->object);
    delete a;
  }
  for (auto& [id, a] : controls_) {
    g_object_unref(a->object);
    delete a;
  }
  if (errorPipe_ >= 0) ::close(errorPipe_);
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

bool Program::start(const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  std::vector<std::string> command{environment("KURVLUX_PROGRAM", "kurvlux")};
  command.insert(command.end(), arguments.begin(), arguments.end());
  pid_ = spawn(command, -1, pipeEnds[1]);
  ::close(pipeEnds[1]);
  errorPipe_ = pipeEnds[0];
  fcntl(errorPipe_, F_SETFL, O_NONBLOCK);
  display_ = XOpenDisplay(nullptr);
  if (pid_ <= 0 || !display_) return false;
  return waitUntil([&] { return findWindow(); }, 15000) && waitUntil([&] { return findAccessibles(); }, 15000);
}

std::string Program::standardError() const {
  char buffer[4096];
  ssize_t got = 0;
  while (errorPipe_ >= 0 && (got = read(errorPipe_, buffer, sizeof buffer)) > 0) errors_.append(buffer, static_cast<std::size_t>(got));
  return errors_;
}

bool Program::running() {
  if (pid_ <= 0) return false;
  return waitpid(pid_, nullptr, WNOHANG) == 0;
}

bool Program::findWindow() {
  auto* display = static_cast<Display*>(display_);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return false;
  for (unsigned i = 0; i < count && window_ == 0; ++i) {
    char* name = nullptr;
    const bool titled = XFetchName(display, children[i], &name) && name && std::string(name) == windowTitle;
    if (name) XFree(name);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (titled && XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                                     &items, &after, &data) == Success && data) {
      if (items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid_) window_ = children[i];
      XFree(data);
    }
  }
  if (children) XFree(children);
  return window_ != 0;
}

bool Program::findAccessibles() {
  AtspiAccessible* desktop = atspi_get_desktop(0);
  AtspiAccessible* app = nullptr;
  const int apps = atspi_accessible_get_child_count(desktop, nullptr);
  for (int i = 0; i < apps && !app; ++i) {
    AtspiAccessible* candidate = atspi_accessible_get_child_at_index(desktop, i, nullptr);
    if (candidate && static_cast<pid_t>(atspi_accessible_get_process_id(candidate, nullptr)) == pid_) {
      app = candidate;
    } else if (candidate) {
      g_object_unref(candidate);
    }
  }
  g_object_unref(desktop);
  if (!app) return false;

  static const std::map<int, int> idAtX{{480, 6}, {560, 7}, {640, 10}, {720, 8}, {840, 9}, {900, 11}, {955, 12}};
  std::vector<AtspiAccessible*> labels;
  std::vector<std::pair<int, AtspiAccessible*>> controls;
  std::function<void(AtspiAccessible*)> walk = [&](AtspiAccessible* node) {
    const AtspiRole role = atspi_accessible_get_role(node, nullptr);
    // What is kept takes a reference of its own; the walk drops its own.
    if (role == ATSPI_ROLE_LABEL) {
      labels.push_back(static_cast<AtspiAccessible*>(g_object_ref(node)));
      return;
    }
    if (role == ATSPI_ROLE_COMBO_BOX || role == ATSPI_ROLE_TOGGLE_BUTTON) {
      AtspiComponent* component = atspi_accessible_get_component_iface(node);
      AtspiRect* box = component ? atspi_component_get_extents(component, ATSPI_COORD_TYPE_WINDOW, nullptr) : nullptr;
      if (box) {
        // The bar's left edge is the window's: a control's x is its layout x.
        for (const auto& [x, id] : idAtX) {
          if (std::abs(box->x - x) <= 2) controls.emplace_back(id, static_cast<AtspiAccessible*>(g_object_ref(node)));
        }
        g_free(box);
      }
      if (component) g_object_unref(component);
    }
    const int children = atspi_accessible_get_child_count(node, nullptr);
    for (int i = 0; i < children; ++i) {
      AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
      if (!child) continue;
      walk(child);
      g_object_unref(child);
    }
  };
  walk(app);
  g_object_unref(app);
  const bool complete = labels.size() >= 4 && controls.size() == idAtX.size();
  if (complete) {
    for (std::size_t i = 0; i < 5 && i < labels.size(); ++i) fields_.push_back(new Accessible{labels[i]});
    for (std::size_t i = 5; i < labels.size(); ++i) g_object_unref(labels[i]);
    for (auto& [id, object] : controls) controls_.emplace_back(id, new Accessible{object});
  } else {
    for (AtspiAccessible* label : labels) g_object_unref(label);
    for (auto& [id, object] : controls) g_object_unref(object);
  }
  return complete;
}

Program::Accessible* Program::control(int id) {
  for (auto& [controlId, a] : controls_) {
    if (controlId == id) return a;
  }
  return nullptr;
}

Program::Accessible* Program::field(int index) {
  return index >= 0 && static_cast<std::size_t>(index) < fields_.size() ? fields_[static_cast<std::size_t>(index)] : nullptr;
}

namespace {

// Status texts change every second: each read asks the program anew rather
// than trusting what the library kept from events it may not have seen yet.
std::string nameOf(AtspiAccessible* object) {
  atspi_accessible_clear_cache(object);
  gchar* name = atspi_accessible_get_name(object, nullptr);
  std::string text = name ? name : "";
  g_free(name);
  return text;
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
  atspi_accessible_clear_cache(object);
  AtspiStateSet* states = atspi_accessible_get_state_set(object);
  const bool has = states && atspi_state_set_contains(states, state);
  if (states) g_object_unref(states);
  return has;
}

// The text of an editable box's entry, which is the combo box's text child.
std::string entryText(AtspiAccessible* combo) {
  std::string text;
  const int children = atspi_accessible_get_child_count(combo, nullptr);
  for (int i = 0; i < children; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(combo, i, nullptr);
    if (!child) continue;
    if (atspi_accessible_get_role(child, nullptr) == ATSPI_ROLE_TEXT) {
      if (AtspiText* iface = atspi_accessible_get_text_iface(child)) {
        gchar* content = atspi_text_get_text(iface, 0, -1, nullptr);
        text = content ? content : "";
        g_free(content);
        g_object_unref(iface);
      }
      g_object_unref(child);
      return text;
    }
    g_object_unref(child);
  }
  return nameOf(combo);
}

}  // namespace

std::string Program::statusText(int index) {
  Accessible* a = field(index);
  return a ? nameOf(a->object) : "";
}

std::string Program::text(int id) {
  Accessible* a = control(id);
  if (!a) return "";
  return atspi_accessible_get_role(a->object, nullptr) == ATSPI_ROLE_COMBO_BOX ? entryText(a->object) : nameOf(a->object);
}

bool Program::pressed(int id) {
  Accessible* a = control(id);
  return a && (hasState(a->object, ATSPI_STATE_CHECKED) || hasState(a->object, ATSPI_STATE_PRESSED));
}

bool Program::enabled(int id) {
  Accessible* a = control(id);
  return a && hasState(a->object, ATSPI_STATE_SENSITIVE);
}

namespace {

// Screen point at `fraction` of the control's width, halfway down.
bool pointIn(AtspiAccessible* object, double fraction, int& x, int& y) {
  AtspiComponent* component = atspi_accessible_get_component_iface(object);
  AtspiRect* box = component ? atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr) : nullptr;
  if (component) g_object_unref(component);
  if (!box) return false;
  x = box->x + static_cast<int>(box->width * fraction);
  y = box->y + box->height / 2;
  g_free(box);
  return true;
}

}  // namespace

void Program::click(int id) {
  int x = 0, y = 0;
  if (Accessible* a = control(id); a && pointIn(a->object, 0.5, x, y)) {
    xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  }
}

void Program::typeInto(int id, const std::string& text) {
  int x = 0, y = 0;
  Accessible* a = control(id);
  if (!a || !pointIn(a->object, 0.3, x, y)) return;
  xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  xdotool("key ctrl+a BackSpace");
  if (!text.empty()) xdotool("type --delay 5 -- " + quoted(text));
}

void Program::chooseMode(int index) {
  // As a screen reader's user picks an item: through the box's selection.
  // The keyboard path needs the list popped up first, which in the slow
  // modes (one window event per 50 ms pass) takes seconds to settle.
  Accessible* a = control(8);
  if (!a) return;
  if (AtspiSelection* selection = atspi_accessible_get_selection_iface(a->object)) {
    atspi_selection_select_child(selection, index, nullptr);
    g_object_unref(selection);
  }
}

std::vector<std::uint32_t> Program::canvasPixels() {
  constexpr int width = 1000, height = 256;
  std::vector<std::uint32_t> pixels;
  auto* display = static_cast<Display*>(display_);
  XImage* image = XGetImage(display, window_, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
  }
  XDestroyImage(image);
  return pixels;
}

bool Program::screenshot(const std::string& path) {
  const std::string command = "import -window " + std::to_string(window_) + " " + quoted(path) + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

int Program::close(int timeoutMs) {
  if (!running()) return -1;
  auto* display = static_cast<Display*>(display_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window_;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window_, False, NoEventMask, &event);
  XFlush(display);
  int status = 0;
  const bool ended = waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
  if (!ended) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace probe
