// The steps of tools/throughput.sh, one measurement each, run under Wine by
// tests/e2e/run_e2e.sh with the end-to-end probe's hands and eyes: feeds the
// real program a counting ramp at the line rate of one baud rate, or at a
// byte rate of its own, or plots in "schneller Plot", and prints what it
// showed, whether the board was ever held back, and the CPU it used.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "e2e/probe.hpp"
#include "serial/serial_port_win32.hpp"
#include "throughput/bare_reader.hpp"

namespace {

long environmentNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::strtol(value, nullptr, 10) : fallback;
}

// The number in the host's answer "ok <number>", -1 when there is none.
double hostFigure(const char* request) {
  const std::string reply = probe::askHost(request);
  return reply.size() > 3 ? std::strtod(reply.c_str() + 3, nullptr) : -1.0;
}

std::string joined(const std::vector<long>& values) {
  std::string text;
  for (long v : values) {
    if (!text.empty()) text.push_back(',');
    text.append(std::to_string(v));
  }
  return text;
}

// The yardstick for the present path: a window of this process repainted as
// fast as it goes with a fresh 1000 x 256 24-bit DIB section each time, the
// picture copied in from a source image, one message fetched per round as
// the program's loop does. painter is DrawStateW or BitBlt. Without a fresh
// picture each round, it is the bare synchronous full repaint, the floor of
// a program that repaints before every show returns.
enum class Painter { drawState, bitBlt };

struct BarePresent {
  HBITMAP shown = nullptr;
  Painter painter = Painter::drawState;
};

LRESULT CALLBACK barePresentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  const auto* present = reinterpret_cast<const BarePresent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(window, &paint);
  if (present != nullptr && present->shown != nullptr) {
    if (present->painter == Painter::drawState) {
      DrawStateW(screen, nullptr, nullptr, reinterpret_cast<LPARAM>(present->shown), 0, 0, 0, 0, 0,
                 DST_BITMAP);
    } else {
      HDC memory = CreateCompatibleDC(screen);
      HGDIOBJ old = SelectObject(memory, present->shown);
      BitBlt(screen, 0, 0, 1000, 256, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
  }
  EndPaint(window, &paint);
  return 0;
}

double barePresentsPerSecond(Painter painter, double seconds, bool freshPicture = true) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = barePresentProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KurvluxBarePresent";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"bare present", WS_POPUP | WS_VISIBLE, 0, 0,
                                1000, 256, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 0;
  BarePresent present;
  present.painter = painter;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&present));

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 1000;
  info.bmiHeader.biHeight = 256;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* sourcePixels = nullptr;
  HBITMAP source = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &sourcePixels, nullptr, 0);
  auto* bytes = static_cast<unsigned char*>(sourcePixels);
  for (int i = 0; i < 1000 * 256 * 3; ++i) bytes[i] = static_cast<unsigned char>(i * 7);

  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  long long rounds = 0;
  if (!freshPicture) present.shown = source;
  do {
    HBITMAP previous = nullptr;
    if (freshPicture) {
      void* pixels = nullptr;
      HBITMAP fresh = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
      HDC from = CreateCompatibleDC(nullptr);
      HDC to = CreateCompatibleDC(nullptr);
      HGDIOBJ oldFrom = SelectObject(from, source);
      HGDIOBJ oldTo = SelectObject(to, fresh);
      BitBlt(to, 0, 0, 1000, 256, from, 0, 0, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
      DeleteDC(from);
      DeleteDC(to);
      previous = present.shown;
      present.shown = fresh;
    }
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    if (previous != nullptr) DeleteObject(previous);
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    ++rounds;
    QueryPerformanceCounter(&now);
  } while (static_cast<double>(now.QuadPart - start.QuadPart) <
           seconds * static_cast<double>(frequency.QuadPart));
  const double elapsed =
      static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  DestroyWindow(window);
  if (present.shown != nullptr && present.shown != source) DeleteObject(present.shown);
  DeleteObject(source);
  return static_cast<double>(rounds) / elapsed;
}

