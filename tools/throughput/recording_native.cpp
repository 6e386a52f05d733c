// The recording step of `tools/throughput.sh --native --recording`: the same
// run twice, the program not recording and then recording (--record) the
// counting ramp the board sends, and the recording checked byte for byte.
// Settings: KURVLUX_RECORD_FORM (csv or bin), KURVLUX_BAUD (typed into the
// baud box, default 250000), KURVLUX_RATE (bytes per second fed, default the
// line rate), KURVLUX_SECONDS, KURVLUX_PLAIN, KURVLUX_PAIRS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "e2e_linux/native_fixture.hpp"
#include "throughput/figures.hpp"

namespace {

using namespace kurvlux;
namespace fs = std::filesystem;

long residentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

struct Measured {
  long werte = 0;
  // Every reading of "Werte/s", of all turns of this kind.
  std::vector<long> readings;
  double cpuPerSecond = 0;
  long rssFirstMinute = -1;
  long rssEnd = -1;
  bool connected = false;
};

// What the file holds: samples, and where the ramp or the numbering broke.
struct Held {
  long long samples = 0;
  long long breaks = 0;
  double lastTime = 0;
  bool wellFormed = true;
};

Held readRecording(const std::string& path, bool table) {
  Held held;
  std::ifstream file(path, std::ios::binary);
  int previous = -1;
  const auto take = [&](int value) {
    if (previous >= 0 && value != (previous + 1) % 256) ++held.breaks;
    previous = value;
    ++held.samples;
  };
  if (!table) {
    char block[1 << 16];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
      for (std::streamsize i = 0; i < file.gcount(); ++i) take(static_cast<unsigned char>(block[i]));
    }
    return held;
  }
  std::string row;
  std::getline(file, row);
  held.wellFormed = row == "sample,time_s,value";
  while (std::getline(file, row)) {
    long long number = -1;
    double time = -1;
    int value = -1;
    if (std::sscanf(row.c_str(), "%lld,%lf,%d", &number, &time, &value) != 3 || time < held.lastTime) {
      held.wellFormed = false;
      break;
    }
    if (number != held.samples) ++held.breaks;
    held.lastTime = time;
    take(value);
  }
  return held;
}

class RecordingThroughput : public NativeProgram {
 protected:
  // Each run has a program of its own: a probe follows one process.
  Measured measure(probe::Program& program, long baud, long fed, int seconds, const std::string& recording) {
    Measured run;
    EXPECT_TRUE(board.plugIn({"--wave", "ramp", "--rate", std::to_string(fed)}));
    std::vector<std::string> arguments{board.link()};
    if (!recording.empty()) arguments.insert(arguments.begin(), {"--record", recording});
    EXPECT_TRUE(program.start(arguments));
    if (baud != 250000) {
      program.typeInto(baudBoxId, std::to_string(baud));
      EXPECT_TRUE(probe::waitUntil([&] { return program.text(baudBoxId) == std::to_string(baud); }));
    }
    program.click(connectToggleId);
    EXPECT_TRUE(probe::waitUntil([&] { return program.text(connectToggleId) == "Trennen"; }));
    probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; });
    probe::sleepMs(1500);
    const double cpuBefore = cpuSeconds(program.pid());
    std::vector<long> values;
    for (int i = 0; i < seconds; ++i) {
      probe::sleepMs(1000);
      values.push_back(leadingNumber(program.statusText(1)));
      if (i == std::min(59, seconds - 1)) run.rssFirstMinute = residentKilobytes(program.pid());
    }
    run.rssEnd = residentKilobytes(program.pid());
    run.cpuPerSecond = (cpuSeconds(program.pid()) - cpuBefore) / seconds;
    run.connected = program.pressed(connectToggleId);
    run.readings = values;
    EXPECT_EQ(program.close(), 0);
    board.unplug();
    return run;
  }
};

TEST_F(RecordingThroughput, BesideTheSameRunNotRecording) {
  const std::string form = std::getenv("KURVLUX_RECORD_FORM") ? std::getenv("KURVLUX_RECORD_FORM") : "csv";
  const long baud = environmentNumber("KURVLUX_BAUD", 250000);
  const long fed = environmentNumber("KURVLUX_RATE", baud / 10);
  const int seconds = static_cast<int>(environmentNumber("KURVLUX_SECONDS", 12));
  const std::string path = workFolder() + "/recording." + form;
  // KURVLUX_PLAIN=0 leaves the run without recording out (a long soak).
  // KURVLUX_PAIRS runs take turns, not recording and recording, so other
  // work on the machine falls on both kinds alike; each kind keeps the
  // median of all its readings and its lowest CPU time.
  const bool beside = environmentNumber("KURVLUX_PLAIN", 1) != 0;
  const long pairs = beside ? environmentNumber("KURVLUX_PAIRS", 2) : 1;
  Measured plain, recorded;
  plain.cpuPerSecond = recorded.cpuPerSecond = 1e9;
  // A run that did not stream counts for nothing but marks the row.
  bool allStreamed = true;
  const auto keepBest = [&](Measured& best, const Measured& run) {
    allStreamed = allStreamed && run.connected;
    if (!run.connected) return;
    // The median of all readings: a turn's best second is a catch-up after a
    // stall as often as not.
    best.readings.insert(best.readings.end(), run.readings.begin(), run.readings.end());
    best.werte = quantile(best.readings, 0.5);
    best.cpuPerSecond = std::min(best.cpuPerSecond, run.cpuPerSecond);
    best.rssFirstMinute = run.rssFirstMinute;
    best.rssEnd = run.rssEnd;
    best.connected = true;
  };
  for (long pair = 0; pair < pairs; ++pair) {
    if (beside) {
      probe::Program plainProgram;
      keepBest(plain, measure(plainProgram, baud, fed, seconds, ""));
    }
    fs::remove(path);
    probe::Program recordingProgram;
    keepBest(recorded, measure(recordingProgram, baud, fed, seconds, path));
  }
  const Held held = readRecording(path, form == "csv");
  std::printf(
      "RECORDING form=%s baud=%ld fed=%ld plain_werte=%ld recorded_werte=%ld plain_cpu=%.3f "
      "recorded_cpu=%.3f "
      "samples=%lld breaks=%lld well_formed=%d last_time=%.6f size=%lld rss_kb=%ld->%ld connected=%d "
      "file=%s\n",
      form.c_str(), baud, fed, plain.werte, recorded.werte, plain.cpuPerSecond, recorded.cpuPerSecond,
      held.samples, held.breaks, held.wellFormed ? 1 : 0, held.lastTime,
      static_cast<long long>(fs::file_size(path)), recorded.rssFirstMinute, recorded.rssEnd,
      recorded.connected && allStreamed ? 1 : 0, path.c_str());
}

}  // namespace
