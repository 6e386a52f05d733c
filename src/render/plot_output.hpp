// What the acquisition loop draws with: the two trace procedures and the
// idle re-presentation of the last finished picture.
#pragma once

#include <cstdint>

namespace kurvlux {

// The kinds of drawRollingPoint.
constexpr std::int32_t rollingPlainKind = 0;  // draws only
constexpr std::int32_t rollingResetKind = 1;
constexpr std::int32_t rollingStatisticsKind = 2;

class PlotOutput {
 public:
  virtual ~PlotOutput() = default;
  // Next point of an oscilloscope frame; returns the column of the next point,
  // 0 exactly after the point that completed (and presented) a frame.
  virtual std::int32_t drawScopePoint(std::int32_t value) = 0;
  // rollingResetKind resets the rolling chart; rollingStatisticsKind draws and
  // keeps per-second statistics; any other kind draws only. Always returns 0.
  virtual std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) = 0;
  // Shows the snapshot image (the last presented picture) in the image control.
  virtual void showSnapshot() = 0;
  // A pass that found nothing to read: a present held back for the
  // display's next frame is made now, if that frame has come.
  virtual void finishPresent() {}
};

}  // namespace kurvlux
