// Where the time of a "schneller Plot" pass goes: the real window, controls,
// status bar and image store, run under the real main loop, each reached
// through a wrapper that adds up the time spent in it. Only the serial port is
// a stand-in that always has a handful of ramp bytes waiting, as a board at
// 250000 baud gives a fast loop. Prints one line per share of a pass.
//   pass_profile.exe [seconds, default 5]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "render/image_store_win32.hpp"
#include "render/plotter.hpp"
#include "ui/user_interface_win32.hpp"

namespace kurvlux {
namespace {

// Accumulated performance-counter ticks and calls of one share of the pass.
struct Share {
  const char* name;
  long long ticks = 0;
  long long calls = 0;
};

long long counterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

class Timed {
 public:
  explicit Timed(Share& share) : share_(share), start_(counterNow()) {}
  ~Timed() {
    share_.ticks += counterNow() - start_;
    ++share_.calls;
  }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  Share& share_;
  long long start_;
};

Share controlReads{"control reads (state, text)"};
Share controlWrites{"control writes (caption, enabled, state)"};
Share statusCalls{"status bar texts and progress"};
Share copyShare{"present: copy image 4 into image 3"};
Share showShare{"present: show image (size, repaint)"};
Share drawingShare{"present: stop and start drawing"};
Share fetchShare{"event fetch"};

class TimedControls final : public Controls {
 public:
  explicit TimedControls(Controls& real) : real_(real) {}
  std::intptr_t controlState(int id) override {
    Timed t(controlReads);
    return real_.controlState(id);
  }
  void setControlState(int id, std::intptr_t value) override {
    Timed t(controlWrites);
    real_.setControlState(id, value);
  }
  Text controlText(int id) override {
    Timed t(controlReads);
    return real_.controlText(id);
  }
  void setControlText(int id, TextView text) override {
    Timed t(controlWrites);
    real_.setControlText(id, text);
  }
  void disableControl(int id, int flag) override {
    Timed t(controlWrites);
    real_.disableControl(id, flag);
  }
  void addControlItem(int id, int position, TextView text) override { real_.addControlItem(id, position, text); }
  void setControlTooltip(int id, TextView text) override { real_.setControlTooltip(id, text); }

 private:
  Controls& real_;
};

class TimedStatusBar final : public StatusBar {
 public:
  explicit TimedStatusBar(StatusBar& real) : real_(real) {}
  void setStatusText(int bar, int field, TextView text, int flags) override {
    Timed t(statusCalls);
    real_.setStatusText(bar, field, text, flags);
  }
  void setStatusProgress(int bar, int field, int value, int appearance, int minimum, int maximum) override {
    Timed t(statusCalls);
    real_.setStatusProgress(bar, field, value, appearance, minimum, maximum);
  }

 private:
  StatusBar& real_;
};

class TimedImageStore final : public ImageStore {
 public:
  explicit TimedImageStore(ImageStore& real) : real_(real) {}
  std::uintptr_t createImage(int number, int width, int height) override {
    return real_.createImage(number, width, height);
  }
  PixelView startDrawing(int number) override {
    Timed t(drawingShare);
    return real_.startDrawing(number);
  }
  void stopDrawing() override {
    Timed t(drawingShare);
    real_.stopDrawing();
  }
  std::uintptr_t copyImage(int source, int target) override {
    Timed t(copyShare);
    return real_.copyImage(source, target);
  }
  std::uintptr_t imageHandle(int number) override { return real_.imageHandle(number); }
  void createImageControl(int control, int x, int y, int width, int height, std::uintptr_t bitmap) override {
    real_.createImageControl(control, x, y, width, height, bitmap);
  }
  void showImage(int control, int number) override {
    Timed t(showShare);
    real_.showImage(control, number);
  }

