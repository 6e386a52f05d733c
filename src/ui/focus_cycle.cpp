#include "ui/focus_cycle.hpp"

namespace kurvlux {

int focusTarget(int candidateCount, int focusedCandidate, bool focusInsideWindow, FocusDirection direction) {
  if (candidateCount <= 0) return -1;
  const bool candidateFocused = focusedCandidate >= 0 && focusedCandidate < candidateCount;
  if (direction == FocusDirection::next) {
    if (candidateFocused) return (focusedCandidate + 1) % candidateCount;
    // A focused window that is no tab stop (the canvas, the status bar)
    // keeps the focus; from outside, Tab enters at the first candidate.
    return focusInsideWindow ? -1 : 0;
  }
  if (candidateFocused && focusedCandidate > 0) return focusedCandidate - 1;
  return candidateCount - 1;
}

}  // namespace kurvlux
