// The status bar as the program's logic sees it: texts and one progress field.
#pragma once

#include "text/convert.hpp"

namespace kurvlux {

constexpr int statusBarId = 1;

// Flags of setStatusText (and appearance of setStatusProgress).
enum StatusFlags : int {
  statusRaised = 1,
  statusNoBorder = 2,
  statusCentred = 4,
  statusRightAligned = 8,
};

// Passed as minimum or maximum: keep the stored bound.
constexpr int keepProgressBound = -65535;

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual void setStatusText(int bar, int field, TextView text, int flags) = 0;
  virtual void setStatusProgress(int bar, int field, int value, int appearance, int minimum, int maximum) = 0;
};

}  // namespace kurvlux
