// Start-up of the window shell on GTK, in the order the user sees it built.
#include "ui/user_interface_gtk.hpp"

#include "ui/compact_style_gtk.hpp"
#include "ui/info_message.hpp"
#include "ui/port_box_gtk.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {

constexpr int mainWindowId = 0;
constexpr int mainClientWidth = 1000;
constexpr int mainClientHeight = 279;
// The canvas takes the top 256 rows; the bar fills the rest of the client area.
constexpr int statusBarTop = 256;

}  // namespace

UserInterfaceGtk::UserInterfaceGtk(ModeNames modeNames) {
  applyCompactStyle();
  window_.open(mainWindowId, windowTitle, mainClientWidth, mainClientHeight);
  controls_.setContainer(window_.layout());

  if (statusBars_.createStatusBar(statusBarId, window_.layout(), 0, statusBarTop, mainClientWidth,
                                  mainClientHeight - statusBarTop) != nullptr) {
    for (const int width : statusFieldWidths) statusBars_.addStatusField(width);
  }
  writeIdleStatus(statusBars_);

  // GTK places a widget once, so the controls are made where Windows moves
  // them to: in the status bar, counting from its corner. Without a bar they
  // stay in the main window.
  if (GtkFixed* bar = statusBars_.statusBarHandle(statusBarId)) controls_.setContainer(bar);
  for (const ControlLayout& layout : controlLayouts) {
    if (layout.type == ControlType::toggleButton) {
      createButton(controls_, layout.id, layout.x, layout.y, layout.width, layout.height, layout.caption);
    } else {
      createComboBox(controls_, layout.id, layout.x, layout.y, layout.width, layout.height, layout.flags);
    }
  }
  controls_.setContainer(window_.layout());
  fillControlContents(controls_, modeNames);
  if (GtkWidget* portBox = controls_.controlWidget(portBoxId)) showFullPortNames(portBox);

  // The controls are made from left to right, which is the Tab order users expect.
  std::vector<GtkWidget*> focusOrder;
  for (const ControlLayout& layout : controlLayouts) {
    if (GtkWidget* control = controls_.controlWidget(layout.id)) focusOrder.push_back(control);
  }
  window_.setFocusOrder(std::move(focusOrder));
}

}  // namespace kurvlux
