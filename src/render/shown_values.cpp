#include "render/shown_values.hpp"

namespace kurvlux {

void ShownValues::scopeValue(std::int32_t column, std::int32_t value) {
  if (column >= 0 && column < columns)
    frame_[static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(value);
}

void ShownValues::scopeFrameShown() {
  shownFrame_ = frame_;
  source_ = Source::scope;
  clearedShown_ = false;
}

void ShownValues::chartValue(std::int32_t column, std::int32_t value) {
  if (column >= 0 && column < columns) {
    sweep_[static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(value);
    chartCount_ = column + 1;
  } else {
    chartCount_ = columns;
  }
  source_ = Source::chart;
  clearedShown_ = false;
}

void ShownValues::clearedShown() { clearedShown_ = true; }

std::vector<std::uint8_t> ShownValues::values() const {
  if (clearedShown_) return {};
  switch (source_) {
    case Source::scope:
      return {shownFrame_.begin(), shownFrame_.end()};
    case Source::chart:
      return {sweep_.begin(), sweep_.begin() + chartCount_};
    case Source::none:
      break;
  }
  return {};
}

}  // namespace kurvlux
