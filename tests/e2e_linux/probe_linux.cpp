// AT-SPI for what a screen reader reads, Xlib for the window and its
// pixels, xdotool for the user's hands.
#include "e2e_linux/probe_linux.hpp"

#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <atspi/atspi.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "text/utf8_text.hpp"
#include "ui/control_layout.hpp"

extern char** environ;

namespace probe {

namespace {

constexpr const char* windowTitle = "Kurvlux v1.0 [Vevi Version]";
constexpr const char* canvasName = "Graph";

pid_t spawn(const std::vector<std::string>& command, int stdoutFd, int stderrFd,
            const std::vector<std::string>& settings = {}) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  if (stderrFd >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  // The first of two settings of a name is the one that counts.
  std::vector<char*> env;
  for (const std::string& setting : settings) {
    if (!setting.empty()) env.push_back(const_cast<char*>(setting.c_str()));
  }
  for (char** inherited = environ; *inherited; ++inherited) env.push_back(*inherited);
  env.push_back(nullptr);
  // Whatever this test was started with (a background job ignores SIGINT and SIGQUIT), the signals the tests
  // send arrive with their default action and unblocked; SIGHUP is each test's own choice.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigemptyset(&none);
  for (int sent : {SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGALRM, SIGSEGV}) sigaddset(&defaults, sent);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), env.data()) != 0) pid = -1;
  posix_spawnattr_destroy(&attributes);
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

// Status texts change every second: each read asks the program anew rather
// than trusting what the library kept from events it may not have seen yet.
std::string nameOf(AtspiAccessible* object, bool description = false) {
  atspi_accessible_clear_cache(object);
  gchar* name = description ? atspi_accessible_get_description(object, nullptr) : atspi_accessible_get_name(object, nullptr);
  std::string text = name ? name : "";
  g_free(name);
  return text;
}

// Depth first below `node`; `visit` answers whether to look below a node.
void walk(AtspiAccessible* node, const std::function<bool(AtspiAccessible*)>& visit) {
  const int children = atspi_accessible_get_child_count(node, nullptr);
  for (int i = 0; i < children; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
    if (!child) continue;
    if (visit(child)) walk(child, visit);
    g_object_unref(child);
  }
}

// Where the node is in its window; -1 everywhere while it has no place.
Program::Box extentsOf(AtspiAccessible* node, AtspiCoordType where = ATSPI_COORD_TYPE_WINDOW) {
  Program::Box box;
  AtspiComponent* component = atspi_accessible_get_component_iface(node);
  AtspiRect* rect = component ? atspi_component_get_extents(component, where, nullptr) : nullptr;
  if (rect && rect->x >= 0 && rect->width > 0) box = Program::Box{rect->x, rect->y, rect->width, rect->height};
  g_free(rect);
  if (component) g_object_unref(component);
  return box;
}

// The first node below `node` that fits, with a reference of its own: among
// the children only unless `deep`, and never through a combo box's hundreds
// of list items.
AtspiAccessible* find(AtspiAccessible* node, const std::function<bool(AtspiAccessible*)>& fits, bool deep = true) {
  AtspiAccessible* found = nullptr;
  walk(node, [&](AtspiAccessible* child) {
    if (!found && fits(child)) found = static_cast<AtspiAccessible*>(g_object_ref(child));
    return !found && deep && atspi_accessible_get_role(child, nullptr) != ATSPI_ROLE_COMBO_BOX;
  });
  return found;
}

std::function<bool(AtspiAccessible*)> withRole(AtspiRole role) {
  return [role](AtspiAccessible* node) { return atspi_accessible_get_role(node, nullptr) == role; };
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
  atspi_accessible_clear_cache(object);
  AtspiStateSet* states = atspi_accessible_get_state_set(object);
  const bool has = states && atspi_state_set_contains(states, state);
  if (states) g_object_unref(states);
  return has;
}

// An editable box's entry: the combo box's text child; none in a list box.
AtspiAccessible* entryOf(AtspiAccessible* combo) { return find(combo, withRole(ATSPI_ROLE_TEXT), false); }

