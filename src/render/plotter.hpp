// The drawing side of the program as the acquisition loop uses it: the
// canvas and both trace procedures over one image store.
#pragma once

#include "render/canvas.hpp"
#include "render/plot_output.hpp"
#include "render/rolling_trace.hpp"
#include "render/scope_trace.hpp"
#include "render/shown_values.hpp"

namespace kurvlux {

class Plotter final : public PlotOutput {
 public:
  Plotter(ImageStore& store, StatusBar& statusBar, Controls& controls, Clock& clock);

  // Start-up: images, image control, background and grid.
  void buildCanvas();

  std::int32_t drawScopePoint(std::int32_t value) override;
  std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) override;
  void showSnapshot() override;
  void finishPresent() override;

  PlotCanvas& canvas() { return canvas_; }
  const ScopeTrace& scopeTrace() const { return scope_; }
  const RollingTrace& rollingTrace() const { return rolling_; }
  const ShownValues& shownValues() const { return shown_; }

 private:
  PlotCanvas canvas_;
  ScopeTrace scope_;
  RollingTrace rolling_;
  ShownValues shown_;
};

}  // namespace kurvlux
