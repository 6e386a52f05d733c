// The Linux program streaming from the simulated board: what a screen
// reader reads in the status bar, and the canvas on the screen against the
// picture the portable code computes for the same samples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_linux/native_fixture.hpp"
#include "fakes/reference_canvas.hpp"
#include "text/utf8_text.hpp"
#include "ui/control_layout.hpp"

namespace {

using namespace kurvlux;

// Each canvas pixel as a block of scale x scale screen pixels.
std::vector<std::uint32_t> enlarged(const std::vector<std::uint32_t>& canvas, int scale) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 256 * scale; ++y) {
    for (int x = 0; x < 1000 * scale; ++x) pixels.push_back(canvas[static_cast<std::size_t>(y / scale * 1000 + x / scale)]);
  }
  return pixels;
}

// On a plain screen, a HiDPI one (GDK_SCALE) and with the desktop's larger
// texts (GDK_DPI_SCALE): the same geometry, the same sharp picture.
class OnEveryScreen : public NativeProgram, public testing::WithParamInterface<const char*> {};

// KURVLUX_CANVAS_RATE feeds the sine faster than the 25000 bytes per second
// of 250000 baud, as a board with a native USB port sends; the status texts
// are then checked against that rate.
TEST_P(OnEveryScreen, StreamingSineReadsLikeTheStatusBarAndMatchesThePortableCanvas) {
  const char* rateSetting = std::getenv("KURVLUX_CANVAS_RATE");
  const long rate = rateSetting ? std::strtol(rateSetting, nullptr, 10) : 25000;
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", std::to_string(rate)}));
  ASSERT_TRUE(program.start({board.link()}, {GetParam()}));
  const probe::Program::Box client = program.clientArea();
  std::printf("\"%s\": client area %d x %d\n", GetParam(), client.width, client.height);
  EXPECT_EQ(std::vector<int>({client.width, client.height}), std::vector<int>({1000, 279}));
  for (const ControlLayout& layout : controlLayouts) {
    const probe::Program::Box box = program.extents(layout.id);
    std::printf("control %d at x %d, y %d, %d x %d\n", layout.id, box.x, box.y, box.width, box.height);
    EXPECT_EQ(std::vector<int>({box.x, box.y, box.width, box.height}),
              std::vector<int>({layout.x, 256 + layout.y, layout.width, layout.height}));
  }
  const int scale = program.scale();
  EXPECT_EQ(differingPixels(program.canvasPixels(), enlarged(fakes::idleCanvas(), scale)), 0);
  EXPECT_EQ(program.text(portBoxId), board.link()) << "the named device is the first item, selected";
  const std::string threshold = utf8FromText(fakes::sineThreshold);
  program.typeInto(thresholdBoxId, threshold);
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == threshold; }));
  ASSERT_TRUE(pressConnect());
  EXPECT_FALSE(program.enabled(portBoxId));

  // What a screen reader reads once the statistics have come.
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > rate / 2; }))
      << program.statusText(1);
  const auto [frames, values] = steadyFigures();
  EXPECT_NEAR(frames, rate / 1000, rate / 2500);
  EXPECT_NEAR(values, rate, rate * 2 / 5);
  const std::string texts[] = {program.statusText(0), program.statusText(1), program.statusText(2),
                               program.statusText(3)};
  std::printf("status fields read through AT-SPI: \"%s\" \"%s\" \"%s\" \"%s\"\n", texts[0].c_str(),
              texts[1].c_str(), texts[2].c_str(), texts[3].c_str());
  EXPECT_TRUE(endsWith(texts[0], " FPS"));
  EXPECT_TRUE(endsWith(texts[1], " Werte/s"));
  EXPECT_TRUE(endsWith(texts[2], " ms/DIV"));
  EXPECT_EQ(texts[3], "COM-Auslastung: ");

  // Paused, the window shows the last complete frame. Now and then that frame
  // rightly starts on the falling 130: when a read ends there, its successor
  // is the stale byte an earlier read left in the buffer. So a differing
  // picture gets two more pauses; a fault in drawing or showing would differ
  // every time.
  const std::vector<std::uint32_t> expected = enlarged(fakes::triggeredSineCanvas(), scale);
  int differing = -1;
  for (int pause = 0; pause < 3 && differing != 0; ++pause) {
    if (pause > 0) {
      program.click(pauseToggleId);
      ASSERT_TRUE(probe::waitUntil([&] { return !program.pressed(pauseToggleId); }));
      probe::sleepMs(300);
    }
    program.click(pauseToggleId);
    ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(pauseToggleId); }));
    differing = differingPixels(settledCanvas(), expected);
    std::printf("canvas pixels differing from the portable picture at scale %d: %d\n", scale, differing);
  }
  EXPECT_EQ(differing, 0);
  program.screenshot(workFolder() + "/kurvlux-native" + GetParam() + ".png");
  expectClosesCleanly();
}

INSTANTIATE_TEST_SUITE_P(Screens, OnEveryScreen,
                         testing::Values("", "GDK_SCALE=2", "GDK_DPI_SCALE=1.25", "GDK_DPI_SCALE=1.5"));

}  // namespace

namespace {

// Not a test: the picture that `scripts/run --native` saves without a display.
TEST_F(NativeProgram, DISABLED_Demo) {
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  ASSERT_TRUE(program.start({board.device()}));
  program.typeInto(thresholdBoxId, "128");
  ASSERT_TRUE(pressConnect());
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 24000; }));
  probe::sleepMs(1500);
  EXPECT_TRUE(program.screenshot(workFolder() + "/kurvlux-native.png"));
  EXPECT_EQ(program.close(), 0);
}

}  // namespace
