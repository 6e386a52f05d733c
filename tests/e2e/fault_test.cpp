// The real program under faults: a board that vanishes, a port that is held
// or misnamed, nonsense typed into the combo boxes, a burst that piles up
// behind the info boxes, rapid reconnecting and mode switching. Every run
// ends with the program still serving its controls and closing with exit
// code 0.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/canvas_checks.hpp"
#include "e2e/probe.hpp"

namespace {

using probe::differingPixels;
using probe::endsWith;
using probe::Program;
using probe::showsFullTrace;
using probe::statisticsUpdate;
using probe::waitUntil;

// The canvas once it has stopped changing for a moment.
std::vector<unsigned> settledCanvas(const Program& program) {
  std::vector<unsigned> last = program.canvasPixels();
  waitUntil(
      [&] {
        Sleep(200);
        std::vector<unsigned> now = program.canvasPixels();
        const bool same = now == last;
        last = std::move(now);
        return same;
      },
      5000);
  return last;
}

bool showsDisconnected(const Program& program) {
  return !program.pressed(10) && program.caption(10) == L"Verbinden" && program.enabled(6) &&
         program.enabled(7);
}

class Fault : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(probe::askHost(board).substr(0, 2), "ok");
    ASSERT_TRUE(program.start()) << "Kurvlux.exe did not start";
  }
  void TearDown() override {
    if (program.running()) {
      EXPECT_EQ(program.close(), 0u);
    }
    probe::askHost("unplug");
  }

  // Still serving its controls: the pause toggle flips and flips back.
  void expectResponsive() {
    const bool before = program.pressed(11);
    program.click(11);
    EXPECT_TRUE(waitUntil([&] { return program.pressed(11) != before; })) << "pause did not flip";
    program.click(11);
    EXPECT_TRUE(waitUntil([&] { return program.pressed(11) == before; })) << "pause did not flip back";
  }

  void expectClosesCleanly() {
    expectResponsive();
    EXPECT_EQ(program.close(), 0u);
  }

  // Presses the connect toggle and reports whether the port opened: after
  // the pass that served the click, a failed open has released it again.
  bool pressConnect() {
    program.click(10);
    EXPECT_TRUE(program.catchUp());
    return program.pressed(10);
  }

  void connectStreaming() {
    program.setComboText(6, L"COM7");
    ASSERT_TRUE(pressConnect()) << "COM7 did not open";
    ASSERT_TRUE(statisticsUpdate(program)) << probe::narrow(program.statusText(1));
  }

  void disconnect() {
    program.click(10);
    ASSERT_TRUE(program.catchUp());
    EXPECT_TRUE(showsDisconnected(program));
    EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
  }

  std::string board = "board --wave ramp --rate 25000";
  Program program;
};

TEST_F(Fault, BoardVanishingWhileStreamingEndsTheConnectionLikeADisconnect) {
  connectStreaming();
  ASSERT_TRUE(waitUntil([&] { return showsFullTrace(program.canvasPixels()); }));

  const std::string summary = probe::askHost("unplug");
  std::printf("board at unplug: %s\n", summary.c_str());
  ASSERT_TRUE(waitUntil([&] { return program.caption(10) == L"Verbinden"; }));
  EXPECT_FALSE(program.pressed(10));
  EXPECT_TRUE(program.enabled(6));
  EXPECT_TRUE(program.enabled(7));
  // The status bar is back to what it shows at start.
  EXPECT_TRUE(waitUntil([&] { return program.statusText(1) == L"\t0 Werte/s"; }));
  EXPECT_EQ(program.statusText(0), L"\t0 FPS");
  EXPECT_EQ(program.statusText(2), L"\t0 ms/DIV");
  EXPECT_EQ(program.statusText(3).rfind(L"\t\tCOM-Auslastung: ", 0), 0u);

  // Nothing is drawn from a port that is gone: the last frame stays.
  const std::vector<unsigned> before = settledCanvas(program);
  EXPECT_TRUE(showsFullTrace(before));
  Sleep(2000);
  EXPECT_EQ(differingPixels(program.canvasPixels(), before), 0)
      << "the canvas changed after the board vanished";
  EXPECT_TRUE(showsDisconnected(program));

  // The board comes back and the user connects again.
  ASSERT_EQ(probe::askHost(board).substr(0, 2), "ok");
  ASSERT_TRUE(pressConnect());
  EXPECT_TRUE(statisticsUpdate(program));
  EXPECT_TRUE(waitUntil([&] { return program.canvasPixels() != before; }));
  expectClosesCleanly();
}

