// The chart modes. Only the oldest byte of a read is plotted; the others are
// dropped, so the pass rate, not the byte rate, sets the chart's pace.
#include "acquisition/plot_mode_handlers.hpp"

#include "acquisition/mode_change.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {

bool intervalHasPassed(const AcquisitionState& state, Clock& clock, const PlotMode& mode) {
  if (mode.interval == 0) return true;
  const std::uint32_t elapsed = elapsedSince(state.intervalStart, clock.tickCount());
  return mode.intervalIsExclusive ? elapsed > mode.interval : elapsed >= mode.interval;
}

}  // namespace

void handleChartRead(AcquisitionState& state, AcquisitionPlatform& platform, const PlotMode& mode) {
  // Before the pause test, so a mode change resets the chart while paused too.
  checkModeChange(state, platform.controls, platform.plot);

  const std::int32_t value = state.receiveBuffer[0];
  const bool paused = platform.controls.controlState(pauseToggleId) != 0;
  if (!paused && intervalHasPassed(state, platform.clock, mode)) {
    platform.plot.drawRollingPoint(value, mode.kind);
    // Taken after the drawing: each interval runs from the end of the last plot.
    if (mode.interval != 0) state.intervalStart = platform.clock.tickCount();
    if (mode.framesText != nullptr) {
      StatusBar& bar = platform.statusBar;
      bar.setStatusText(statusBarId, rateField, mode.framesText, statusCentred);
      bar.setStatusText(statusBarId, valuesField, mode.minutesText, statusCentred);
      bar.setStatusText(statusBarId, divisionField, mode.divisionText, statusCentred);
      bar.setStatusProgress(statusBarId, loadField, 0, 0, 0, 10);
    }
  }
  // Every pass with bytes sleeps, plotted or not, so the loop does not spin
  // between the plots of a slow mode.
  if (mode.sleep > 0) platform.events.pauseMilliseconds(mode.sleep);
}

}  // namespace kurvlux
