// The main loop, the oscilloscope walk and the chart handlers fed arbitrary
// reads (0 to 20000 bytes waiting, counts that lie, negative counts, failing
// reads and status queries), threshold and mode texts, toggles that flip and
// a clock that jumps and wraps. After every pass:
//  - at most one status query and one read, asking for 1..10000 bytes into
//    the receive buffer, never more than was reported waiting;
//  - every value drawn came from the bytes this pass's read delivered, in
//    their order, and nothing is drawn in a pass without new bytes;
//  - scope values and rolling values are bytes (0..255), -1 only for the
//    reset, and the scope column stays within 0..1000;
//  - nothing is drawn while paused but the reset of a mode change, and a
//    timed chart mode draws only once its interval has passed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "fakes/acquisition_rig.hpp"
#include "fakes/fake_clock.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_event_pump.hpp"
#include "fakes/recording_status_bar.hpp"
#include "fuzz/fuzz_input.hpp"

using namespace kurvlux;

namespace {

[[noreturn]] void fail() { std::abort(); }

class Input : public fuzz::FuzzInput {
 public:
  using FuzzInput::FuzzInput;
  Text text() {
    Text out;
    const std::size_t length = byte() % 12;
    for (std::size_t i = 0; i < length; ++i) {
      const std::uint8_t b = byte();
      out.push_back(b == 0xFF ? static_cast<char16_t>(half()) : b);
    }
    return out;
  }
};

// What one pass's port does: the count it reports, how much a read delivers
// and the bytes it delivers.
struct PortScript {
  bool statusFails = false;
  bool readFails = false;
  std::int32_t reported = 0;
  // Bytes a read writes, at most what was asked; returned as the count
  // unless `returned` overrides it (a driver that misreports).
  std::int32_t deliverAtMost = 0;
  bool overrideReturn = false;
  std::int32_t returned = 0;
  std::uint8_t pattern = 0;
  std::uint32_t seed = 0;
};

class ScriptedPorts final : public SerialPorts {
 public:
  std::uintptr_t openPort(int, TextView, const PortSettings& settings) override {
    if (settings.inputQueueSize != receiveBufferSize) fail();
    failed = false;
    isOpen = openSucceeds;
    return openSucceeds ? 0x5150 : 0;
  }
  std::int32_t waitingByteCount(int id) override {
    ++statusQueries;
    if (!isOpen || id != serialPortId) return 0;
    if (script.statusFails) {
      failed = true;
      return 0;
    }
    reportedThisPass = script.reported;
    return script.reported;
  }
  std::int32_t readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) override {
    ++reads;
    // The loop may only read into the start of its own buffer, asking for
    // something it has room for and that was reported waiting.
    if (buffer != this->buffer->data() || this->buffer->size() != static_cast<std::size_t>(receiveBufferSize)) {
      fail();
    }
    if (length < 1 || length > receiveBufferSize || length > reportedThisPass) fail();
    if (!isOpen || id != serialPortId) return 0;
    if (script.readFails) {
      failed = true;
      return 0;
    }
    const std::int32_t written = std::min(length, std::max(script.deliverAtMost, 0));
    std::uint32_t x = script.seed | 1;
    for (std::int32_t i = 0; i < written; ++i) {
      std::uint8_t value = 0;
      switch (script.pattern % 4) {
        case 0:  // noise
          x ^= x << 13;
          x ^= x >> 17;
          x ^= x << 5;
          value = static_cast<std::uint8_t>(x);
          break;
        case 1:  // a ramp, which crosses every threshold going up
          value = static_cast<std::uint8_t>(i + script.seed);
          break;
        case 2:  // a square wave
          value = (i / (1 + script.seed % 64)) % 2 ? 200 : 20;
          break;
        default:  // a constant
          value = static_cast<std::uint8_t>(script.seed);
          break;
      }
      buffer[i] = value;
    }
    delivered.assign(buffer, buffer + written);
    if (script.overrideReturn) {
      // A misreport that the loop can see: more than it asked for, having
      // filled all of it, or a negative count with nothing written.
      if (script.returned >= 0) {
        std::fill(buffer + written, buffer + length, static_cast<std::uint8_t>(script.seed));
        delivered.assign(buffer, buffer + length);
        return length + 1 + (script.returned & 0xFFFF);
      }
      delivered.clear();
      return script.returned;
    }
    return written;
  }
  bool portFailed(int id) override { return isOpen && id == serialPortId && failed; }
  void closePort(int id) override {
    if (id == serialPortId || id == -1) {
      isOpen = false;
      failed = false;
    }
  }
  void closeAllPorts() override {
    isOpen = false;
    failed = false;
  }

