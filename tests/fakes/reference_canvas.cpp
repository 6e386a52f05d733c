#include "fakes/reference_canvas.hpp"

#include "acquisition/main_loop.hpp"
#include "board_simulator/sample_stream.hpp"
#include "fakes/acquisition_rig.hpp"
#include "fakes/memory_image_store.hpp"
#include "render/plotter.hpp"

namespace kurvlux::fakes {

namespace {

std::vector<std::uint32_t> pixelsOf(MemoryImageStore& images, int image) {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(1000 * 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 1000; ++x) {
      const auto colour = static_cast<std::uint32_t>(images.pixel(image, x, y));
      pixels.push_back(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
    }
  }
  return pixels;
}

}  // namespace

std::vector<std::uint32_t> idleCanvas() {
  PlatformFakes platform;
  MemoryImageStore images;
  Plotter plotter(images, platform.statusBar, platform.controls, platform.clock);
  plotter.buildCanvas();
  return pixelsOf(images, PlotCanvas::drawingImage);
}

std::vector<std::uint32_t> triggeredSineCanvas() {
  PlatformFakes platform;
  MemoryImageStore images;
  images.keepShownPixels = false;
  Plotter plotter(images, platform.statusBar, platform.controls, platform.clock);
  plotter.buildCanvas();
  MainLoop loop(platform.controls, platform.statusBar, platform.pump, platform.clock, platform.ports, plotter);
  platform.controls.at(thresholdBoxId).text = sineThreshold;
  platform.controls.at(connectToggleId).state = 1;
  loop.runPass();
  const board_simulator::SampleSource sine(board_simulator::Wave::sine, 1000);
  std::vector<std::uint8_t> chunk(250);
  for (std::uint64_t first = 0; first < 10000; first += chunk.size()) {
    sine.fill(first, chunk.data(), chunk.size());
    platform.ports.push(chunk);
    loop.runPass();
  }
  // Paused, the window shows the snapshot: the last complete frame.
  return pixelsOf(images, PlotCanvas::snapshotImage);
}

}  // namespace kurvlux::fakes
