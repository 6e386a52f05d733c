// Where the main window goes and which of openWindow's flags reach the platform.
#pragma once

#include <cstdint>

namespace kurvlux {

// The three lowest bits of openWindow's flags choose the placement; the rest
// is the platform window style.
constexpr std::uint32_t placementMask = 0x7;
constexpr std::uint32_t placeCentred = 0x1;

constexpr std::uint32_t windowStyleBits(std::uint32_t flags) { return flags & ~placementMask; }
constexpr bool placedCentred(std::uint32_t flags) { return (flags & placementMask) == placeCentred; }

struct WindowPlacement {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const WindowPlacement&) const = default;
};

// A window larger than the screen is cut to it first, so it lands at the
// top-left corner instead of off screen.
WindowPlacement centredPlacement(int outerWidth, int outerHeight, int screenWidth, int screenHeight);

}  // namespace kurvlux
