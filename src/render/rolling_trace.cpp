#include "render/rolling_trace.hpp"

#include "render/scope_trace.hpp"
#include "text/convert.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {
constexpr std::int32_t chartColumns = 1000;
constexpr std::uint32_t statisticsInterval = 1000;  // ms
}  // namespace

std::int32_t RollingTrace::drawRollingPoint(std::int32_t value, std::int32_t kind) {
  if (kind == rollingResetKind) {
    reset();
    return 0;
  }
  ++valuesDrawn_;
  canvas_.drawLine(rollingColumn_ - 1, rowOfValue(rollingPrevious_), rollingColumn_, rowOfValue(value),
                   traceColour);
  rollingPrevious_ = value;
  canvas_.presentCanvas();
  if (rollingColumn_ >= chartColumns) {
    rollingColumn_ = 0;
    // Presented a second time, unchanged; the cleared canvas appears only
    // with the next value's first pixel.
    canvas_.presentAndClear();
  } else {
    ++rollingColumn_;
  }
  // Unsigned difference of two readings: right across the clock's wrap.
  if (kind == rollingStatisticsKind &&
      (!statisticsShown_ || elapsedSince(lastStatisticsTime_, clock_.tickCount()) >= statisticsInterval)) {
    updateStatistics();
  }
  return 0;
}

void RollingTrace::reset() {
  statisticsShown_ = false;
  lastStatisticsTime_ = 0;
  valuesDrawn_ = 0;
  rollingColumn_ = 0;
  rollingPrevious_ = 0;
  canvas_.clearCanvas();
  // Image 3 keeps the last presented picture.
  canvas_.showCanvas();
}

void RollingTrace::updateStatistics() {
  const std::int64_t n = valuesDrawn_;
  const double count = static_cast<double>(n);
  // Computed in this order in double, then rounded to float for the text.
  const auto secondsPerValue = static_cast<float>(1.0 / (count / 800.0));
  const auto millisecondsPerDivision = static_cast<float>((1000.0 / (count / 1000.0)) / 20.0);
  statusBar_.setStatusText(statusBarId, rateField, formatFixed(secondsPerValue, 2) + u" s/FPS",
                           statusCentred);
  statusBar_.setStatusText(statusBarId, valuesField, valuesPerSecondText(n), statusCentred);
  statusBar_.setStatusText(statusBarId, divisionField, divisionTimeText(millisecondsPerDivision),
                           statusCentred);
  statusBar_.setStatusProgress(statusBarId, loadField,
                               static_cast<std::int32_t>(static_cast<std::uint32_t>(n)), 0, 0,
                               lineCapacity(controls_));
  lastStatisticsTime_ = clock_.tickCount();
  statisticsShown_ = true;
  valuesDrawn_ = 0;
}

}  // namespace kurvlux
