// Cost of finding what a presentation has to repaint on the 1000 x 256
// canvas: a chart column changed (the fast plot), nothing changed, and a
// whole new picture (the oscilloscope's worst case).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/changed_area.hpp"

namespace kurvlux {
namespace {

constexpr std::int32_t width = 1000;
constexpr std::int32_t height = 256;
constexpr std::int32_t rowLength = 3000;

void changedAreaOf(benchmark::State& run, int changedColumns) {
  std::vector<std::uint8_t> before(static_cast<std::size_t>(rowLength * height), 0xFF);
  std::vector<std::uint8_t> after = before;
  for (std::int32_t row = 0; row < height; ++row) {
    for (int column = 0; column < changedColumns; ++column) {
      after[static_cast<std::size_t>(row * rowLength + 3 * (width / 2 + column - changedColumns / 2))] = 0;
    }
  }
  for (auto _ : run) {
    benchmark::DoNotOptimize(changedArea(before.data(), after.data(), rowLength, width, height));
  }
}

BENCHMARK_CAPTURE(changedAreaOf, unchanged, 0);
BENCHMARK_CAPTURE(changedAreaOf, oneColumn, 1);
BENCHMARK_CAPTURE(changedAreaOf, everyColumn, 1000);

}  // namespace
}  // namespace kurvlux
