// The arithmetic of the status bar: field edges, the progress rectangle, the
// filled part of a drawn progress field and the text handed to the platform.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

// Field width that shares the space left over by the fixed-width fields.
constexpr int sharedFieldWidth = -65535;

// Width the fields may use: a bar under a sizable, not maximised parent
// leaves room for its size grip.
int statusAvailableWidth(int barClientWidth, int barClientHeight, bool parentSizable, bool parentMaximised);

// Cumulative right edges of the fields.
std::vector<int> statusRightEdges(std::span<const int> widths, int availableWidth);

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

// Where a progress control sits inside its field.
PixelRect progressControlRect(const PixelRect& field);

// Width of the highlighted part of a drawn progress field.
int progressFillWidth(int value, int minimum, int maximum, int innerWidth);

enum class StatusBorder { sunken, raised, none };

// Bit 1 raises the field, else bit 2 removes its border.
StatusBorder statusBorder(int flags);

// The platform centres text after one tab and right-aligns after two; the
// trailing blanks keep right-aligned text off the themed field edge.
Text composeStatusText(TextView text, int flags, bool themed);

}  // namespace kurvlux