TEST_F(Fault, PortHeldByAnotherProcess) {
  HANDLE held =
      CreateFileW(L"\\\\.\\COM7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE) << "the probe could not open COM7: " << GetLastError();

  program.setComboText(6, L"COM7");
  const bool opened = pressConnect();
  std::printf("COM7 held by the probe: the program's open %s\n", opened ? "succeeded" : "failed");
  if (opened) {
    // Windows would refuse the second open; Wine lets both processes have
    // the device, and the program reads what the probe leaves.
    EXPECT_EQ(program.caption(10), L"Trennen");
    EXPECT_TRUE(statisticsUpdate(program));
    CloseHandle(held);
    disconnect();
  } else {
    ASSERT_TRUE(program.catchUp());
    EXPECT_TRUE(showsDisconnected(program));
    EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
    // Once the other process lets go, the same port opens.
    CloseHandle(held);
    ASSERT_TRUE(pressConnect());
    EXPECT_TRUE(statisticsUpdate(program));
    disconnect();
  }
  expectClosesCleanly();
}

// Noise, so that frames that are still drawn differ from each other, even
// those that start at the same trigger value.
class FaultOnNoise : public Fault {
 protected:
  FaultOnNoise() { board = "board --wave noise --rate 25000"; }
};

TEST_F(FaultOnNoise, ThresholdsThatNoByteCanArmKeepTheLastFrame) {
  connectStreaming();
  ASSERT_TRUE(waitUntil([&] { return showsFullTrace(program.canvasPixels()); }));

  // Each threshold that no byte can arm (out of range, or 255, which no
  // successor exceeds) is followed by one that arms again: an empty or
  // non-numeric text counts as 0.
  const struct {
    const wchar_t* freezing;
    const wchar_t* arming;
  } steps[] = {{L"256", L""}, {L"-1", L"xyz"}, {L"255", L"aus"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(probe::narrow(step.freezing));
    program.setComboText(9, step.freezing);
    ASSERT_TRUE(program.catchUp());
    // The frame in progress is still completed, long before the next
    // statistics; after it nothing changes.
    EXPECT_TRUE(statisticsUpdate(program));
    const std::vector<unsigned> frozen = settledCanvas(program);
    EXPECT_TRUE(showsFullTrace(frozen));
    Sleep(2000);
    EXPECT_EQ(differingPixels(program.canvasPixels(), frozen), 0) << "a frame was drawn without a trigger";

    SCOPED_TRACE(probe::narrow(step.arming));
    program.setComboText(9, step.arming);
    EXPECT_TRUE(waitUntil([&] { return program.canvasPixels() != frozen; })) << "no frame after re-arming";
    EXPECT_TRUE(statisticsUpdate(program));
  }
  expectClosesCleanly();
}

// Texts in the port and baud-rate boxes. A name that names no port (none,
// a port that is not there, a long name that starts with a real port's
// name: only the whole name counts) releases the toggle; a baud-rate text
// either streams or releases it, as the driver decides (Wine's takes every
// rate on a pseudo-terminal, 0 included).
TEST_F(Fault, TextsInTheBoxesEitherStreamOrReleaseTheToggle) {
  const std::wstring longName = L"COM7" + std::wstring(296, L'7');
  enum Outcome { released, streams, either };
  const struct {
    int box;
    std::wstring text;
    Outcome outcome;
  } cases[] = {{6, L"", released}, {6, longName, released}, {6, L"COM99", released}, {6, L"COM7", streams},
               {7, L"abc", either}, {7, L"", either},       {7, L"-5", either},      {7, L"99999999999", either},
               {7, L"1843200", either}};
  for (const auto& c : cases) {
    SCOPED_TRACE(probe::narrow(c.text.substr(0, 20)));
    program.setComboText(c.box, c.text);
    ASSERT_EQ(program.comboText(c.box), c.text);
    const bool opened = pressConnect();
    std::printf("%s \"%.20s\": %s\n", c.box == 6 ? "port" : "baud rate", probe::narrow(c.text).c_str(),
                opened ? "streams" : "released");
    if (opened) {
      EXPECT_NE(c.outcome, released);
      EXPECT_TRUE(statisticsUpdate(program)) << probe::narrow(program.statusText(1));
      disconnect();
    } else {
      EXPECT_NE(c.outcome, streams);
      EXPECT_TRUE(showsDisconnected(program));
      EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
    }
  }
  program.setComboText(7, L"250000");
  connectStreaming();
  expectClosesCleanly();
}

TEST_F(Fault, BurstBehindTheInfoBoxesIsReadAfterwards) {
  connectStreaming();
  program.click(12);
  HWND first = program.nextMessageBox();
  ASSERT_NE(first, nullptr);
  // The loop stands still while the box is open; the board keeps sending.
  Sleep(2500);
  PostMessageW(first, WM_COMMAND, IDOK, 0);
  HWND second = program.nextMessageBox(first);
  ASSERT_NE(second, nullptr);
  PostMessageW(second, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitUntil([&] { return program.messageBoxes().empty(); }));
  EXPECT_FALSE(program.pressed(12));

  EXPECT_TRUE(statisticsUpdate(program));
  std::printf("first statistics after the boxes: %s\n", probe::narrow(program.statusText(1)).c_str());
  EXPECT_TRUE(statisticsUpdate(program));
  const std::vector<unsigned> now = program.canvasPixels();
  EXPECT_TRUE(waitUntil([&] {
    const std::vector<unsigned> later = program.canvasPixels();
    return later != now && showsFullTrace(later);
  }));
  EXPECT_TRUE(program.pressed(10));
  EXPECT_EQ(program.caption(10), L"Trennen");
  expectClosesCleanly();
}

// Each of the 400 presses reads the toggle first and asks for the other
// state, so a press that goes wrong is counted once and the next starts from
// what the program shows.
TEST_F(Fault, ConnectingAndDisconnectingTwoHundredTimes) {
  connectStreaming();
  disconnect();
  std::vector<std::string> wrong;
  for (int press = 1; press <= 400; ++press) {
    const bool connecting = !program.pressed(10);
    const std::wstring wanted = connecting ? L"Trennen" : L"Verbinden";
    program.click(10);
    if (!waitUntil([&] { return program.pressed(10) == connecting && program.caption(10) == wanted; })) {
      wrong.push_back("press " + std::to_string(press) + ": no \"" + probe::narrow(wanted) + "\"");
    }
  }
  EXPECT_EQ(wrong, std::vector<std::string>{});
  if (program.pressed(10)) disconnect();
  EXPECT_TRUE(showsDisconnected(program));
  EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
  // Nothing was lost on the way, and nothing counts twice.
  ASSERT_TRUE(pressConnect());
  EXPECT_NEAR(probe::steadyFigures(program).second, 25000, 10000);
  expectClosesCleanly();
}

TEST_F(Fault, SwitchingThroughEveryModeStreamingAndPaused) {
  struct Fixed {
    int index;
    const wchar_t* frames;
    const wchar_t* minutes;
    const wchar_t* division;
  };
  const Fixed fixedTexts[] = {{3, L"\t100 s/FPS", L"\t1,6 min/FPS", L"\t5.0 s/DIV"},
                              {4, L"\t500 s/FPS", L"\t8,3 min/FPS", L"\t25 s/DIV"},
                              {5, L"\t1000 s/FPS", L"\t16,6 min/FPS", L"\t50 s/DIV"},
                              {6, L"\t2000 s/FPS", L"\t33,3 min/FPS", L"\t100 s/DIV"},
                              {7, L"\t5000 s/FPS", L"\t83,3 min/FPS", L"\t250 s/DIV"}};
  connectStreaming();
  ASSERT_TRUE(waitUntil([&] { return showsFullTrace(program.canvasPixels()); }));

  // Streaming: the two fast modes keep rate statistics of their own.
  for (int index : {1, 2}) {
    SCOPED_TRACE(index);
    program.selectComboItem(8, index);
    ASSERT_EQ(program.comboText(8), program.comboItem(8, index));
    program.overwriteStatusText(0, L"-");
    EXPECT_TRUE(waitUntil([&] { return endsWith(program.statusText(0), L" s/FPS"); }));
    EXPECT_FALSE(program.enabled(9));
  }
  // The timed modes write their fixed time scale with every plotted value.
  for (const Fixed& mode : fixedTexts) {
    SCOPED_TRACE(mode.index);
    program.selectComboItem(8, mode.index);
    ASSERT_EQ(program.comboText(8), program.comboItem(8, mode.index));
    EXPECT_TRUE(waitUntil([&] { return program.statusText(0) == mode.frames; }, 15000))
        << probe::narrow(program.statusText(0));
    EXPECT_EQ(program.statusText(1), mode.minutes);
    EXPECT_EQ(program.statusText(2), mode.division);
  }

  // Paused: every mode is passed through with bytes arriving; no crash, and
  // the paused chart plots nothing, so it writes no status text.
  program.click(11);
  ASSERT_TRUE(waitUntil([&] { return program.pressed(11); }));
  for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 3}) {
    SCOPED_TRACE(index);
    program.selectComboItem(8, index);
    ASSERT_EQ(program.comboText(8), program.comboItem(8, index));
    ASSERT_TRUE(program.catchUp());
    EXPECT_EQ(program.enabled(9), index == 0);
  }
  program.overwriteStatusText(0, L"-");
  Sleep(300);
  ASSERT_TRUE(program.catchUp());
  EXPECT_EQ(program.statusText(0), L"-") << "a paused chart plotted";
  EXPECT_TRUE(program.pressed(10));

  // Resumed in "Plot (0.1s)": it plots again.
  program.click(11);
  ASSERT_TRUE(waitUntil([&] { return !program.pressed(11); }));
  EXPECT_TRUE(waitUntil([&] { return program.statusText(0) == L"\t100 s/FPS"; }));

  // Back in the oscilloscope a whole frame is drawn again and statistics
  // follow.
  program.selectComboItem(8, 0);
  ASSERT_EQ(program.comboText(8), L"Oszilloskop");
  EXPECT_TRUE(waitUntil([&] { return showsFullTrace(program.canvasPixels()); }));
  EXPECT_TRUE(statisticsUpdate(program));
  EXPECT_TRUE(program.enabled(9));
  expectClosesCleanly();
}

}  // namespace
