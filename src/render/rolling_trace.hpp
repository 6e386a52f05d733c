// The rolling chart of the chart modes: a value per column, presented after
// every value, with optional per-second statistics in the status bar.
#pragma once

#include <cstdint>

#include "render/canvas.hpp"
#include "render/plot_output.hpp"
#include "ui/clock.hpp"
#include "ui/controls.hpp"
#include "ui/status_bar.hpp"

namespace kurvlux {

class RollingTrace {
 public:
  RollingTrace(PlotCanvas& canvas, StatusBar& statusBar, Controls& controls, Clock& clock)
      : canvas_(canvas), statusBar_(statusBar), controls_(controls), clock_(clock) {}

  // rollingResetKind resets and shows the cleared chart; rollingStatisticsKind
  // draws and keeps the statistics; any other kind only draws. Always returns 0.
  std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind);

  std::int32_t rollingColumn() const { return rollingColumn_; }
  std::int32_t rollingPrevious() const { return rollingPrevious_; }
  std::int64_t valuesDrawn() const { return valuesDrawn_; }

 private:
  void reset();
  void updateStatistics();

  PlotCanvas& canvas_;
  StatusBar& statusBar_;
  Controls& controls_;
  Clock& clock_;
  std::int32_t rollingColumn_ = 0;
  std::int32_t rollingPrevious_ = 0;
  // Kind-0 calls count too but never report, so the count may grow for the
  // whole run; 64 bits keep it from wrapping.
  std::int64_t valuesDrawn_ = 0;
  // No statistics since start or reset: the next kind-2 call reports at once,
  // whatever the clock reads.
  bool statisticsShown_ = false;
  std::uint32_t lastStatisticsTime_ = 0;
};

}  // namespace kurvlux
