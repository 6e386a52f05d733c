// The mode-change test that every mode handler runs on the bytes of a pass.
#pragma once

#include "acquisition/acquisition_state.hpp"

namespace kurvlux {

// When the selected mode differs from the one seen last, remember it and
// reset the rolling chart, which also clears the drawing image for the
// oscilloscope.
void checkModeChange(AcquisitionState& state, Controls& controls, PlotOutput& plot);

}  // namespace kurvlux
