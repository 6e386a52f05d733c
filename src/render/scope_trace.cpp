#include "render/scope_trace.hpp"

namespace kurvlux {

namespace {
constexpr std::int32_t frameColumns = 1000;
}  // namespace

std::int32_t ScopeTrace::drawScopePoint(std::int32_t value) {
  canvas_.drawLine(scopeTraceColumn_ - 1, rowOfValue(scopePrevious_), scopeTraceColumn_, rowOfValue(value),
                   traceColour);
  scopePrevious_ = value;
  // A frame takes 1001 calls: the one at column 1000 draws nothing new (its
  // segment is cut to the pixel column 999 already has) and only closes it.
  if (scopeTraceColumn_ >= frameColumns) {
    scopeTraceColumn_ = 0;
    // The next frame starts on a clean canvas, which stays unseen until that
    // frame is complete.
    canvas_.presentAndClear();
  } else {
    ++scopeTraceColumn_;
  }
  return scopeTraceColumn_;
}

}  // namespace kurvlux
