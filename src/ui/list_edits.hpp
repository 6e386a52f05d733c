// The steps that turn the items a list shows into the items it should show,
// so that a list box changes only where its items changed: an item that
// stays keeps its row, and with it the selection and what a screen reader
// knows of it.
#pragma once

#include <cstddef>
#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

struct ListEdit {
  enum Kind { insert, remove };
  Kind kind = insert;
  std::size_t position = 0;  // counted after the steps before it
  Text text;                 // the inserted item
};

// Items present in both lists in the same order stay; the rest are removed
// or inserted. Applied in order, the steps turn `shown` into `wanted`.
std::vector<ListEdit> listEdits(const std::vector<Text>& shown, const std::vector<Text>& wanted);

}  // namespace kurvlux