std::string entryText(AtspiAccessible* combo) {
  std::string text;
  if (AtspiAccessible* entry = entryOf(combo)) {
    if (AtspiText* iface = atspi_accessible_get_text_iface(entry)) {
      gchar* content = atspi_text_get_text(iface, 0, -1, nullptr);
      text = content ? content : "";
      g_free(content);
      g_object_unref(iface);
    }
    g_object_unref(entry);
    return text;
  }
  // A list box is named after its purpose; what it shows is its selection.
  AtspiSelection* selection = atspi_accessible_get_selection_iface(combo);
  AtspiAccessible* item = selection ? atspi_selection_get_selected_child(selection, 0, nullptr) : nullptr;
  if (item) {
    text = nameOf(item);
    g_object_unref(item);
  }
  if (selection) g_object_unref(selection);
  return text;
}

// A click at `fraction` of the control's width, halfway down. GTK counts in
// the unscaled pixels it lays out in; the screen has `scale` times as many.
bool clickIn(AtspiAccessible* object, double fraction, int scale) {
  const Program::Box box = extentsOf(object, ATSPI_COORD_TYPE_SCREEN);
  const int x = (box.x + static_cast<int>(box.width * fraction)) * scale, y = (box.y + box.height / 2) * scale;
  if (box.width > 0) xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  return box.width > 0;
}

bool doAction(AtspiAccessible* object) {
  AtspiAction* action = atspi_accessible_get_action_iface(object);
  const bool done = action && atspi_action_do_action(action, 0, nullptr);
  if (action) g_object_unref(action);
  return done;
}

// What GTK last reported as focused, as a screen reader follows it: the
// entry of an editable box, the button inside a list box.
AtspiAccessible* reportedFocus = nullptr;

void onFocus(AtspiEvent* event, void*) {
  if (event->detail1 == 1 && event->source) {
    if (reportedFocus) g_object_unref(reportedFocus);
    reportedFocus = static_cast<AtspiAccessible*>(g_object_ref(event->source));
  }
  g_boxed_free(ATSPI_TYPE_EVENT, event);
}

// A busy X server may turn a new connection away for a moment.
Display* openDisplay() {
  Display* display = nullptr;
  if (!waitUntil([&] { return (display = XOpenDisplay(nullptr)) != nullptr; })) {
    std::fprintf(stderr, "probe: cannot open the X display %s\n", environment("DISPLAY", "(none)").c_str());
  }
  return display;
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
  return pid_ > 0 && waitUntil([&] { return access(link_.c_str(), F_OK) == 0; });
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
  if (testing::Test::HasFailure() && !steps_.empty()) {
    std::printf("kurvlux, the last steps the probe took:\n");
    for (const std::string& what : steps_) std::printf("  %s\n", what.c_str());
    const std::string said = standardError();
    std::printf("its standard error:%s%s", said.empty() ? " (nothing)\n" : "\n", said.c_str());
  }
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  auto release = [](Accessible* a) {
    if (a) g_object_unref(a->object);
    delete a;
  };
  for (Accessible* a : fields_) release(a);
  for (auto& [id, a] : controls_) release(a);
  release(app_);
  if (errorPipe_ >= 0) ::close(errorPipe_);
  if (display_) XCloseDisplay(static_cast<Display*>(display_));
}

void Program::step(const std::string& what) {
  // The last few are what led to a failure.
  if (steps_.size() == 16) steps_.erase(steps_.begin());
  char when[32];
  const std::chrono::duration<double> since = std::chrono::steady_clock::now() - started_;
  std::snprintf(when, sizeof when, "%8.3f s: ", since.count());
  steps_.push_back(when + what);
}