// "Werte/s" as the program shows it, read about ten times a second until the
// time is up; the readings that changed, in order.
std::vector<long> shownValues(const probe::Program& program, long seconds, std::vector<long>* frames) {
  const DWORD start = GetTickCount();
  std::vector<long> values;
  std::wstring lastShown;
  while (GetTickCount() - start < static_cast<DWORD>(seconds * 1000)) {
    const std::wstring shown = program.statusText(1);
    if (shown != lastShown && shown.find(L" Werte/s") != std::wstring::npos) {
      lastShown = shown;
      values.push_back(std::wcstol(shown.c_str(), nullptr, 10));
      if (frames != nullptr) frames->push_back(std::wcstol(program.statusText(0).c_str(), nullptr, 10));
    }
    Sleep(100);
  }
  return values;
}

// The median, leaving out the first update, which counts from before the
// stream settled.
long settledMedian(const std::vector<long>& values) {
  std::vector<long> settled(values.size() > 2 ? values.begin() + 1 : values.begin(), values.end());
  std::sort(settled.begin(), settled.end());
  return settled.empty() ? 0 : settled[settled.size() / 2];
}

struct FastPlotRun {
  bool connected = false;
  std::vector<long> values;
  double cpuPerSecond = 0;
};

FastPlotRun fastPlotRun(const std::wstring& exe, long seconds) {
  FastPlotRun run;
  if (probe::askHost("board --wave ramp --rate 25000").substr(0, 2) != "ok") {
    ADD_FAILURE() << "the board did not start";
    return run;
  }
  probe::Program program;
  if (!program.start(exe)) {
    ADD_FAILURE() << "the program did not start";
    return run;
  }
  program.setComboText(6, L"COM7");
  program.selectComboItem(8, 1);
  EXPECT_EQ(program.comboText(8), L"schneller Plot");
  program.click(10);
  EXPECT_TRUE(probe::waitUntil([&] { return program.caption(10) == L"Trennen"; }));
  run.connected = probe::waitUntil([&] { return program.pressed(10); }, 2000) &&
                  !probe::waitUntil([&] { return !program.pressed(10); }, 1000);
  const double cpuStart = hostFigure("cpu");
  const DWORD start = GetTickCount();
  run.values = shownValues(program, seconds, nullptr);
  const double cpu = hostFigure("cpu") - cpuStart;
  const double elapsed = (GetTickCount() - start) / 1000.0;
  run.cpuPerSecond = elapsed > 0 ? cpu / elapsed : 0.0;
  probe::askHost("unplug");
  EXPECT_EQ(program.close(), 0u);
  EXPECT_FALSE(run.values.empty()) << "the program showed no rate";
  return run;
}

// tools/throughput.sh fastplot: the bare present loop in both painters,
// then the real program in "schneller Plot" fed at the line rate of 250000
// baud, in one run on the same display; with KURVLUX_BASELINE_EXE set, an
// earlier build of the program as well.
TEST(Throughput, FastPlot) {
  const long seconds = environmentNumber("KURVLUX_SECONDS", 12);
  const double drawState = barePresentsPerSecond(Painter::drawState, 5.0);
  const double bitBlt = barePresentsPerSecond(Painter::bitBlt, 5.0);
  const std::wstring baselineExe = probe::environment(L"KURVLUX_BASELINE_EXE");
  FastPlotRun baseline;
  if (!baselineExe.empty()) baseline = fastPlotRun(baselineExe, seconds);
  const FastPlotRun run = fastPlotRun(std::wstring(), seconds);
  std::printf(
      "FASTPLOT connected=%d werte_median=%ld werte=[%s] cpu_per_s=%.3f baseline_connected=%d "
      "baseline_median=%ld baseline_werte=[%s] baseline_cpu_per_s=%.3f bare_drawstate=%.0f "
      "bare_bitblt=%.0f\n",
      run.connected ? 1 : 0, settledMedian(run.values), joined(run.values).c_str(), run.cpuPerSecond,
      baseline.connected ? 1 : 0, settledMedian(baseline.values), joined(baseline.values).c_str(),
      baseline.cpuPerSecond, drawState, bitBlt);
}

