#include "text/convert.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace kurvlux {
namespace {

TEST(FormatDecimal, WritesDigitsWithoutSignOrGrouping) {
  const struct {
    std::int64_t value;
    const char16_t* text;
  } cases[] = {
      {0, u"0"},
      {7, u"7"},
      {255, u"255"},
      {250000, u"250000"},
      {1843200, u"1843200"},
      {std::numeric_limits<std::int64_t>::max(), u"9223372036854775807"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatDecimal(c.value), c.text) << c.value;
}

TEST(ParseInteger, FollowsTheReadingRules) {
  const struct {
    const char16_t* text;
    std::int64_t value;
  } cases[] = {
      {u"", 0},
      {u"-", 0},
      {u"$", 0},
      {u"%", 0},
      {u"aus", 0},
      {u"250000", 250000},
      {u"  42abc", 42},
      {u"\t\t7", 7},
      {u"-17", -17},
      {u"+17", 17},
      {u"- 7", 0},
      {u"+-7", 0},
      {u"$ff", 255},
      {u"$FF", 255},
      {u"-$10", -16},
      {u"%101", 5},
      {u"%102", 2},
      {u"\n7", 0},   // only blanks and tabs are skipped
      {u"0042", 42},
      {u"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
      {u"9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      // Twenty nines wrap modulo 2^64: 99999999999999999999 - 5 * 2^64.
      {u"99999999999999999999", 7766279631452241919},
      {u"99999999999", 99999999999},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseInteger(c.text), c.value) << latin1FromText(c.text);
  }
}

TEST(ParseInteger, StopsAtTheFirstNul) {
  const Text withNul(u"12\0" u"34", 5);
  EXPECT_EQ(parseInteger(withNul), 12);
}

TEST(ParseInteger, ReadsBackEveryByteValue) {
  for (int v = 0; v <= 255; ++v) EXPECT_EQ(parseInteger(formatDecimal(v)), v);
}

TEST(FormatFixed, RoundsAndSpellsSpecialValues) {
  const float zero = 0.0f;
  const struct {
    float value;
    std::int32_t decimals;
    const char16_t* text;
  } cases[] = {
      {0.0f, 2, u"0.00"},
      {-0.0f, 2, u"0.00"},
      {2.0f, 2, u"2.00"},
      {50.0f, 2, u"50.00"},
      {266.666656f, 2, u"266.67"},
      {0.004f, 2, u"0.00"},
      {-0.001f, 2, u"-0.00"},
      {-1.5f, 2, u"-1.50"},
      {2.5f, 0, u"2"},  // halfway: to even
      {3.5f, 0, u"4"},
      {3.125f, 2, u"3.12"},  // halfway: to even
      {3.375f, 2, u"3.38"},
      {50000.0f, 2, u"50000.00"},
      {7.25f, -5, u"7"},
      {2.5f, -1, u"2.5"},
      {3.0f, -1, u"3"},
      {0.1f, -1, u"0.1000000015"},
      {1.0f / zero, 2, u"+Infinity"},
      {-1.0f / zero, 2, u"-Infinity"},
      {std::nanf(""), 2, u"NaN"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value << " / " << c.decimals;
  }
}

TEST(FormatFixed, ClampsDecimalsAt512) {
  const Text text = formatFixed(1.0f, 1000);
  ASSERT_EQ(text.size(), 2u + 512u);
  EXPECT_EQ(text.substr(0, 4), u"1.00");
  EXPECT_EQ(formatFixed(1.0f, 1000), formatFixed(1.0f, 512));
}

TEST(FormatFixed, UsesAPointWhateverTheLocale) {
  const char* const commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"};
  bool commaLocale = false;
  for (const char* name : commaLocales) {
    if (std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',') {
      commaLocale = true;
      break;
    }
  }
  const Text text = formatFixed(2.5f, 2);
  std::setlocale(LC_ALL, "C");
  if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(text, u"2.50");
}

TEST(TextOperations, BehaveAsTheirNamesSay) {
  EXPECT_TRUE(textEquals(u"", Text()));
  EXPECT_FALSE(textEquals(u"COM", u"com"));
  EXPECT_TRUE(textEquals(u"Oszilloskop", u"Oszilloskop"));
  EXPECT_FALSE(textEquals(u"Oszilloskop", u"Oszilloskop "));
  EXPECT_EQ(lowerText(u"COM"), u"com");
  EXPECT_EQ(lowerText(u"ÄÖÜ×"), u"äöü×");
  EXPECT_EQ(blankText(3), u"   ");
  EXPECT_EQ(blankText(-2), u"");
  EXPECT_EQ(leftPart(u"COM3", 9), u"COM3");
  EXPECT_EQ(leftPart(u"COM3", 3), u"COM");
  EXPECT_EQ(leftPart(u"COM3", -1), u"");
  EXPECT_EQ(leftPart(Text(u"CO\0M3", 5), 4), u"CO");
}

TEST(RemoveOccurrences, DropsNonOverlappingMatches) {
  const struct {
    const char16_t* text;
    const char16_t* search;
    bool ignoreCase;
    const char16_t* result;
  } cases[] = {
      {u"COM3", u"COM", true, u"3"},
      {u"3COM", u"COM", true, u"3"},
      {u"3CO", u"COM", true, u"3CO"},
      {u"com12", u"COM", true, u"12"},
      {u"COMCOM5", u"COM", true, u"5"},
      {u"Xcom2", u"COM", true, u"X2"},
      {u"Xcom2", u"COM", false, u"Xcom2"},
      {u"aaa", u"aa", false, u"a"},
      {u"", u"COM", true, u""},
      {u"COM3", u"", true, u"COM3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(removeOccurrences(c.text, c.search, c.ignoreCase), c.result) << latin1FromText(c.text);
  }
}

}  // namespace
}  // namespace kurvlux
