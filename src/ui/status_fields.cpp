#include "ui/status_fields.hpp"

namespace kurvlux {

void writeIdleStatus(StatusBar& statusBar) {
  statusBar.setStatusText(statusBarId, 0, u"0 FPS", statusCentred);
  statusBar.setStatusText(statusBarId, 1, u"0 Werte/s", statusCentred);
  statusBar.setStatusText(statusBarId, 2, u"0 ms/DIV", statusCentred);
  statusBar.setStatusText(statusBarId, 3, u"COM-Auslastung: ", statusNoBorder | statusRightAligned);
  statusBar.setStatusProgress(statusBarId, 4, 0, 0, 0, 10);
}

}  // namespace kurvlux
