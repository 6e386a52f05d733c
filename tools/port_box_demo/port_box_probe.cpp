// Reads and opens the port box of a running kurvlux as a user and a screen
// reader do: `items` prints the list's items, the entry's text and whether
// the box is disabled (AT-SPI);
// `type TEXT` puts TEXT into the entry; `press NAME` presses the button with
// that caption; `open [N]` clicks the list's arrow (XTest) N times, each time
// printing the milliseconds until the list's window is mapped and closing it
// with Escape, then the median ("no list" when none opens within 2 s).
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <atspi/atspi.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

AtspiAccessible* find(AtspiAccessible* node, const std::function<bool(AtspiAccessible*)>& fits) {
  const int children = atspi_accessible_get_child_count(node, nullptr);
  for (int i = 0; i < children; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
    if (!child) continue;
    if (fits(child)) return child;
    if (AtspiAccessible* found = find(child, fits)) return found;
  }
  return nullptr;
}

AtspiRole roleOf(AtspiAccessible* node) { return atspi_accessible_get_role(node, nullptr); }

std::string nameOf(AtspiAccessible* node) {
  gchar* name = atspi_accessible_get_name(node, nullptr);
  std::string text = name ? name : "";
  g_free(name);
  return text;
}

// The editable combo box: the port box is the only one named after ports.
AtspiAccessible* portBox() {
  AtspiAccessible* desktop = atspi_get_desktop(0);
  AtspiAccessible* app = find(desktop, [](AtspiAccessible* node) { return nameOf(node) == "kurvlux"; });
  if (!app) return nullptr;
  return find(app, [](AtspiAccessible* node) {
    return roleOf(node) == ATSPI_ROLE_COMBO_BOX &&
           find(node, [](AtspiAccessible* n) { return roleOf(n) == ATSPI_ROLE_TEXT; }) &&
           nameOf(node).find("Port") != std::string::npos;
  });
}

int printItems(AtspiAccessible* box) {
  std::string items;
  AtspiAccessible* menu = find(box, [](AtspiAccessible* node) { return roleOf(node) == ATSPI_ROLE_MENU; });
  const int count = menu ? atspi_accessible_get_child_count(menu, nullptr) : 0;
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* item = atspi_accessible_get_child_at_index(menu, i, nullptr);
    items += (i ? ", " : "") + nameOf(item);
  }
  AtspiAccessible* entry = find(box, [](AtspiAccessible* node) { return roleOf(node) == ATSPI_ROLE_TEXT; });
  AtspiText* text = entry ? atspi_accessible_get_text_iface(entry) : nullptr;
  gchar* content = text ? atspi_text_get_text(text, 0, -1, nullptr) : nullptr;
  AtspiStateSet* states = atspi_accessible_get_state_set(box);
  const bool enabled = atspi_state_set_contains(states, ATSPI_STATE_SENSITIVE);
  g_object_unref(states);
  std::printf("items: [%s]  entry: \"%s\"%s\n", items.c_str(), content ? content : "",
              enabled ? "" : "  (disabled)");
  g_free(content);
  return 0;
}

// Waits for a MapNotify (mapped) or UnmapNotify of an override-redirect
// window, which is what a combo box's popped-up list is.
bool waitForPopup(Display* display, bool mapped) {
  for (XEvent event;;) {
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    if (XPending(display) == 0 && poll(&connection, 1, 2000) <= 0) return false;
    XNextEvent(display, &event);
    if (mapped && event.type == MapNotify && event.xmap.override_redirect) return true;
    if (!mapped && event.type == UnmapNotify) return true;
  }
}

int openList(AtspiAccessible* box, int times) {
  AtspiComponent* component = atspi_accessible_get_component_iface(box);
  AtspiRect* rect = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr);
  // The arrow is the box's right end.
  const int x = rect->x + rect->width - 6, y = rect->y + rect->height / 2;
  g_free(rect);
  Display* display = XOpenDisplay(nullptr);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
  XSync(display, False);
  std::vector<double> times_ms;
  for (int i = 0; i < times; ++i) {
    // A user's next click comes a while after the list closed.
    poll(nullptr, 0, 300);
    XSync(display, True);
    const auto start = std::chrono::steady_clock::now();
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    if (!waitForPopup(display, true)) {
      std::printf("no list\n");
      return 0;
    }
    times_ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    std::printf("%.2f ", times_ms.back());
    std::fflush(stdout);
    const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
    XTestFakeKeyEvent(display, escape, True, CurrentTime);
    XTestFakeKeyEvent(display, escape, False, CurrentTime);
    XFlush(display);
    waitForPopup(display, false);
    XSync(display, False);
  }
  std::sort(times_ms.begin(), times_ms.end());
  const std::size_t half = times_ms.size() / 2;
  const double median = times_ms.size() % 2 ? times_ms[half] : (times_ms[half - 1] + times_ms[half]) / 2;
  std::printf("\nmedian of %d: %.2f ms\n", times, median);
  XCloseDisplay(display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  atspi_init();
  AtspiAccessible* box = portBox();
  if (!box) {
    std::fprintf(stderr, "port_box_probe: no port box of a running kurvlux found\n");
    return 1;
  }
  const std::string command = argc > 1 ? argv[1] : "items";
  if (command == "open") return openList(box, argc > 2 ? std::atoi(argv[2]) : 1);
  if (command == "type" && argc > 2) {
    AtspiAccessible* entry = find(box, [](AtspiAccessible* node) { return roleOf(node) == ATSPI_ROLE_TEXT; });
    return atspi_editable_text_set_text_contents(atspi_accessible_get_editable_text_iface(entry), argv[2],
                                                 nullptr)
               ? 0
               : 1;
  }
  if (command == "press" && argc > 2) {
    AtspiAccessible* app = atspi_accessible_get_application(box, nullptr);
    const std::string caption = argv[2];
    AtspiAccessible* button = find(app, [&](AtspiAccessible* node) { return nameOf(node) == caption; });
    return button && atspi_action_do_action(atspi_accessible_get_action_iface(button), 0, nullptr) ? 0 : 1;
  }
  return printItems(box);
}
