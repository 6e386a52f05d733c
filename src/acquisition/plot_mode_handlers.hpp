// The seven chart modes: each read plots at most its first byte, when the
// display is not paused and the mode's interval has passed.
#pragma once

#include <cstdint>

#include "acquisition/acquisition_state.hpp"
#include "acquisition/plot_modes.hpp"

namespace kurvlux {

// Handles one read of at least one byte in a chart mode (any row of the
// mode table but the oscilloscope).
void handleChartRead(AcquisitionState& state, AcquisitionPlatform& platform, const PlotMode& mode);

}  // namespace kurvlux