bool Program::start(const std::vector<std::string>& arguments, const std::vector<std::string>& settings) {
  std::string said = "start";
  for (const std::string& part : arguments) said += " " + part;
  for (const std::string& part : settings) said += " " + part;
  step(said);
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  std::vector<std::string> command{environment("KURVLUX_PROGRAM", "kurvlux")};
  command.insert(command.end(), arguments.begin(), arguments.end());
  pid_ = spawn(command, -1, pipeEnds[1], settings);
  ::close(pipeEnds[1]);
  errorPipe_ = pipeEnds[0];
  fcntl(errorPipe_, F_SETFL, O_NONBLOCK);
  // On Wayland, or on a display of the test's own, there is no window to find: the accessible tree is all there is.
  const bool onX11 = std::none_of(settings.begin(), settings.end(), [](const std::string& setting) {
    return setting == "GDK_BACKEND=wayland" || setting.rfind("DISPLAY=", 0) == 0;
  });
  if (pid_ <= 0 || (onX11 && !(display_ = openDisplay()))) return false;
  // A box may go while its title is read: no error of that may end the test.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  return (!onX11 || waitUntil([&] { return (window_ = findWindow()) != 0; })) &&
         waitUntil([&] { return findAccessibles(); });
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

// The first window with the program's title (a recording adds to it) and
// process but `except`.
unsigned long Program::findWindow(unsigned long except) {
  auto* display = static_cast<Display*>(display_);
  // A window's property as bytes, empty when it has none.
  const auto property = [display](Window window, const char* name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 256, False, type, &actual,
                           &format, &items, &after, &data) == Success && data) {
      bytes.assign(reinterpret_cast<char*>(data), format == 32 ? items * sizeof(long) : items);
      XFree(data);
    }
    return bytes;
  };
  Window root = 0, parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    // The UTF-8 title: WM_NAME holds one beyond Latin-1 (a recording's " – ")
    // as compound text, which need not start with the title's bytes.
    const bool titled =
        property(children[i], "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False)).rfind(windowTitle, 0) == 0;
    const std::string pid = titled ? property(children[i], "_NET_WM_PID", XA_CARDINAL) : "";
    const bool ours = pid.size() == sizeof(long) && static_cast<pid_t>(*reinterpret_cast<const long*>(pid.data())) == pid_;
    if (ours && children[i] != except) found = children[i];
  }
  if (children) XFree(children);
  return found;
}

