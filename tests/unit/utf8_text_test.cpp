// UTF-8 round trips of the program's texts, and what malformed input becomes.
#include <gtest/gtest.h>

#include "text/utf8_text.hpp"

namespace kurvlux {
namespace {

TEST(Utf8Text, ConvertsBothWaysAndReplacesWhatIsMalformed) {
  struct Case {
    std::string utf8;
    Text text;
    bool roundTrips;
  };
  const Case cases[] = {
      {"ttyACM0", u"ttyACM0", true},
      {"verf\xC3\xBC" "gbare COM-Ports", u"verfügbare COM-Ports", true},
      {"50\xC2\xB5s", u"50µs", true},
      {"\xE2\x82\xAC", u"\u20AC", true},
      {"\xF0\x9F\x98\x80", u"\U0001F600", true},
      {"a\xFF" "b", u"a\uFFFDb", false},           // no lead byte
      {"\xC3", u"\uFFFD", false},                  // cut short at the end
      {"\xC3(", u"\uFFFD(", false},                // cut short before ASCII
      {"\xC0\xAF", u"\uFFFD\uFFFD", false},        // overlong
      {"\xED\xA0\x80", u"\uFFFD", false},          // a surrogate in UTF-8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(textFromUtf8(c.utf8), c.text);
    if (c.roundTrips) {
      EXPECT_EQ(utf8FromText(c.text), c.utf8);
    }
  }
  EXPECT_EQ(utf8FromText(Text(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(utf8FromText(Text(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace kurvlux
