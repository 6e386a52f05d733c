// The canvas the real programs should show, computed by the portable code
// over fakes, for end-to-end tests on both platforms to compare the screen with.
#pragma once

#include <cstdint>
#include <vector>

namespace kurvlux::fakes {

// "Oszilloskop" at threshold 128, paused after some periods of the board
// simulator's sine of 1000 samples per period: every triggered frame is the
// one period after a rising 128, so the picture does not depend on when the
// stream started. 1000 x 256 pixels, row by row, as 0xRRGGBB.
std::vector<std::uint32_t> triggeredSineCanvas();

}  // namespace kurvlux::fakes
