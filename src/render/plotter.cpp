// The plotter wires the canvas to the two traces; they do the work.
#include "render/plotter.hpp"

namespace kurvlux {

Plotter::Plotter(ImageStore& store, StatusBar& statusBar, Controls& controls, Clock& clock)
    : canvas_(store), scope_(canvas_), rolling_(canvas_, statusBar, controls, clock) {}

void Plotter::buildCanvas() { canvas_.buildCanvas(); }

std::int32_t Plotter::drawScopePoint(std::int32_t value) { return scope_.drawScopePoint(value); }

std::int32_t Plotter::drawRollingPoint(std::int32_t value, std::int32_t kind) {
  return rolling_.drawRollingPoint(value, kind);
}

void Plotter::showSnapshot() { canvas_.showSnapshot(); }

void Plotter::finishPresent() { canvas_.finishPresent(); }

}  // namespace kurvlux