  void startPass() {
    delivered.clear();
    statusQueries = 0;
    reads = 0;
    reportedThisPass = 0;
  }

  PortScript script;
  bool openSucceeds = true;
  bool isOpen = false;
  bool failed = false;
  std::vector<std::uint8_t> delivered;
  int statusQueries = 0;
  int reads = 0;
  std::int32_t reportedThisPass = 0;
  const std::vector<std::uint8_t>* buffer = nullptr;
};

// Follows the columns the way the scope trace does and checks every value.
class CheckingPlot final : public PlotOutput {
 public:
  std::int32_t drawScopePoint(std::int32_t value) override {
    if (value < 0 || value > 255) fail();
    values.push_back(value);
    ++scopeCalls;
    if (column >= 1000) {
      column = 0;
    } else {
      ++column;
    }
    return column;
  }
  std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) override {
    if (value == -1) {
      if (kind != 1) fail();
      ++resets;
      return 0;
    }
    if (value < 0 || value > 255 || kind == 1) fail();
    values.push_back(value);
    rollingKinds.push_back(kind);
    return 0;
  }
  void showSnapshot() override {}

  void startPass() {
    values.clear();
    rollingKinds.clear();
    scopeCalls = 0;
    resets = 0;
  }

  std::int32_t column = 0;
  std::vector<std::int32_t> values;
  std::vector<std::int32_t> rollingKinds;
  int scopeCalls = 0;
  int resets = 0;
};

Text modeText(Input& in) {
  const std::uint8_t choice = in.byte();
  if (choice < 200) return plotModes[choice % plotModes.size()].name;
  Text text = choice < 230 ? Text(plotModes[choice % plotModes.size()].name) : Text();
  return text + in.text();
}

Text thresholdText(Input& in) {
  const std::uint8_t choice = in.byte();
  if (choice < 64) return u"aus";
  if (choice < 192) return formatDecimal(in.byte());
  if (choice < 224) return formatDecimal(static_cast<std::int32_t>(in.word()));
  return in.text();
}

const PlotMode* modeNamed(const Text& text) {
  for (const PlotMode& mode : plotModes) {
    if (textEquals(text, mode.name)) return &mode;
  }
  return nullptr;
}

