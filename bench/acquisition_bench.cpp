// Cost per received byte of the oscilloscope mode: the walk alone (drawing
// answered by a counter), and whole loop passes drawing on in-memory images.
#include <benchmark/benchmark.h>

#include "acquisition/main_loop.hpp"
#include "acquisition/oscilloscope.hpp"
#include "fakes/acquisition_rig.hpp"
#include "fakes/memory_image_store.hpp"
#include "render/plotter.hpp"

namespace kurvlux {
namespace {

// Answers like the scope trace without drawing anything.
class CountingPlot final : public PlotOutput {
 public:
  std::int32_t drawScopePoint(std::int32_t value) override {
    sum += value;
    column = column >= 1000 ? 0 : column + 1;
    return column;
  }
  std::int32_t drawRollingPoint(std::int32_t, std::int32_t) override { return 0; }
  void showSnapshot() override {}
  std::int32_t column = 0;
  std::int64_t sum = 0;
};

std::vector<std::uint8_t> sineLikeBytes() {
  std::vector<std::uint8_t> bytes(receiveBufferSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t phase = i % 200;
    bytes[i] = static_cast<std::uint8_t>(phase < 100 ? 28 + 2 * phase : 428 - 2 * phase);
  }
  return bytes;
}

// threshold 255 never fires: every byte is only searched.
void walkSearching(benchmark::State& run) {
  AcquisitionState state;
  state.receiveBuffer = sineLikeBytes();
  CountingPlot plot;
  const TriggerSetting trigger{255, false};
  for (auto _ : run) {
    state.triggerArmed = 0;
    state.scopeColumn = 0;
    walkScopeSamples(state, plot, receiveBufferSize, false, trigger);
    benchmark::DoNotOptimize(state.triggerArmed);
  }
  run.SetItemsProcessed(run.iterations() * receiveBufferSize);
}
BENCHMARK(walkSearching);

void walkTriggered(benchmark::State& run) {
  AcquisitionState state;
  state.receiveBuffer = sineLikeBytes();
  CountingPlot plot;
  const TriggerSetting trigger{128, false};
  for (auto _ : run) {
    walkScopeSamples(state, plot, receiveBufferSize, false, trigger);
    benchmark::DoNotOptimize(plot.sum);
  }
  run.SetItemsProcessed(run.iterations() * receiveBufferSize);
}
BENCHMARK(walkTriggered);

// The main loop connected to a scripted port, drawing on in-memory images.
struct LoopRig : fakes::PlatformFakes {
  explicit LoopRig(const char16_t* mode) {
    controls.at(modeListId).text = mode;
    store.keepShownPixels = false;
    plotter.buildCanvas();
    controls.at(connectToggleId).state = 1;
    loop.runPass();
  }
  // One pass over the given read, without the fakes' bookkeeping.
  void pass(benchmark::State& run, const std::vector<std::uint8_t>& bytes) {
    run.PauseTiming();
    ports.push(bytes);
    controls.log.clear();
    ports.log.clear();
    ports.readLengths.clear();
    statusBar.calls.clear();
    run.ResumeTiming();
    loop.runPass();
  }
  fakes::MemoryImageStore store;
  Plotter plotter{store, statusBar, controls, clock};
  MainLoop loop{controls, statusBar, pump, clock, ports, plotter};
};

// Whole passes in "Oszilloskop" with "aus": every byte is drawn into the
// in-memory canvas, and every thousandth completes a frame.
void passesDrawingEveryByte(benchmark::State& run) {
  LoopRig rig(u"Oszilloskop");
  const std::vector<std::uint8_t> bytes = sineLikeBytes();
  for (auto _ : run) rig.pass(run, bytes);
  run.SetItemsProcessed(run.iterations() * receiveBufferSize);
}
BENCHMARK(passesDrawingEveryByte);

// One pass of "schneller Plot" with a read of 37 bytes: one point drawn and
// the whole canvas presented.
void fastPlotPass(benchmark::State& run) {
  LoopRig rig(u"schneller Plot");
  std::vector<std::uint8_t> bytes = sineLikeBytes();
  bytes.resize(37);
  for (auto _ : run) rig.pass(run, bytes);
}
BENCHMARK(fastPlotPass);

}  // namespace
}  // namespace kurvlux
