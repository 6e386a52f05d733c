// The plotter wires the canvas to the two traces; they do the work.
#include "render/plotter.hpp"

namespace kurvlux {

Plotter::Plotter(ImageStore& store, StatusBar& statusBar, Controls& controls, Clock& clock)
    : canvas_(store), scope_(canvas_), rolling_(canvas_, statusBar, controls, clock) {}

void Plotter::buildCanvas() { canvas_.buildCanvas(); }

std::int32_t Plotter::drawScopePoint(std::int32_t value) {
  shown_.scopeValue(scope_.scopeTraceColumn(), value);
  const std::int32_t next = scope_.drawScopePoint(value);
  if (next == 0) shown_.scopeFrameShown();
  return next;
}

std::int32_t Plotter::drawRollingPoint(std::int32_t value, std::int32_t kind) {
  if (kind == rollingResetKind) {
    shown_.clearedShown();
  } else {
    shown_.chartValue(rolling_.rollingColumn(), value);
  }
  return rolling_.drawRollingPoint(value, kind);
}

void Plotter::showSnapshot() {
  shown_.snapshotShown();
  canvas_.showSnapshot();
}

void Plotter::finishPresent() { canvas_.finishPresent(); }

}  // namespace kurvlux
