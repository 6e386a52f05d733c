// The oscilloscope mode. Frames are drawn one sample per column through the
// scope trace; between frames the walk looks for a sample equal to the
// threshold whose successor is higher.
#include "acquisition/oscilloscope.hpp"

#include <limits>

#include "acquisition/mode_change.hpp"
#include "ui/control_layout.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {

// A frame spans a thousand columns; the frame rate divides every byte that
// arrived by it, whether or not frames were drawn.
constexpr std::int64_t columnsPerFrame = 1000;
constexpr std::uint32_t statisticsPeriod = 1000;
// Twenty grid divisions span the thousand columns of a frame.
constexpr double divisionsPerFrame = 20.0;

void showStatistics(AcquisitionPlatform& platform, std::int32_t n) {
  StatusBar& bar = platform.statusBar;
  const std::int64_t count = n;
  bar.setStatusText(statusBarId, rateField, formatDecimal(count / columnsPerFrame) + u" FPS", statusCentred);
  bar.setStatusText(statusBarId, valuesField, valuesPerSecondText(count), statusCentred);
  // Milliseconds per division, computed in this order and shown as a float
  // so the rounding matches the chart modes' own statistics.
  const double framesPerSecond = static_cast<double>(n) / 1000.0;
  const double frameMilliseconds = 1000.0 / framesPerSecond;
  const float division = static_cast<float>(frameMilliseconds / divisionsPerFrame);
  bar.setStatusText(statusBarId, divisionField, divisionTimeText(division), statusCentred);
  bar.setStatusProgress(statusBarId, loadField, n, 0, 0, lineCapacity(platform.controls));
}

}  // namespace

TriggerSetting readTriggerSetting(Controls& controls) {
  const Text text = controls.controlText(thresholdBoxId);
  TriggerSetting trigger;
  trigger.thresholdValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(parseInteger(text)));
  trigger.armsAlways = textEquals(text, thresholdOffText);
  return trigger;
}

void walkScopeSamples(AcquisitionState& state, PlotOutput& plot, std::int32_t count, bool paused,
                      TriggerSetting trigger) {
  // Paused in the middle of a frame: nothing is drawn and no trigger is
  // sought, so the frame resumes at its column after the pause.
  if (paused && state.scopeColumn != 0) return;

  const std::uint8_t* const samples = state.receiveBuffer.data();
  const auto bufferSize = static_cast<std::int32_t>(state.receiveBuffer.size());
  int armed = state.triggerArmed;
  std::int32_t column = state.scopeColumn;
  for (std::int32_t k = 0; k < count; ++k) {
    // A byte is its own sample value; its decimal text would read back the same.
    const std::int32_t value = samples[k];
    if (!paused && armed == 1) column = plot.drawScopePoint(value);
    // The sample that completed a frame is itself the first trigger candidate.
    if (column == 0) {
      armed = 0;
      if (value == trigger.thresholdValue) {
        // Past the end of a full buffer there is no successor; 0 stands in,
        // which no sample is below, so the last byte of a full read never
        // arms the trigger.
        const std::int32_t next = k + 1 < bufferSize ? samples[k + 1] : 0;
        if (value < next) armed = 1;
      }
      if (trigger.armsAlways) armed = 1;
    }
  }
  state.triggerArmed = armed;
  state.scopeColumn = column;
}

void handleOscilloscopeRead(AcquisitionState& state, AcquisitionPlatform& platform,
                            std::int32_t receivedCount) {
  // Saturates instead of overflowing, should the statistics ever be held up.
  const std::int64_t counted = static_cast<std::int64_t>(state.byteCounter) + receivedCount;
  state.byteCounter = counted > std::numeric_limits<std::int32_t>::max()
                          ? std::numeric_limits<std::int32_t>::max()
                          : static_cast<std::int32_t>(counted);

  if (elapsedSince(state.intervalStart, platform.clock.tickCount()) >= statisticsPeriod) {
    showStatistics(platform, state.byteCounter);
    state.intervalStart = platform.clock.tickCount();
    state.byteCounter = 0;
  }

  checkModeChange(state, platform.controls, platform.plot);

  const bool paused = platform.controls.controlState(pauseToggleId) != 0;
  walkScopeSamples(state, platform.plot, receivedCount, paused, readTriggerSetting(platform.controls));
}

}  // namespace kurvlux
