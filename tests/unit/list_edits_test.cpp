// The steps that turn the port box's old list into the new one: applied in
// order they give the new list, and every item in both lists in the same
// order keeps its row (so only the rest is removed).
#include <gtest/gtest.h>

#include "ui/list_edits.hpp"

namespace kurvlux {
namespace {

TEST(ListEdits, TurnTheShownListIntoTheWantedOneKeepingWhatStays) {
  const auto items = [](const std::string& letters) {
    std::vector<Text> list;
    for (const char letter : letters) list.push_back(Text(1, letter));
    return list;
  };
  const struct { std::string shown, wanted; std::size_t removed; } cases[] = {
      {"", "ab", 0},    {"ab", "", 2},  {"abc", "ac", 1},   {"abc", "bc", 1},  {"abc", "ab", 1},
      {"ac", "abc", 0}, {"ab", "ba", 1}, {"xayb", "azb", 2}, {"abcd", "d", 3}, {"ab", "ab", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown + " -> " + c.wanted);
    std::vector<Text> list = items(c.shown);
    std::size_t removed = 0;
    for (const ListEdit& edit : listEdits(list, items(c.wanted))) {
      ASSERT_LT(edit.position, list.size() + (edit.kind == ListEdit::insert ? 1 : 0)) << "outside the list";
      if (edit.kind == ListEdit::insert) list.insert(list.begin() + edit.position, edit.text);
      if (edit.kind == ListEdit::remove) list.erase(list.begin() + edit.position), ++removed;
    }
    EXPECT_EQ(list, items(c.wanted));
    EXPECT_EQ(removed, c.removed);
  }
}

}  // namespace
}  // namespace kurvlux
