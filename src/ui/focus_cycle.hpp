// Tab and Shift+Tab inside the main window, decided over the list of windows
// that may take the keyboard focus.
#pragma once

namespace kurvlux {

enum class FocusDirection { next, previous };

// candidateCount: enabled, visible tab stops in child-window order.
// focusedCandidate: index of the candidate holding the focus, -1 if none does.
// focusInsideWindow: some window inside the main window holds the focus.
// Returns the index of the candidate that gets the focus, or -1 when the
// focus stays where it is.
int focusTarget(int candidateCount, int focusedCandidate, bool focusInsideWindow, FocusDirection direction);

}  // namespace kurvlux
