// What the acquisition loop draws with: the two trace procedures and the
// idle re-presentation of the last finished picture.
#pragma once

#include <cstdint>

namespace kurvlux {

class PlotOutput {
 public:
  virtual ~PlotOutput() = default;
  // Next point of an oscilloscope frame; returns the column of the next point,
  // 0 exactly after the point that completed (and presented) a frame.
  virtual std::int32_t drawScopePoint(std::int32_t value) = 0;
  // kind 1 resets the rolling chart; 2 draws and keeps per-second statistics;
  // any other kind draws only. Always returns 0.
  virtual std::int32_t drawRollingPoint(std::int32_t value, std::int32_t kind) = 0;
  // Shows the snapshot image (the last presented picture) in the image control.
  virtual void showSnapshot() = 0;
};

}  // namespace kurvlux
