// One oscilloscope frame at a time: a value per column, the whole frame
// presented once it is complete.
#pragma once

#include <cstdint>

#include "render/canvas.hpp"

namespace kurvlux {

constexpr ColourValue traceColour = 0xFF0000;  // blue: red lies in the low byte

class ScopeTrace {
 public:
  explicit ScopeTrace(PlotCanvas& canvas) : canvas_(canvas) {}

  // Draws the value in the current column. Returns the next column, or 0
  // after the call that completed (and presented) the frame.
  std::int32_t drawScopePoint(std::int32_t value);

  std::int32_t scopeTraceColumn() const { return scopeTraceColumn_; }
  std::int32_t scopePrevious() const { return scopePrevious_; }

 private:
  PlotCanvas& canvas_;
  std::int32_t scopeTraceColumn_ = 0;
  std::int32_t scopePrevious_ = 0;
};

}  // namespace kurvlux