 private:
  ImageStore& real_;
};

class TimedEventPump final : public EventPump {
 public:
  explicit TimedEventPump(EventPump& real) : real_(real) {}
  int fetchEvent() override {
    Timed t(fetchShare);
    return real_.fetchEvent();
  }
  void pauseMilliseconds(int milliseconds) override { real_.pauseMilliseconds(milliseconds); }
  void showMessage(TextView title, TextView text, MessageFont font) override {
    real_.showMessage(title, text, font);
  }

 private:
  EventPump& real_;
};

// Always open, always a few bytes of a ramp waiting.
class StreamingPort final : public SerialPorts {
 public:
  std::uintptr_t openPort(int, TextView, const PortSettings&) override { return 1; }
  std::int32_t waitingByteCount(int) override { return bytesPerPass; }
  std::int32_t readPortBytes(int, std::uint8_t* buffer, std::int32_t length) override {
    for (std::int32_t i = 0; i < length; ++i) buffer[i] = next_++;
    return length;
  }
  bool portFailed(int) override { return false; }
  void closePort(int) override {}
  void closeAllPorts() override {}

 private:
  static constexpr std::int32_t bytesPerPass = 25;
  std::uint8_t next_ = 0;
};

int run(double seconds) {
  UserInterface ui(plotModeNames);
  TimedControls controls(ui.controls());
  TimedStatusBar statusBar(ui.statusBars());
  TimedEventPump events(ui.eventPump());
  Win32ImageStore realImages(ui.controls());
  TimedImageStore images(realImages);
  Plotter plotter(images, statusBar, controls, ui.clock());
  plotter.buildCanvas();
  StreamingPort port;
  MainLoop loop(controls, statusBar, events, ui.clock(), port, plotter);

  ui.controls().setControlText(modeListId, plotModes[1].name);
  ui.controls().setControlState(connectToggleId, 1);
  // Settle: connect, reset the chart, let the window's start-up messages go.
  for (int i = 0; i < 200; ++i) loop.runPass();
  for (Share* share : {&controlReads, &controlWrites, &statusCalls, &copyShare, &showShare, &drawingShare,
                       &fetchShare}) {
    share->ticks = 0;
    share->calls = 0;
  }

  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const long long start = counterNow();
  const long long end = start + static_cast<long long>(seconds * static_cast<double>(frequency.QuadPart));
  long long passes = 0;
  while (counterNow() < end) {
    if (!loop.runPass()) break;
    ++passes;
  }
  const long long total = counterNow() - start;
  const double perPassUs = 1e6 * static_cast<double>(total) / static_cast<double>(frequency.QuadPart) /
                           static_cast<double>(passes);
  std::printf("PROFILE passes=%lld seconds=%.2f passes_per_s=%.1f us_per_pass=%.1f\n", passes,
              static_cast<double>(total) / static_cast<double>(frequency.QuadPart),
              static_cast<double>(passes) * static_cast<double>(frequency.QuadPart) / static_cast<double>(total),
              perPassUs);
  long long accounted = 0;
  for (const Share* share : {&copyShare, &showShare, &drawingShare, &statusCalls, &controlReads, &controlWrites,
                             &fetchShare}) {
    accounted += share->ticks;
    std::printf("PROFILE share=\"%s\" us_per_pass=%.1f percent=%.1f calls_per_pass=%.2f\n", share->name,
                perPassUs * static_cast<double>(share->ticks) / static_cast<double>(total),
                100.0 * static_cast<double>(share->ticks) / static_cast<double>(total),
                static_cast<double>(share->calls) / static_cast<double>(passes));
  }
  std::printf("PROFILE share=\"rest (trace line, loop logic)\" us_per_pass=%.1f percent=%.1f calls_per_pass=1\n",
              perPassUs * static_cast<double>(total - accounted) / static_cast<double>(total),
              100.0 * static_cast<double>(total - accounted) / static_cast<double>(total));
  std::fflush(stdout);
  return 0;
}

}  // namespace
}  // namespace kurvlux

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 5.0;
  return kurvlux::run(seconds > 0 ? seconds : 5.0);
}
