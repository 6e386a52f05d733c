// The steps from the items shown to the items wanted.
#include "ui/list_edits.hpp"

#include <algorithm>

namespace kurvlux {

std::vector<ListEdit> listEdits(const std::vector<Text>& shown, const std::vector<Text>& wanted) {
  std::vector<ListEdit> edits;
  auto next = shown.begin();
  for (std::size_t at = 0; at < wanted.size(); ++at) {
    const auto found = std::find(next, shown.end(), wanted[at]);
    if (found == shown.end()) {
      edits.push_back({ListEdit::insert, at, wanted[at]});
      continue;
    }
    // The rows passed over are no longer wanted here.
    for (; next != found; ++next) edits.push_back({ListEdit::remove, at, {}});
    ++next;
  }
  for (; next != shown.end(); ++next) edits.push_back({ListEdit::remove, wanted.size(), {}});
  return edits;
}

}  // namespace kurvlux
