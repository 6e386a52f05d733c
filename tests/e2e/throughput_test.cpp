// Not part of the test run: one step of tools/throughput.sh. Feeds the real
// program a counting ramp at the line rate of one baud rate and prints what
// it showed, whether the board was ever held back, and the CPU it used.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "e2e/probe.hpp"

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

TEST(Throughput, DISABLED_AtBaudRate) {
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
  std::vector<long> values;
  std::vector<long> frames;
  std::wstring lastShown;
  while (GetTickCount() - start < static_cast<DWORD>(seconds * 1000)) {
    const std::wstring shown = program.statusText(1);
    if (shown != lastShown && shown.find(L" Werte/s") != std::wstring::npos) {
      lastShown = shown;
      values.push_back(std::wcstol(shown.c_str(), nullptr, 10));
      frames.push_back(std::wcstol(program.statusText(0).c_str(), nullptr, 10));
    }
    Sleep(100);
  }
  const double cpu = hostFigure("cpu") - cpuStart;
  const double memoryEnd = hostFigure("memory");
  const double elapsed = (GetTickCount() - start) / 1000.0;
  const std::string board = probe::askHost("unplug");
  EXPECT_EQ(program.close(), 0u);

  // The first update counts from before the stream settled; leave it out.
  std::vector<long> settled(values.size() > 2 ? values.begin() + 1 : values.begin(), values.end());
  std::sort(settled.begin(), settled.end());
  const long median = settled.empty() ? 0 : settled[settled.size() / 2];
  std::printf("THROUGHPUT baud=%ld fed=%ld connected=%d werte_median=%ld werte=[%s] fps=[%s] "
              "cpu_per_s=%.3f rss_kb=%.0f->%.0f board=\"%s\"\n",
              baud, rate, connected ? 1 : 0, median, joined(values).c_str(), joined(frames).c_str(),
              elapsed > 0 ? cpu / elapsed : 0.0, memoryStart, memoryEnd, board.c_str());
}

}  // namespace
