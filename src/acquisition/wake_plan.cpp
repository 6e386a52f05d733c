// The wake rules of an idle pass. What the user sees decides: a frame that
// cannot complete yet, a paused or hidden canvas and a statistics period
// that is still running need no pass per chunk.
#include "acquisition/wake_plan.hpp"

#include <algorithm>
#include <limits>

namespace kurvlux {

namespace {

// A pseudo-terminal and the kernel's terminal buffer hold about 4 KB; a
// batch waits for at most half of that, so a UART bridge loses nothing and
// a USB board is never held back.
constexpr std::int64_t batchBytes = 2048;
// Below this a batch saves nothing worth its risk: wake per chunk.
constexpr std::int64_t shortestBatch = 5;
// The termios count is a byte.
constexpr std::int32_t largestByteCount = 255;
// Above about 500 bytes a millisecond a counted wait held the fastest boards
// back; per chunk they are taken in full.
constexpr std::int32_t countedWaitLimit = 500000;
constexpr std::uint32_t rateWindow = 100;
// A frame cannot complete sooner than its bytes take at the line's rate (or
// the faster one measured): until this long before, the wait needs no port,
// whose every chunk would wake the waiting thread.
constexpr std::int64_t frameMargin = 3;
// Milliseconds between the reads of a recording that keeps arrival times.
constexpr int tableTimeStep = 5;

int sooner(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

WakePlan planForScreen(const WakeSituation& s) {
  const int statisticsDue = s.oscilloscope && s.untilStatistics > 0 ? s.untilStatistics : -1;
  const int redrawDue = s.untilRedraw;
  // A chart plots the oldest byte of each read: its pace is the pass rate,
  // so only a paused chart may gather bytes.
  const bool batch = s.paused || (!s.seen && s.oscilloscope);
  const std::int64_t fastest = std::max(s.lineBytesPerSecond, s.recentBytesPerSecond);
  if (batch && s.recentBytesPerSecond > 0 && fastest > 0) {
    const std::int64_t fills = batchBytes * 1000 / fastest;
    if (fills >= shortestBatch) {
      return {false, 1, sooner(sooner(static_cast<int>(fills), statisticsDue), redrawDue)};
    }
  }
  WakePlan plan{true, 1, redrawDue};
  // The statistics close with the first chunk after their second, as when
  // every chunk is read: the count covers whole chunks and a steady board's
  // texts hold still, instead of repainting the status bar every second.
  // So from shortly before, and once due, the loop wakes per chunk again.
  const int untilChunks = s.untilStatistics - static_cast<int>(frameMargin);
  if (s.oscilloscope && !s.paused && untilChunks > 1 && s.recentBytesPerSecond < countedWaitLimit) {
    const std::int64_t frameDue = fastest > 0 ? std::int64_t{s.bytesForFrame} * 1000 / fastest : 0;
    if (s.recentBytesPerSecond > 0 && frameDue > frameMargin + 1) {
      return {false, 1, sooner(static_cast<int>(frameDue - frameMargin), untilChunks)};
    }
    plan.byteCount = std::clamp(s.bytesForFrame, 1, largestByteCount);
    plan.deadline = sooner(plan.deadline, untilChunks);
  }
  return plan;
}

}  // namespace

WakePlan planWake(const WakeSituation& s) {
  WakePlan plan = planForScreen(s);
  // A table stamps each read with its time: a gathered batch would give up
  // to 80 ms of samples one time. Reads this far apart keep the times about
  // as fine as a UART bridge delivers bytes, for a fifth of the wakes per chunk.
  if (s.timesBursts && s.recentBytesPerSecond > 0) plan.deadline = sooner(plan.deadline, tableTimeStep);
  return plan;
}

void RecentByteRate::update(std::uint32_t now) {
  if (!started_) {
    started_ = true;
    start_ = now;
    bytes_ = 0;
    return;
  }
  const std::uint32_t elapsed = now - start_;
  if (elapsed < rateWindow) return;
  rate_ = static_cast<std::int32_t>(
      std::min<std::int64_t>(bytes_ * 1000 / elapsed, std::numeric_limits<std::int32_t>::max()));
  start_ = now;
  bytes_ = 0;
}

}  // namespace kurvlux
