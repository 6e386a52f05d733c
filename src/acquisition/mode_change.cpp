#include "acquisition/mode_change.hpp"

#include <utility>

namespace kurvlux {

void checkModeChange(AcquisitionState& state, Controls& controls, PlotOutput& plot) {
  Text mode = controls.controlText(modeListId);
  if (textEquals(mode, state.previousModeText)) return;
  state.previousModeText = std::move(mode);
  plot.drawRollingPoint(-1, rollingResetKind);
}

}  // namespace kurvlux