bool isSubsequence(const std::vector<std::int32_t>& drawn, const std::vector<std::uint8_t>& delivered) {
  std::size_t j = 0;
  for (const std::int32_t value : drawn) {
    while (j < delivered.size() && delivered[j] != value) ++j;
    if (j == delivered.size()) return false;
    ++j;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  fakes::RecordingControls controls;
  fakes::ControlsAtStart defaults{controls};
  fakes::RecordingStatusBar statusBar;
  fakes::RecordingEventPump pump;
  fakes::FakeClock clock(in.word());
  CheckingPlot plot;

  // The port checks every read against the loop's own receive buffer, whose
  // address is known once the loop exists.
  ScriptedPorts ports;
  MainLoop loop(controls, statusBar, pump, clock, ports, plot);
  ports.buffer = &loop.state().receiveBuffer;

  for (int passes = 0; !in.empty() && passes < 48;) {
    const std::uint8_t op = in.byte();
    switch (op % 8) {
      case 0: {
        const std::uint8_t b = in.byte();
        controls.at(connectToggleId).state = b < 200 ? (b & 1) : static_cast<std::int8_t>(b);
        continue;
      }
      case 1: {
        const std::uint8_t b = in.byte();
        controls.at(pauseToggleId).state = b < 200 ? (b & 1) : static_cast<std::int8_t>(b);
        continue;
      }
      case 2:
        controls.at(modeListId).text = modeText(in);
        continue;
      case 3:
        controls.at(thresholdBoxId).text = thresholdText(in);
        continue;
      case 4: {
        const std::uint8_t b = in.byte();
        clock.advance(b < 128 ? b * 8u : b < 192 ? in.half() : in.word());
        continue;
      }
      case 5:
        ports.openSucceeds = (in.byte() & 3) != 0;
        controls.at(baudBoxId).text = (in.byte() & 1) ? formatDecimal(in.word()) : in.text();
        controls.at(infoToggleId).state = (in.byte() & 7) == 0 ? 1 : 0;
        continue;
      default:
        break;
    }
    ++passes;
    // One pass with a scripted port.
    PortScript script;
    const std::uint8_t flags = in.byte();
    script.statusFails = (flags & 0x07) == 0x07;
    script.readFails = (flags & 0x38) == 0x38;
    const std::uint8_t countKind = in.byte();
    if (countKind < 160) {
      script.reported = in.byte();
    } else if (countKind < 224) {
      script.reported = in.half() % 20001;
    } else {
      script.reported = static_cast<std::int32_t>(in.word());
    }
    const std::uint8_t deliverKind = in.byte();
    script.deliverAtMost = deliverKind < 160 ? script.reported
                           : deliverKind < 224 ? in.half() % 20001
                                               : static_cast<std::int32_t>(in.word());
    script.overrideReturn = (flags & 0xC0) == 0xC0;
    if (script.overrideReturn) script.returned = static_cast<std::int32_t>(in.word());
    script.pattern = in.byte();
    script.seed = in.word();
    ports.script = script;
    ports.startPass();
    plot.startPass();

    const AcquisitionState& state = loop.state();
    const std::uint32_t intervalStartBefore = state.intervalStart;
    const Text modeBefore = controls.at(modeListId).text;
    const bool pausedBefore = controls.at(pauseToggleId).state != 0;
    const std::uint32_t now = clock.now;

    loop.runPass();

    if (ports.statusQueries > 1 || ports.reads > 1) fail();
    if (state.receiveBuffer.size() != static_cast<std::size_t>(receiveBufferSize)) fail();
    if (state.scopeColumn < 0 || state.scopeColumn > 1000 || state.scopeColumn != plot.column) fail();
    if (plot.resets > 1) fail();
    // Only bytes this pass delivered are drawn, in their order, at most once each.
    if (plot.values.size() > ports.delivered.size()) fail();
    if (!isSubsequence(plot.values, ports.delivered)) fail();
    if (pausedBefore && !plot.values.empty()) fail();
    const PlotMode* mode = modeNamed(modeBefore);
    if (mode == nullptr && !plot.values.empty()) fail();
    if (mode != nullptr && mode != &plotModes[oscilloscopeMode]) {
      // Charts plot the oldest byte of the read, in the mode's kind, once
      // its interval has passed since the last plot.
      if (plot.scopeCalls != 0 || plot.values.size() > 1) fail();
      if (!plot.values.empty()) {
        if (plot.values[0] != ports.delivered[0] || plot.rollingKinds[0] != mode->kind) fail();
        const std::uint32_t elapsed = elapsedSince(intervalStartBefore, now);
        if (mode->interval != 0 &&
            (mode->intervalIsExclusive ? elapsed <= mode->interval : elapsed < mode->interval)) {
          fail();
        }
      }
    }
    if (mode == &plotModes[oscilloscopeMode] && !plot.rollingKinds.empty()) fail();
    // A failed port is dropped in the same pass and the toggle released.
    if ((script.statusFails || script.readFails) && ports.isOpen && ports.statusQueries == 1 &&
        (script.statusFails || ports.reads == 1)) {
      fail();
    }
    if (state.isConnected != (ports.isOpen ? 1 : 0)) fail();
  }
  loop.shutDown();
  if (ports.isOpen) fail();
  return 0;
}
