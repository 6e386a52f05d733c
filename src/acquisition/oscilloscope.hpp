// The oscilloscope mode: once-a-second byte statistics, and the walk over
// every received sample that draws frames and looks for the trigger edge.
#pragma once

#include <cstdint>

#include "acquisition/acquisition_state.hpp"

namespace kurvlux {

// The trigger as the threshold box sets it. The box cannot change while a
// pass walks its bytes, so it is read once per read, not once per sample.
struct TriggerSetting {
  // Integer value of the box text (low 32 bits); "aus" reads as 0.
  std::int32_t thresholdValue = 0;
  // "aus": every search arms at once.
  bool armsAlways = false;
};

TriggerSetting readTriggerSetting(Controls& controls);

// Draws or searches through the first `count` bytes of the receive buffer.
// The byte after the last one handed on is the successor of the edge test.
void walkScopeSamples(AcquisitionState& state, PlotOutput& plot, std::int32_t count, bool paused,
                      TriggerSetting trigger);

// Handles the `receivedCount` bytes that the last read put at the start of
// the receive buffer (at least 1).
void handleOscilloscopeRead(AcquisitionState& state, AcquisitionPlatform& platform,
                            std::int32_t receivedCount);

}  // namespace kurvlux
