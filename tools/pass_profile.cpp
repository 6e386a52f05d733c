// The timing wrappers and the profile run, the same on both platforms. In
// frame mode the loop runs the oscilloscope on reads of a fast board, and
// each share is given per completed frame.
#include "pass_profile.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "render/plotter.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {
namespace {

using ProfileClock = std::chrono::steady_clock;

// Accumulated time and calls of one share of the loop.
struct Share {
  const char* name;
  ProfileClock::duration time{};
  long long calls = 0;
};

class Timed {
 public:
  explicit Timed(Share& share) : share_(share), start_(ProfileClock::now()) {}
  ~Timed() {
    share_.time += ProfileClock::now() - start_;
    ++share_.calls;
  }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  Share& share_;
  ProfileClock::time_point start_;
};

Share controlReads{"control reads (state, text)"};
Share controlWrites{"control writes (caption, enabled, state)"};
Share statusCalls{"status bar texts and progress"};
Share copyShare{"present: copy image 4 into image 3"};
Share swapShare{"present: swap images 3 and 4"};
Share showShare{"present: show image (size, repaint)"};
Share drawingShare{"present: stop and start drawing"};
Share fetchShare{"event fetch (GTK: paint)"};
Share readShare{"serial: waiting count and read"};

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
  void addControlItem(int id, int position, TextView text) override {
    real_.addControlItem(id, position, text);
  }
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
  bool swapImages(int first, int second) override {
    Timed t(swapShare);
    return real_.swapImages(first, second);
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
  void waitForInput(std::uintptr_t port, int milliseconds) override {
    real_.waitForInput(port, milliseconds);
  }
  void showMessage(TextView title, TextView text, MessageFont font) override {
    real_.showMessage(title, text, font);
  }

 private:
  EventPump& real_;
};

// Always open, always a ramp waiting: a few bytes per pass as a board at
// 250000 baud gives a fast loop, or a large read as a native-USB board gives.
class StreamingPort final : public SerialPorts {
 public:
  explicit StreamingPort(std::int32_t bytesPerPass) : bytesPerPass_(bytesPerPass) {}
  std::uintptr_t openPort(int, TextView, const PortSettings&) override { return 1; }
  std::int32_t waitingByteCount(int) override {
    Timed t(readShare);
    return bytesPerPass_;
  }
  std::int32_t readPortBytes(int, std::uint8_t* buffer, std::int32_t length) override {
    Timed t(readShare);
    for (std::int32_t i = 0; i < length; ++i) buffer[i] = next_++;
    return length;
  }
  bool portFailed(int) override { return false; }
  void closePort(int) override {}
  void closeAllPorts() override {}

 private:
  std::int32_t bytesPerPass_;
  std::uint8_t next_ = 0;
};

// Counts completed oscilloscope frames: the calls that return 0.
class FrameCounter final : public PlotOutput {
 public:
  explicit FrameCounter(PlotOutput& real) : real_(real) {}
  std::int32_t drawScopePoint(std::int32_t value) override {
    const std::int32_t column = real_.drawScopePoint(value);
    if (column == 0) ++frames;
    return column;
  }
  std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) override {
    return real_.drawRollingPoint(value, kind);
  }
  void showSnapshot() override { real_.showSnapshot(); }
  long long frames = 0;

 private:
  PlotOutput& real_;
};

double microseconds(ProfileClock::duration time) {
  return std::chrono::duration<double, std::micro>(time).count();
}

}  // namespace

PassProfileOptions passProfileOptions(int argc, const char* const* argv) {
  PassProfileOptions options;
  int next = 1;
  if (argc > next && (std::strcmp(argv[next], "frame") == 0 || std::strcmp(argv[next], "fastplot") == 0)) {
    options.mode = argv[next++];
  }
  if (argc > next) {
    const double seconds = std::strtod(argv[next++], nullptr);
    if (seconds > 0) options.seconds = seconds;
  }
  if (argc > next) options.threshold = textFromUtf8(argv[next]);
  return options;
}

