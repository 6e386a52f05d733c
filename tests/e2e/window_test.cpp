// The real program as a user first sees it: window, controls, status bar,
// canvas, info boxes, and closing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/canvas_checks.hpp"
#include "e2e/probe.hpp"
#include "fakes/reference_canvas.hpp"

namespace {

using probe::Program;

class Started : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program.start()) << "Kurvlux.exe did not start"; }
  void TearDown() override {
    if (program.running()) {
      EXPECT_EQ(program.close(), 0u);
    }
  }
  Program program;
};

TEST_F(Started, WindowHasItsTitleAndFixedSize) {
  EXPECT_EQ(probe::windowText(program.window()), L"Kurvlux v1.0 [Vevi Version]");
  RECT client{};
  GetClientRect(program.window(), &client);
  EXPECT_EQ(client.right, 1000);
  EXPECT_EQ(client.bottom, 279);
  const LONG style = GetWindowLongW(program.window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(probe::askHost("screenshot window-start"), "ok");
}

// Presses a key on the window through the X server and returns the control
// that then has the focus, once it has moved.
int focusAfterKey(const Program& program, const std::string& key) {
  const int before = program.focusedControl();
  if (probe::askHost("key " + key) != "ok") return -1;
  probe::waitUntil([&] { return program.focusedControl() != before; });
  return program.focusedControl();
}

TEST_F(Started, TabWalksTheControlsLeftToRightAndShiftTabBack) {
  // Nothing has the focus at start: the first Tab enters at the port box.
  std::vector<int> forward;
  for (int i = 0; i < 8; ++i) forward.push_back(focusAfterKey(program, "Tab"));
  std::vector<int> backward;
  for (int i = 0; i < 8; ++i) backward.push_back(focusAfterKey(program, "shift+Tab"));
  std::printf("TAB focus read:");
  for (const int id : forward) std::printf(" %d", id);
  std::printf(" | Shift+Tab:");
  for (const int id : backward) std::printf(" %d", id);
  std::printf("\n");
  EXPECT_EQ(forward, (std::vector<int>{6, 7, 10, 8, 9, 11, 12, 6}));
  EXPECT_EQ(backward, (std::vector<int>{12, 11, 9, 8, 10, 7, 6, 12}));
}

TEST_F(Started, ControlsStandInTheStatusBarAtTheirPlaces) {
  const struct {
    int id;
    int x;
    int width;
  } expected[] = {{6, 480, 70}, {7, 560, 70}, {10, 640, 70}, {8, 720, 110},
                  {9, 840, 50}, {11, 900, 50}, {12, 955, 40}};
  for (const auto& c : expected) {
    SCOPED_TRACE(c.id);
    ASSERT_NE(program.control(c.id), nullptr);
    EXPECT_EQ(GetParent(program.control(c.id)), program.statusBar());
    const RECT r = program.controlRect(c.id);
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, 18);
    EXPECT_TRUE(program.enabled(c.id));
  }
  EXPECT_EQ(program.caption(10), L"Verbinden");
  EXPECT_EQ(program.caption(11), L"Pause");
  EXPECT_EQ(program.caption(12), L"Info");
  for (int id : {10, 11, 12}) EXPECT_FALSE(program.pressed(id)) << id;
}

TEST_F(Started, CombosHoldTheirListsAndStartTexts) {
  EXPECT_EQ(program.comboCount(7), 24);
  EXPECT_EQ(program.comboCount(8), 8);
  EXPECT_EQ(program.comboCount(9), 257);
  EXPECT_EQ(program.comboItem(7, 13), L"43000");
  EXPECT_EQ(program.comboItem(7, 23), L"1843200");
  EXPECT_EQ(program.comboItem(8, 7), L"Plot (5.0s)");
  EXPECT_EQ(program.comboItem(9, 0), L"aus");
  EXPECT_EQ(program.comboItem(9, 256), L"255");
  EXPECT_EQ(program.comboText(7), L"250000");
  EXPECT_EQ(program.comboText(8), L"Oszilloskop");
  EXPECT_EQ(program.comboText(9), L"aus");
  EXPECT_EQ(program.comboSelection(7), -1);
  EXPECT_EQ(program.comboSelection(8), 0);
  EXPECT_EQ(program.comboSelection(9), -1);
}

TEST_F(Started, StatusBarShowsItsFiveFields) {
  EXPECT_EQ(program.statusRightEdges(), (std::vector<int>{70, 170, 270, 390, 470}));
  EXPECT_EQ(program.statusText(0), L"\t0 FPS");
  EXPECT_EQ(program.statusText(1), L"\t0 Werte/s");
  EXPECT_EQ(program.statusText(2), L"\t0 ms/DIV");
  const std::wstring label = program.statusText(3);
  EXPECT_EQ(label.rfind(L"\t\tCOM-Auslastung: ", 0), 0u) << probe::narrow(label);
}

TEST_F(Started, CanvasShowsTheWhiteGridOnTheScreen) {
  RECT canvas{};
  GetClientRect(program.control(5), &canvas);
  EXPECT_EQ(canvas.right, 1000);
  EXPECT_EQ(canvas.bottom, 256);
  const std::vector<std::uint32_t> idle = kurvlux::fakes::idleCanvas();
  probe::waitUntil([&] { return program.canvasPixels() == idle; });
  EXPECT_EQ(probe::differingPixels(program.canvasPixels(), idle), 0);
}

TEST_F(Started, InfoShowsBothBoxesWithTheButtonReleased) {
  program.click(12);
  HWND first = program.nextMessageBox();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(probe::windowText(first), L"Kurvlux v1.0 [Vevi Version]");
  const std::wstring info = probe::messageBoxText(first);
  EXPECT_EQ(info.rfind(L"Name:\t\t\tKurvlux [Vevi Version]\r\nVersion: \t\t\t1.0.0.0\r\n", 0), 0u)
      << probe::narrow(info);
  EXPECT_NE(info.find(L"Triggerung:\t\teinfache Triggerung  möglich (pos. Flanke)\r\n"), std::wstring::npos);
  EXPECT_FALSE(program.pressed(12));
  EXPECT_EQ(probe::askHost("screenshot info-box"), "ok");
  PostMessageW(first, WM_COMMAND, IDOK, 0);

  HWND second = program.nextMessageBox(first);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(probe::windowText(second), L"Kurvlux v1.0 [Vevi Version]");
  const std::wstring sketch = probe::messageBoxText(second);
  EXPECT_EQ(sketch.rfind(L"Beispiel für den Arduino-Sketch:\r\n", 0), 0u) << probe::narrow(sketch);
  EXPECT_NE(sketch.find(L"    Serial.write(analogRead(0)/4);\r\n"), std::wstring::npos);
  PostMessageW(second, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(probe::waitUntil([&] { return program.messageBoxes().empty(); }));
}

TEST(Closing, TheCloseButtonEndsTheProgramWithExitCodeZero) {
  Program program;
  ASSERT_TRUE(program.start());
  // What the title bar's close button sends.
  PostMessageW(program.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.waitForExit(15000), 0u);
}

}  // namespace