TEST(Throughput, AtBaudRate) {
  const long baud = environmentNumber("KURVLUX_BAUD", 250000);
  const long seconds = environmentNumber("KURVLUX_SECONDS", 12);
  const long rate = baud / 10;
  ASSERT_EQ(probe::askHost("board --wave ramp --rate " + std::to_string(rate)).substr(0, 2), "ok");
  probe::Program program;
  ASSERT_TRUE(program.start());
  program.setComboText(6, L"COM7");
  program.setComboText(7, std::to_wstring(baud));
  program.click(10);
  ASSERT_TRUE(probe::waitUntil([&] { return program.caption(10) == L"Trennen"; }));
  const bool connected = probe::waitUntil([&] { return program.pressed(10); }, 2000) &&
                         !probe::waitUntil([&] { return !program.pressed(10); }, 1000);

  const double cpuStart = hostFigure("cpu");
  const double memoryStart = hostFigure("memory");
  const DWORD start = GetTickCount();
  std::vector<long> frames;
  const std::vector<long> values = shownValues(program, seconds, &frames);
  const double cpu = hostFigure("cpu") - cpuStart;
  const double memoryEnd = hostFigure("memory");
  const double elapsed = (GetTickCount() - start) / 1000.0;
  const std::string board = probe::askHost("unplug");
  EXPECT_EQ(program.close(), 0u);

  const long median = settledMedian(values);
  std::printf(
      "THROUGHPUT baud=%ld fed=%ld connected=%d werte_median=%ld werte=[%s] fps=[%s] "
      "cpu_per_s=%.3f rss_kb=%.0f->%.0f board=\"%s\"\n",
      baud, rate, connected ? 1 : 0, median, joined(values).c_str(), joined(frames).c_str(),
      elapsed > 0 ? cpu / elapsed : 0.0, memoryStart, memoryEnd, board.c_str());
}

// tools/throughput.sh --rate: a board that ignores the baud rate, as one
// with a native USB port does. In one run the floor of synchronous full
// repaints, the bare reader of the board (ClearCommError and
// ReadFile through the program's serial layer), then the program, each fed a
// ramp at KURVLUX_RATE bytes per second, with the threshold KURVLUX_THRESHOLD.
TEST(Throughput, AtRate) {
  const long rate = environmentNumber("KURVLUX_RATE", 1000000);
  const long seconds = environmentNumber("KURVLUX_SECONDS", 12);
  std::wstring threshold = probe::environment(L"KURVLUX_THRESHOLD");
  if (threshold.empty()) threshold = L"aus";
  const double repaintFloor = barePresentsPerSecond(Painter::bitBlt, 5.0, false);
  const std::string plugIn = "board --wave ramp --rate " + std::to_string(rate);

  ASSERT_EQ(probe::askHost(plugIn).substr(0, 2), "ok");
  double reader = 0;
  {
    kurvlux::SerialPortsWin32 ports;
    reader = kurvlux::bareReaderRate(ports, u"COM7", static_cast<double>(seconds));
  }
  const std::string readerBoard = probe::askHost("unplug");

  ASSERT_EQ(probe::askHost(plugIn).substr(0, 2), "ok");
  probe::Program program;
  ASSERT_TRUE(program.start());
  program.setComboText(6, L"COM7");
  program.setComboText(9, threshold);
  program.click(10);
  ASSERT_TRUE(probe::waitUntil([&] { return program.caption(10) == L"Trennen"; }));
  const bool connected = probe::waitUntil([&] { return program.pressed(10); }, 2000) &&
                         !probe::waitUntil([&] { return !program.pressed(10); }, 1000);
  const double cpuStart = hostFigure("cpu");
  const DWORD start = GetTickCount();
  std::vector<long> frames;
  const std::vector<long> values = shownValues(program, seconds, &frames);
  const double cpu = hostFigure("cpu") - cpuStart;
  const double elapsed = (GetTickCount() - start) / 1000.0;
  const std::string programBoard = probe::askHost("unplug");
  EXPECT_EQ(program.close(), 0u);
  std::printf(
      "RATE fed=%ld threshold=%ls werte=[%s] werte_median=%ld fps=[%s] fps_median=%ld cpu_per_s=%.2f "
      "connected=%d waits=%ld reader=%.0f reader_waits=%ld repaint_floor=%.0f\n",
      rate, threshold.c_str(), joined(values).c_str(), settledMedian(values), joined(frames).c_str(),
      settledMedian(frames), elapsed > 0 ? cpu / elapsed : 0.0, connected ? 1 : 0,
      kurvlux::boardWaits(programBoard), reader, kurvlux::boardWaits(readerBoard), repaintFloor);
}

}  // namespace
