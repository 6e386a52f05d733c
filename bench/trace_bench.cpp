// Cost of drawing on the canvas in memory: per sample for both traces, and
// the two whole-canvas operations they are built from.
#include <benchmark/benchmark.h>

#include <optional>

#include "fakes/fake_clock.hpp"
#include "fakes/memory_image_store.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_status_bar.hpp"
#include "render/pixel_image.hpp"
#include "render/plotter.hpp"

namespace kurvlux {
namespace {

struct Rig {
  Rig() {
    // The real control repaints from the image; copying every shown picture
    // is the fake's own bookkeeping and is left out.
    store.keepShownPixels = false;
    controls.add(baudBoxId).text = u"250000";
    plotter.buildCanvas();
  }
  fakes::MemoryImageStore store;
  fakes::RecordingStatusBar statusBar;
  fakes::RecordingControls controls;
  fakes::FakeClock clock;
  Plotter plotter{store, statusBar, controls, clock};
};

// A sawtooth with jumps, so segments vary from flat to steep.
std::int32_t sample(std::int64_t i) { return static_cast<std::int32_t>((i * 37) % 256); }

void scopePointPerSample(benchmark::State& state) {
  Rig rig;
  std::int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(rig.plotter.drawScopePoint(sample(i++)));
  state.SetItemsProcessed(state.iterations());
  state.counters["frames"] = static_cast<double>(rig.store.swaps);
}
BENCHMARK(scopePointPerSample);

void rollingPointPerSample(benchmark::State& state) {
  Rig rig;
  std::int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(rig.plotter.drawRollingPoint(sample(i++), 0));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(rollingPointPerSample);

void fillWholeCanvas(benchmark::State& state) {
  std::optional<PixelImage> image = PixelImage::black(1, 1000, 256);
  DrawingTarget target(image->view());
  ColourValue colour = 0;
  for (auto _ : state) {
    // Alternate colours so every call splits its colour as a clear does.
    target.fillBox(0, 0, 1000, 300, colour);
    colour ^= 0xFFFFFF;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(fillWholeCanvas);

void clearCanvas(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) {
    rig.plotter.canvas().clearCanvas();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(clearCanvas);

// What a completed frame costs beyond its points: the snapshot and the
// show, then the clear for the next frame.
void presentAndClearFrame(benchmark::State& state) {
  Rig rig;
  for (auto _ : state) {
    rig.plotter.canvas().presentAndClear();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(presentAndClearFrame);

}  // namespace
}  // namespace kurvlux