int runPassProfile(Controls& realControls, StatusBar& realStatusBar, EventPump& realEvents, Clock& clock,
                   ImageStore& realImages, const PassProfileOptions& options) {
  const bool frameMode = options.mode == "frame";
  TimedControls controls(realControls);
  TimedStatusBar statusBar(realStatusBar);
  TimedEventPump events(realEvents);
  TimedImageStore images(realImages);
  Plotter plotter(images, statusBar, controls, clock);
  plotter.buildCanvas();
  FrameCounter plot(plotter);
  // A read of a board sending some megabytes a second fills the buffer.
  StreamingPort port(frameMode ? 10000 : 25);
  MainLoop loop(controls, statusBar, events, clock, port, plot);

  realControls.setControlText(modeListId, plotModes[frameMode ? 0 : 1].name);
  realControls.setControlText(thresholdBoxId, options.threshold);
  realControls.setControlState(connectToggleId, 1);
  // Settle: connect, reset the chart, let the window's start-up messages go.
  for (int i = 0; i < 200; ++i) loop.runPass();
  const std::initializer_list<Share*> shares = {&copyShare,     &swapShare,   &showShare,
                                                &drawingShare,  &statusCalls, &controlReads,
                                                &controlWrites, &fetchShare,  &readShare};
  for (Share* share : shares) *share = Share{share->name};
  plot.frames = 0;

  const auto start = ProfileClock::now();
  const auto end = start + std::chrono::duration_cast<ProfileClock::duration>(
                               std::chrono::duration<double>(options.seconds));
  long long passes = 0;
  while (ProfileClock::now() < end) {
    if (!loop.runPass()) break;
    ++passes;
  }
  const auto total = ProfileClock::now() - start;
  if (passes == 0 || (frameMode && plot.frames == 0)) {
    std::printf("PROFILE nothing measured (passes=%lld frames=%lld)\n", passes, plot.frames);
    return 1;
  }

  // The clear runs inside the trace, out of the wrappers' reach: timed alone,
  // each time after a frame of the ramp drawn as the trace draws it.
  ProfileClock::duration clearTime{};
  const int clears = 500;
  for (int i = 0; i < clears; ++i) {
    for (std::int32_t column = 0; column <= 1000; ++column) {
      plotter.canvas().drawLine(column - 1, rowOfValue((column + i - 1) & 0xFF), column,
                                rowOfValue((column + i) & 0xFF), 0xFF0000);
    }
    const auto clearStart = ProfileClock::now();
    plotter.canvas().clearCanvas();
    clearTime += ProfileClock::now() - clearStart;
  }
  clearTime /= clears;

  const double units = frameMode ? static_cast<double>(plot.frames) : static_cast<double>(passes);
  const char* unit = frameMode ? "frame" : "pass";
  const double seconds = std::chrono::duration<double>(total).count();
  std::printf(
      "PROFILE mode=%s passes=%lld frames=%lld seconds=%.2f passes_per_s=%.1f frames_per_s=%.1f "
      "us_per_%s=%.1f\n",
      options.mode.c_str(), passes, plot.frames, seconds, static_cast<double>(passes) / seconds,
      static_cast<double>(plot.frames) / seconds, unit, microseconds(total) / units);
  auto accounted = ProfileClock::duration{};
  for (const Share* share : shares) {
    if (share->calls == 0) continue;
    accounted += share->time;
    std::printf("PROFILE share=\"%s\" us_per_%s=%.1f percent=%.1f calls_per_%s=%.2f\n", share->name, unit,
                microseconds(share->time) / units, 100.0 * microseconds(share->time) / microseconds(total),
                unit, static_cast<double>(share->calls) / units);
  }
  const double rest = microseconds(total - accounted) / units;
  std::printf(
      "PROFILE share=\"rest (sample walk, trace lines, clear, loop logic)\" us_per_%s=%.1f percent=%.1f "
      "calls_per_%s=1\n",
      unit, rest, 100.0 * rest * units / microseconds(total), unit);
  if (frameMode) {
    // Not a share of its own: part of the rest, timed apart from the loop.
    std::printf(
        "PROFILE of_the_rest=\"clear for the next frame, timed alone after a ramp frame\" "
        "us_per_frame=%.1f\n",
        microseconds(clearTime));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace kurvlux
