// The eight display modes, in the order of the mode list and of the dispatch.
#pragma once

#include <array>
#include <cstdint>

#include "render/plot_output.hpp"
#include "text/convert.hpp"

namespace kurvlux {

struct PlotMode {
  const char16_t* name;
  // A sample is plotted once this many milliseconds have passed since the
  // last plot: strictly more for the 10 ms mode, at least for the others.
  // 0: every pass with bytes plots.
  std::uint32_t interval;
  bool intervalIsExclusive;
  // Second argument of drawRollingPoint; the oscilloscope draws no rolling points.
  std::int32_t kind;
  // Fixed status texts of the slow modes; null where the trace itself keeps
  // per-second statistics.
  const char16_t* framesText;
  const char16_t* minutesText;
  const char16_t* divisionText;
  // Sleep at the end of every pass with bytes, in milliseconds.
  int sleep;
};

constexpr std::int32_t noRollingKind = -1;

constexpr std::array<PlotMode, 8> plotModes{{
    {u"Oszilloskop", 0, false, noRollingKind, nullptr, nullptr, nullptr, 0},
    {u"schneller Plot", 0, false, rollingStatisticsKind, nullptr, nullptr, nullptr, 0},
    {u"Plot (0.01s)", 10, true, rollingStatisticsKind, nullptr, nullptr, nullptr, 2},
    {u"Plot (0.1s)", 100, false, rollingPlainKind, u"100 s/FPS", u"1,6 min/FPS", u"5.0 s/DIV", 2},
    {u"Plot (0.5s)", 500, false, rollingPlainKind, u"500 s/FPS", u"8,3 min/FPS", u"25 s/DIV", 4},
    {u"Plot (1.0s)", 1000, false, rollingPlainKind, u"1000 s/FPS", u"16,6 min/FPS", u"50 s/DIV", 10},
    {u"Plot (2.0s)", 2000, false, rollingPlainKind, u"2000 s/FPS", u"33,3 min/FPS", u"100 s/DIV", 20},
    {u"Plot (5.0s)", 5000, false, rollingPlainKind, u"5000 s/FPS", u"83,3 min/FPS", u"250 s/DIV", 50},
}};

constexpr std::size_t oscilloscopeMode = 0;

// The items of the mode list, in table order; the window fills its mode list
// from these, so the names stay in this one table.
constexpr std::array<const char16_t*, plotModes.size()> plotModeNames = [] {
  std::array<const char16_t*, plotModes.size()> names{};
  for (std::size_t i = 0; i < plotModes.size(); ++i) names[i] = plotModes[i].name;
  return names;
}();

}  // namespace kurvlux