bool Program::findAccessibles() {
  if (!app_) {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    AtspiAccessible* app = find(desktop, [&](AtspiAccessible* node) {
      return static_cast<pid_t>(atspi_accessible_get_process_id(node, nullptr)) == pid_;
    }, false);
    g_object_unref(desktop);
    if (!app) return false;
    app_ = new Accessible{app};
  }
  // The canvas and the bar share the window's layout, and only they: the
  // title bar GTK draws itself on Wayland stays out of the walk.
  AtspiAccessible* canvas = find(app_->object, [](AtspiAccessible* node) { return nameOf(node) == canvasName; });
  AtspiAccessible* layout = canvas ? atspi_accessible_get_parent(canvas, nullptr) : nullptr;
  if (canvas) g_object_unref(canvas);
  if (!layout) return false;

  // A box is found by its name, a button by its description: both are the
  // control's tip. A control counts once it has its place in the window.
  std::vector<AtspiAccessible*> labels;
  std::vector<std::pair<int, AtspiAccessible*>> controls;
  walk(layout, [&](AtspiAccessible* node) {
    const AtspiRole role = atspi_accessible_get_role(node, nullptr);
    const std::string purpose = role == ATSPI_ROLE_TOGGLE_BUTTON ? nameOf(node, true) : nameOf(node);
    for (const kurvlux::ControlLayout& layout : kurvlux::controlLayouts) {
      if ((role == ATSPI_ROLE_COMBO_BOX || role == ATSPI_ROLE_TOGGLE_BUTTON) &&
          purpose == kurvlux::utf8FromText(layout.tooltip)) {
        if (extentsOf(node).width > 0) controls.emplace_back(layout.id, static_cast<AtspiAccessible*>(g_object_ref(node)));
        return false;
      }
    }
    if (role == ATSPI_ROLE_LABEL) labels.push_back(static_cast<AtspiAccessible*>(g_object_ref(node)));
    return role != ATSPI_ROLE_LABEL;
  });
  g_object_unref(layout);
  const bool complete = labels.size() >= 4 && controls.size() == kurvlux::controlLayouts.size();
  // What is kept keeps the walk's reference; the rest is given back.
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (complete && i < 5) fields_.push_back(new Accessible{labels[i]});
    else g_object_unref(labels[i]);
  }
  for (auto& [id, object] : controls) {
    if (complete) controls_.emplace_back(id, new Accessible{object});
    else g_object_unref(object);
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

void Program::click(int id) {
  step("click control " + std::to_string(id));
  if (Accessible* a = control(id)) clickIn(a->object, 0.5, scale());
}

void Program::typeInto(int id, const std::string& text) {
  step("type \"" + text + "\" into control " + std::to_string(id));
  Accessible* a = control(id);
  if (!a || !clickIn(a->object, 0.3, scale())) return;
  xdotool("key ctrl+a BackSpace");
  if (!text.empty()) xdotool("type --delay 5 -- " + quoted(text));
}

void Program::chooseMode(int index) {
  // As a screen reader's user picks an item: through the box's selection.
  // The keyboard path needs the list popped up first, which in the slow
  // modes (one window event per 50 ms pass) takes seconds to settle.
  step("choose mode " + std::to_string(index));
  Accessible* a = control(8);
  if (!a) return;
  if (AtspiSelection* selection = atspi_accessible_get_selection_iface(a->object)) {
    atspi_selection_select_child(selection, index, nullptr);
    g_object_unref(selection);
  }
}

int Program::scale() {
  XWindowAttributes attributes{};
  XGetWindowAttributes(static_cast<Display*>(display_), window_, &attributes);
  return std::max(1, attributes.width / 1000);
}

std::vector<std::uint32_t> Program::canvasPixels(int left, int columns) {
  const int scaled = scale(), width = columns * scaled, height = 256 * scaled;
  std::vector<std::uint32_t> pixels;
  auto* display = static_cast<Display*>(display_);
  XImage* image = XGetImage(display, window_, left * scaled, 0, width, height, AllPlanes, ZPixmap);
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

Program::Box Program::extents(int id) {
  Accessible* a = control(id);
  return a ? extentsOf(a->object) : Box{};
}

Program::Box Program::clientArea() {
  XWindowAttributes attributes{};
  XGetWindowAttributes(static_cast<Display*>(display_), window_, &attributes);
  return Box{attributes.x, attributes.y, attributes.width / scale(), attributes.height / scale()};
}

void Program::activate(int id) {
  step("activate control " + std::to_string(id));
  if (Accessible* a = control(id)) doAction(a->object);
}

void Program::setText(int id, const std::string& text) {
  step("set the text of control " + std::to_string(id) + " to \"" + text + "\"");
  Accessible* a = control(id);
  AtspiAccessible* entry = a ? entryOf(a->object) : nullptr;
  if (!entry) return;
  if (AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(entry)) {
    atspi_editable_text_set_text_contents(editable, text.c_str(), nullptr);
    g_object_unref(editable);
  }
  g_object_unref(entry);
}

int Program::focusedControl() {
  static const bool listening = atspi_event_listener_register(atspi_event_listener_new(onFocus, nullptr, nullptr),
                                                              "object:state-changed:focused", nullptr);
  static_cast<void>(listening);
  while (g_main_context_iteration(nullptr, FALSE)) continue;
  // What a screen reader announces: the name of the control.
  const std::string focus = reportedFocus ? nameOf(reportedFocus) : "";
  for (auto& [id, a] : controls_) {
    if (!focus.empty() && focus == nameOf(a->object)) return id;
  }
  return -1;
}

void Program::key(const std::string& keys) {
  step("key " + keys);
  xdotool("key " + keys);
}

// A box is one of the application's windows.
bool Program::boxShown(int timeoutMs) {
  return waitUntil([&] {
    AtspiAccessible* dialog = find(app_->object, withRole(ATSPI_ROLE_DIALOG), false);
    if (dialog) g_object_unref(dialog);
    return dialog != nullptr;
  }, timeoutMs);
}

std::string Program::answerBox(int timeoutMs) {
  AtspiAccessible* dialog = nullptr;
  AtspiAccessible* ok = nullptr;
  waitUntil([&] {
    dialog = find(app_->object, withRole(ATSPI_ROLE_DIALOG), false);
    ok = dialog ? find(dialog, [](AtspiAccessible* node) { return nameOf(node) == "OK"; }) : nullptr;
    if (dialog && !ok) g_object_unref(dialog);
    return ok != nullptr;
  }, timeoutMs);
  if (!ok) return "";
  // Its text is the label that is not the title GTK draws on Wayland.
  AtspiAccessible* label = find(dialog, [](AtspiAccessible* node) {
    const std::string name = withRole(ATSPI_ROLE_LABEL)(node) ? nameOf(node) : "";
    return !name.empty() && name != windowTitle;
  });
  const std::string text = label ? nameOf(label) : "";
  if (label) g_object_unref(label);
  doAction(ok);
  // Gone before anyone looks for the next box.
  waitUntil([&] { return !hasState(dialog, ATSPI_STATE_SHOWING); }, timeoutMs);
  g_object_unref(ok);
  g_object_unref(dialog);
  return text;
}

int Program::closeFromTitleBar(int timeoutMs) {
  AtspiAccessible* button =
      find(app_->object, [](AtspiAccessible* node) { return withRole(ATSPI_ROLE_PUSH_BUTTON)(node) && nameOf(node) == "Close"; });
  step("close from the title bar");
  if (button) {
    doAction(button);
    g_object_unref(button);
  }
  return exitCode(timeoutMs);
}

int Program::destroyWindow(int timeoutMs) {
  step("destroy the window");
  xdotool("windowclose " + std::to_string(window_));
  return exitCode(timeoutMs);
}

int Program::killClient(int timeoutMs) {
  step("xkill the window's client");
  if (std::system(("xkill -id " + std::to_string(window_) + " >/dev/null 2>&1").c_str()) != 0) return -1;
  return exitCode(timeoutMs);
}

bool Program::destroyBox(int timeoutMs) {
  unsigned long box = 0;
  waitUntil([&] { return (box = findWindow(window_)) != 0; }, timeoutMs);
  if (box != 0) xdotool("windowclose " + std::to_string(box));
  return box != 0;
}

int Program::exitCode(int timeoutMs) {
  int status = 0;
  const bool ended = waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
  if (!ended) return -1;
  pid_ = -1;
  endingSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

int Program::close(int timeoutMs) {
  if (!running()) return -1;
  requestClose();
  return exitCode(timeoutMs);
}

void Program::requestClose() {
  step("close request");
  // Without a window found (a start that failed, or Wayland) there is
  // nothing to ask; the destructor ends the process.
  auto* display = static_cast<Display*>(display_);
  if (!display || window_ == 0) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window_;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window_, False, NoEventMask, &event);
  XFlush(display);
}

std::string Program::title() { return waitForNamed(ATSPI_ROLE_FRAME, windowTitle, 0, false); }

// GTK puts a menu that pops up among the application's windows.
bool Program::chooseFromCanvasMenu(const std::string& entry, int timeoutMs) {
  step("canvas menu: " + entry);
  AtspiAccessible* canvas = find(app_->object, [](AtspiAccessible* node) { return nameOf(node) == canvasName; });
  if (!canvas) return false;
  const Box box = extentsOf(canvas, ATSPI_COORD_TYPE_SCREEN);
  g_object_unref(canvas);
  xdotool("mousemove " + std::to_string((box.x + box.width / 2) * scale()) + " " +
          std::to_string((box.y + box.height / 2) * scale()) + " click 3");
  return !waitForNamed(ATSPI_ROLE_MENU_ITEM, entry, timeoutMs, true).empty();
}

bool Program::pressButton(const std::string& name, int timeoutMs) {
  step("press " + name);
  return !waitForNamed(ATSPI_ROLE_PUSH_BUTTON, name, timeoutMs, true).empty();
}

// The showing accessible of the role whose name starts so; its name, or
// empty when none came in time. `act` does its action as well.
std::string Program::waitForNamed(int role, const std::string& start, int timeoutMs, bool act) {
  std::string name;
  waitUntil([&] {
    AtspiAccessible* found = find(app_->object, [&](AtspiAccessible* node) {
      return atspi_accessible_get_role(node, nullptr) == role && nameOf(node).rfind(start, 0) == 0 &&
             hasState(node, ATSPI_STATE_SHOWING);
    });
    if (found) {
      name = nameOf(found);
      if (act && !doAction(found)) name.clear();
      g_object_unref(found);
    }
    return found != nullptr;
  }, timeoutMs);
  return name;
}

std::string Program::labelStartingWith(const std::string& start, int timeoutMs) {
  return waitForNamed(ATSPI_ROLE_LABEL, start, timeoutMs, false);
}

}  // namespace probe
