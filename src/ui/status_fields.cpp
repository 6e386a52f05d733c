#include "ui/status_fields.hpp"

namespace kurvlux {

void writeIdleStatus(StatusBar& statusBar) {
  statusBar.setStatusText(statusBarId, rateField, u"0 FPS", statusCentred);
  statusBar.setStatusText(statusBarId, valuesField, valuesPerSecondText(0), statusCentred);
  statusBar.setStatusText(statusBarId, divisionField, u"0 ms/DIV", statusCentred);
  statusBar.setStatusText(statusBarId, loadLabelField, u"COM-Auslastung: ",
                          statusNoBorder | statusRightAligned);
  statusBar.setStatusProgress(statusBarId, loadField, 0, 0, 0, 10);
}

Text valuesPerSecondText(std::int64_t values) { return formatDecimal(values) + u" Werte/s"; }

Text divisionTimeText(float milliseconds) { return formatFixed(milliseconds, 2) + u" ms/DIV"; }

std::int32_t lineCapacity(Controls& controls) {
  const std::int64_t bytesPerSecond = parseInteger(controls.controlText(baudBoxId)) / 10;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytesPerSecond));
}

}  // namespace kurvlux
