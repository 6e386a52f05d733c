// The shared fakes answer as the real controls would for unknown identifiers.
#include <gtest/gtest.h>

#include "fakes/recording_controls.hpp"

namespace kurvlux {
namespace {

TEST(RecordingControls, UnknownIdentifierDoesNothingAndReturnsZero) {
  fakes::RecordingControls controls;
  controls.add(7).text = u"250000";
  EXPECT_EQ(controls.controlText(7), u"250000");
  EXPECT_EQ(controls.controlText(99), u"");
  EXPECT_EQ(controls.controlState(99), 0);
  controls.setControlText(99, u"x");
  EXPECT_FALSE(controls.has(99));
}

}  // namespace
}  // namespace kurvlux
