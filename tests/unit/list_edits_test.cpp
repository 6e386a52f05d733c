// The steps that turn the port box's old list into the new one: applied in
// order they give the new list, and every item in both lists in the same
// order keeps its row (so only the rest is removed).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/list_edits.hpp"

namespace kurvlux {
namespace {

std::vector<Text> items(const std::u16string& letters) {
  std::vector<Text> list;
  for (const char16_t letter : letters) list.push_back(Text(1, letter));
  return list;
}

TEST(ListEdits, TurnTheShownListIntoTheWantedOneKeepingWhatStays) {
  const struct {
    const char16_t* shown;
    const char16_t* wanted;
    std::size_t removed;
  } cases[] = {
      {u"", u"ab", 0},     {u"ab", u"", 2},     {u"abc", u"ac", 1},     {u"abc", u"bc", 1},  {u"abc", u"ab", 1},
      {u"ac", u"abc", 0},  {u"ab", u"ba", 1},   {u"xayb", u"azb", 2},   {u"abcd", u"d", 3},  {u"ab", u"ab", 0},
  };
  for (const auto& c : cases) {
    std::vector<Text> list = items(c.shown);
    std::size_t removed = 0;
    for (const ListEdit& edit : listEdits(list, items(c.wanted))) {
      ASSERT_LT(edit.position, list.size() + (edit.kind == ListEdit::insert ? 1 : 0)) << "outside the list";
      if (edit.kind == ListEdit::insert) list.insert(list.begin() + edit.position, edit.text);
      if (edit.kind == ListEdit::remove) list.erase(list.begin() + edit.position), ++removed;
    }
    const auto text = [](const char16_t* letters) { return std::string(letters, letters + std::char_traits<char16_t>::length(letters)); };
    EXPECT_EQ(list, items(c.wanted)) << text(c.shown) << " -> " << text(c.wanted);
    EXPECT_EQ(removed, c.removed) << text(c.shown) << " -> " << text(c.wanted);
  }
}

}  // namespace
}  // namespace kurvlux
