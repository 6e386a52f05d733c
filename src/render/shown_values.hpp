// The samples behind the picture the canvas shows: the last completed
// oscilloscope frame, or the chart's columns drawn so far, oldest first.
// The plotter tells it each value and each change of what is shown, the same
// steps the two images go through.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kurvlux {

class ShownValues {
 public:
  static constexpr std::int32_t columns = 1000;

  // A frame's value at its column; the frame is shown once complete.
  void scopeValue(std::int32_t column, std::int32_t value);
  void scopeFrameShown();
  // A chart value at its column, shown at once with the columns before it;
  // the value past the last column shows the whole sweep, unchanged.
  void chartValue(std::int32_t column, std::int32_t value);
  // The cleared drawing image is shown; the last picture is kept aside.
  void clearedShown();
  // The last picture is shown again.
  void snapshotShown() { clearedShown_ = false; }

  // The values of the picture on screen, oldest first.
  std::vector<std::uint8_t> values() const;

 private:
  enum class Source { none, scope, chart };
  std::array<std::uint8_t, columns> frame_{};
  std::array<std::uint8_t, columns> shownFrame_{};
  std::array<std::uint8_t, columns> sweep_{};
  Source source_ = Source::none;
  std::int32_t chartCount_ = 0;
  bool clearedShown_ = false;
};

}  // namespace kurvlux
