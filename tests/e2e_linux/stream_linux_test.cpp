// The Linux program streaming from the simulated board: what a screen
// reader reads in the status bar, and the canvas on the screen against the
// picture the portable code computes for the same samples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "acquisition/main_loop.hpp"
#include "board_simulator/sample_stream.hpp"
#include "e2e_linux/native_fixture.hpp"
#include "fakes/acquisition_rig.hpp"
#include "fakes/memory_image_store.hpp"
#include "render/plotter.hpp"

namespace {

using namespace kurvlux;

// The canvas the program shows, paused in "Oszilloskop" at threshold 128,
// after a sine of 1000 samples per period: every frame is the one period
// that follows a rising 128. Computed by the portable code over fakes.
std::vector<std::uint32_t> portableSineFrame() {
  fakes::PlatformFakes platform;
  fakes::MemoryImageStore images;
  images.keepShownPixels = false;
  Plotter plotter(images, platform.statusBar, platform.controls, platform.clock);
  plotter.buildCanvas();
  MainLoop loop(platform.controls, platform.statusBar, platform.pump, platform.clock, platform.ports, plotter);
  platform.controls.at(thresholdBoxId).text = u"128";
  platform.controls.at(connectToggleId).state = 1;
  loop.runPass();
  const board_simulator::SampleSource sine(board_simulator::Wave::sine, 1000);
  std::vector<std::uint8_t> chunk(250);
  for (std::uint64_t first = 0; first < 10000; first += chunk.size()) {
    sine.fill(first, chunk.data(), chunk.size());
    platform.ports.push(chunk);
    loop.runPass();
  }
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 1000; ++x) {
      const auto colour = static_cast<std::uint32_t>(images.pixel(PlotCanvas::snapshotImage, x, y));
      pixels.push_back(((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF));
    }
  }
  return pixels;
}

TEST_F(NativeProgram, StreamingSineReadsLikeTheStatusBarAndMatchesThePortableCanvas) {
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  ASSERT_TRUE(program.start({board.link()}));
  EXPECT_EQ(program.text(portBoxId), board.link()) << "the named device is the first item, selected";
  program.typeInto(thresholdBoxId, "128");
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == "128"; }));
  ASSERT_TRUE(pressConnect());
  EXPECT_FALSE(program.enabled(portBoxId));

  // What a screen reader reads once the statistics have settled.
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 24000; }))
      << program.statusText(1);
  const std::string texts[] = {program.statusText(0), program.statusText(1), program.statusText(2),
                               program.statusText(3)};
  std::printf("status fields read through AT-SPI: \"%s\" \"%s\" \"%s\" \"%s\"\n", texts[0].c_str(),
              texts[1].c_str(), texts[2].c_str(), texts[3].c_str());
  EXPECT_TRUE(endsWith(texts[0], " FPS") && leadingNumber(texts[0]) >= 24 && leadingNumber(texts[0]) <= 26);
  EXPECT_TRUE(endsWith(texts[1], " Werte/s") && leadingNumber(texts[1]) <= 26000);
  EXPECT_TRUE(endsWith(texts[2], " ms/DIV"));
  EXPECT_EQ(texts[3], "COM-Auslastung: ");

  // Paused, the window shows the last complete frame.
  program.click(pauseToggleId);
  ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(pauseToggleId); }));
  probe::sleepMs(600);
  const std::vector<std::uint32_t> shown = program.canvasPixels();
  const int differing = differingPixels(shown, portableSineFrame());
  std::printf("canvas pixels differing from the portable picture: %d\n", differing);
  EXPECT_EQ(differing, 0);
  if (const char* folder = std::getenv("KURVLUX_E2E_DIR")) program.screenshot(std::string(folder) + "/kurvlux-native.png");
  expectClosesCleanly();
}

}  // namespace
