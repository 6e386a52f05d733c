// The real program connected to the simulated board on COM7.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "e2e/canvas_checks.hpp"
#include "e2e/probe.hpp"
#include "fakes/reference_canvas.hpp"
#include "text/wide_text_win32.hpp"

namespace {

using probe::leadingNumber;
using probe::Program;

class Board : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(probe::askHost(board).substr(0, 2), "ok");
    ASSERT_TRUE(program.start());
  }
  void TearDown() override {
    if (program.running()) {
      EXPECT_EQ(program.close(), 0u);
    }
    probe::askHost("unplug");
  }
  void connect() {
    program.setComboText(6, L"COM7");
    program.click(10);
    ASSERT_TRUE(probe::waitUntil([&] { return program.caption(10) == L"Trennen"; }));
  }
  std::string board = "board --wave ramp --rate 25000";
  Program program;
};

TEST_F(Board, PortIsListedAndSelected) {
  const int count = program.comboCount(6);
  bool listed = false;
  for (int i = 0; i < count; ++i) listed = listed || program.comboItem(6, i) == L"COM7";
  EXPECT_TRUE(listed);
  EXPECT_EQ(program.comboSelection(6), 0);
  EXPECT_EQ(program.comboText(6), program.comboItem(6, 0));
}

TEST_F(Board, OscilloscopeCountsEveryByteAndDrawsFrames) {
  connect();
  EXPECT_FALSE(program.enabled(6));
  EXPECT_FALSE(program.enabled(7));
  const auto [frames, values] = probe::steadyFigures(program);
  EXPECT_NEAR(values, 25000, 10000);
  EXPECT_NEAR(frames, 25, 10);
  EXPECT_TRUE(probe::endsWith(program.statusText(0), L" FPS"));
  EXPECT_TRUE(probe::waitUntil([&] { return probe::showsFullTrace(program.canvasPixels()); }));

  program.click(10);
  ASSERT_TRUE(probe::waitUntil([&] { return program.caption(10) == L"Verbinden"; }));
  EXPECT_TRUE(probe::waitUntil([&] { return program.statusText(0) == L"\t0 FPS"; }));
  EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
  EXPECT_EQ(program.statusText(2), L"\t0 ms/DIV");
  EXPECT_TRUE(program.enabled(6));
}

// KURVLUX_CANVAS_RATE feeds the sine faster than the 25000 bytes per second
// of 250000 baud, as a board with a native USB port sends.
TEST_F(Board, PausedTriggeredSineMatchesThePortableCanvas) {
  const std::wstring rateSetting = probe::environment(L"KURVLUX_CANVAS_RATE");
  const long rate = rateSetting.empty() ? 25000 : std::wcstol(rateSetting.c_str(), nullptr, 10);
  board = "board --wave sine --rate " + std::to_string(rate);
  ASSERT_EQ(probe::askHost(board).substr(0, 2), "ok");
  program.setComboText(9, kurvlux::wideText(kurvlux::fakes::sineThreshold));
  connect();
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > rate / 25 * 24; }));
  program.click(11);
  ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(11); }));
  // Paused, the window shows the last complete frame once it has re-shown it.
  const std::vector<std::uint32_t> expected = kurvlux::fakes::triggeredSineCanvas();
  std::vector<unsigned> shown;
  probe::waitUntil([&] { return (shown = program.canvasPixels()) == expected; });
  const int differing = probe::differingPixels(shown, expected);
  std::printf("canvas pixels differing from the portable picture: %d\n", differing);
  // What the window said, for a picture that differs: an untriggered frame
  // differs in nearly every column.
  EXPECT_EQ(differing, 0) << "threshold box \"" << probe::narrow(program.comboText(9)) << "\", status \""
                          << probe::narrow(program.statusText(0)) << "\" \"" << probe::narrow(program.statusText(1))
                          << "\"";
}

// Not a test: the picture that `scripts/run` shows when there is no display.
// The script maps the board to the first port, which the program selects at
// start, as a user's interactive run does.
TEST(Demo, DISABLED_StreamSine) {
  ASSERT_EQ(probe::askHost("board --wave sine --rate 25000").substr(0, 2), "ok");
  Program program;
  ASSERT_TRUE(program.start());
  ASSERT_EQ(program.comboText(6), L"COM" + probe::environment(L"KURVLUX_E2E_PORT"));
  program.setComboText(9, L"128");
  program.click(10);
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; }, 15000));
  Sleep(1500);
  EXPECT_EQ(probe::askHost("screenshot kurvlux"), "ok");
  EXPECT_EQ(program.close(), 0u);
  probe::askHost("unplug");
}

}  // namespace
