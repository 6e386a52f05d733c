// The last write of a recording when the process must end at once (a signal
// that ends it in its handler, the display lost): what the buffer holds of
// whole bursts goes to the file, async-signal-safe.
#pragma once

#include "recording/stream_recording.hpp"

namespace kurvlux {

// The recording to write out in an emergency; null for none. The view must
// stay valid until it is replaced.
void keepForEmergency(EmergencyView* view);
// Writes out the rest of the buffer and syncs the file; only
// async-signal-safe calls. `onLoopThread`: the handler interrupted the
// loop's thread, so no change of the buffer can end before it returns.
void writeOutRecordingInEmergency(bool onLoopThread);

}  // namespace kurvlux
