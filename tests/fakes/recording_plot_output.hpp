// Records the trace calls in order. The scope column advances as the real
// trace's does (1..1000, then 0 after the call that completes a frame), so
// the acquisition code sees the same answers it would from the canvas.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "render/plot_output.hpp"

namespace kurvlux::fakes {

enum class PlotCallKind { scope, rolling, snapshot };

struct PlotCall {
  PlotCallKind call = PlotCallKind::scope;
  std::int32_t value = 0;
  std::int32_t kind = 0;  // rolling calls
  std::int32_t column = 0;  // scope calls: the column the value was drawn at
  bool operator==(const PlotCall&) const = default;
};

inline PlotCall scopeCall(std::int32_t value, std::int32_t column) {
  return PlotCall{PlotCallKind::scope, value, 0, column};
}
inline PlotCall rollingCall(std::int32_t value, std::int32_t kind) {
  return PlotCall{PlotCallKind::rolling, value, kind, 0};
}
inline PlotCall snapshotCall() { return PlotCall{PlotCallKind::snapshot, 0, 0, 0}; }

// A failing row shows the call as the test wrote it, "rollingCall(61, 0)",
// rather than GoogleTest's bytes of the struct.
inline void PrintTo(const PlotCall& c, std::ostream* out) {
  switch (c.call) {
    case PlotCallKind::scope: *out << "scopeCall(" << c.value << ", " << c.column << ")"; break;
    case PlotCallKind::rolling: *out << "rollingCall(" << c.value << ", " << c.kind << ")"; break;
    case PlotCallKind::snapshot: *out << "snapshotCall()"; break;
  }
  // A call the helpers never make (a scope call with a kind, say) shows what differs.
  const PlotCall plain = c.call == PlotCallKind::scope     ? scopeCall(c.value, c.column)
                         : c.call == PlotCallKind::rolling ? rollingCall(c.value, c.kind)
                                                           : snapshotCall();
  if (!(plain == c)) *out << " {value " << c.value << ", kind " << c.kind << ", column " << c.column << "}";
}

class RecordingPlotOutput final : public PlotOutput {
 public:
  std::int32_t drawScopePoint(std::int32_t value) override {
    calls.push_back(scopeCall(value, scopeTraceColumn));
    if (onCall) onCall(calls.back());
    if (scopeTraceColumn >= 1000) {
      scopeTraceColumn = 0;
      ++framesCompleted;
    } else {
      ++scopeTraceColumn;
    }
    return scopeTraceColumn;
  }
  std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) override {
    calls.push_back(rollingCall(value, kind));
    if (onCall) onCall(calls.back());
    return 0;
  }
  void showSnapshot() override {
    calls.push_back(snapshotCall());
    if (onCall) onCall(calls.back());
  }
  void finishPresent() override { ++presentsFinished; }
  int presentsFinished = 0;

  int count(PlotCallKind kind) const {
    int n = 0;
    for (const PlotCall& c : calls) n += c.call == kind ? 1 : 0;
    return n;
  }
  std::vector<PlotCall> only(PlotCallKind kind) const {
    std::vector<PlotCall> result;
    for (const PlotCall& c : calls) {
      if (c.call == kind) result.push_back(c);
    }
    return result;
  }

  std::int32_t scopeTraceColumn = 0;
  int framesCompleted = 0;
  std::vector<PlotCall> calls;
  // Runs inside each call, e.g. to let the clock move while a point is drawn.
  std::function<void(const PlotCall&)> onCall;
};

}  // namespace kurvlux::fakes
