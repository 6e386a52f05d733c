// The canvas the real programs should show, computed by the portable code
// over fakes, for end-to-end tests on both platforms to compare the screen with.
#pragma once

#include <cstdint>
#include <vector>

namespace kurvlux::fakes {

// The threshold the picture is triggered at. The sine rises through 128 as
// 127, 128, 128, 129: when a read ends on the first 128, its successor is
// whatever an earlier read left in the buffer, and a frame may start one
// sample early. It passes 130 only once on the way up, so every frame starts
// at the same sample however the reads fall.
constexpr const char16_t* sineThreshold = u"130";

// "Oszilloskop" at sineThreshold, paused after some periods of the board
// simulator's sine of 1000 samples per period: every triggered frame is the
// one period after the rising threshold, so the picture does not depend on
// when the stream started. 1000 x 256 pixels, row by row, as 0xRRGGBB.
std::vector<std::uint32_t> triggeredSineCanvas();
// Background and grid, as the window shows them right after start.
std::vector<std::uint32_t> idleCanvas();

}  // namespace kurvlux::fakes
