// The control table both window systems share: operations reach a control
// through its kind, and an identifier without a control, or a kind without
// the operation, does nothing and reads as 0 or empty.
#include <gtest/gtest.h>

#include "ui/control_table.hpp"

namespace kurvlux {
namespace {

struct Widget {
  std::intptr_t state = 0;
  Text text;
  std::vector<Text> items;
};

const ControlKindOf<Widget*> fullKind{
    [](Widget* w) { return w->state; }, [](Widget* w, std::intptr_t v) { w->state = v; },
    [](Widget* w) { return w->text; }, [](Widget* w, TextView t) { w->text = Text(t); },
    [](Widget* w, int, TextView t) { w->items.emplace_back(t); }};
const ControlKindOf<Widget*> emptyKind{};

struct Table final : ControlTable<Widget*> {
  void disableControl(int, int) override {}
  void setControlTooltip(int, TextView) override {}
};

TEST(ControlTable, ReachesAControlOnlyThroughItsKind) {
  Widget full, empty, unused;
  Table table;
  table.registerControl(6, &full, fullKind);
  table.registerControl(7, &empty, emptyKind);
  table.registerControl(8, nullptr, fullKind);
  table.registerControl(-1, &unused, fullKind);
  const struct {
    int id;
    Widget* widget;  // what the operations reach, or nullptr
  } cases[] = {{6, &full}, {7, nullptr}, {8, nullptr}, {9, nullptr}, {-1, nullptr}, {100, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    table.setControlState(c.id, 5);
    table.setControlText(c.id, u"x");
    table.addControlItem(c.id, -1, u"item");
    EXPECT_EQ(table.controlState(c.id), c.widget ? 5 : 0);
    EXPECT_EQ(table.controlText(c.id), c.widget ? u"x" : u"");
    EXPECT_EQ(table.controlHandle(c.id), c.id == 7 ? &empty : c.widget);
  }
  EXPECT_EQ(full.items, std::vector<Text>{u"item"});
  EXPECT_EQ(empty.state, 0);
  EXPECT_EQ(unused.state, 0);
}

}  // namespace
}  // namespace kurvlux
