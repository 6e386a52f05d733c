// The Linux program streaming from the simulated board: what a screen
// reader reads in the status bar, and the canvas on the screen against the
// picture the portable code computes for the same samples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_linux/native_fixture.hpp"
#include "fakes/reference_canvas.hpp"
#include "text/utf8_text.hpp"

namespace {

using namespace kurvlux;

// KURVLUX_CANVAS_RATE feeds the sine faster than the 25000 bytes per second
// of 250000 baud, as a board with a native USB port sends; the status texts
// are then checked against that rate.
TEST_F(NativeProgram, StreamingSineReadsLikeTheStatusBarAndMatchesThePortableCanvas) {
  const char* rateSetting = std::getenv("KURVLUX_CANVAS_RATE");
  const long rate = rateSetting ? std::strtol(rateSetting, nullptr, 10) : 25000;
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", std::to_string(rate)}));
  ASSERT_TRUE(program.start({board.link()}));
  EXPECT_EQ(program.text(portBoxId), board.link()) << "the named device is the first item, selected";
  const std::string threshold = utf8FromText(fakes::sineThreshold);
  program.typeInto(thresholdBoxId, threshold);
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == threshold; }));
  ASSERT_TRUE(pressConnect());
  EXPECT_FALSE(program.enabled(portBoxId));

  // What a screen reader reads once the statistics have settled.
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > rate / 25 * 24; }))
      << program.statusText(1);
  // The first second after connecting also counts what the board held back
  // while the program started; the next one is the steady stream.
  probe::sleepMs(1100);
  const std::string texts[] = {program.statusText(0), program.statusText(1), program.statusText(2),
                               program.statusText(3)};
  std::printf("status fields read through AT-SPI: \"%s\" \"%s\" \"%s\" \"%s\"\n", texts[0].c_str(),
              texts[1].c_str(), texts[2].c_str(), texts[3].c_str());
  EXPECT_TRUE(endsWith(texts[0], " FPS") && leadingNumber(texts[0]) >= rate / 25 * 24 / 1000 &&
              leadingNumber(texts[0]) <= rate / 25 * 26 / 1000);
  EXPECT_TRUE(endsWith(texts[1], " Werte/s") && leadingNumber(texts[1]) <= rate / 25 * 26);
  EXPECT_TRUE(endsWith(texts[2], " ms/DIV"));
  EXPECT_EQ(texts[3], "COM-Auslastung: ");

  // Paused, the window shows the last complete frame.
  program.click(pauseToggleId);
  ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(pauseToggleId); }));
  probe::sleepMs(600);
  const std::vector<std::uint32_t> shown = program.canvasPixels();
  const int differing = differingPixels(shown, fakes::triggeredSineCanvas());
  std::printf("canvas pixels differing from the portable picture: %d\n", differing);
  EXPECT_EQ(differing, 0);
  if (const char* folder = std::getenv("KURVLUX_E2E_DIR")) program.screenshot(std::string(folder) + "/kurvlux-native.png");
  expectClosesCleanly();
}

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
