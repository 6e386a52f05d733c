// Number and text conversion: every number the program shows becomes text
// here, and every number it takes from a control's text is read here.
// Texts are UTF-16 code units; each operation looks only at the units before
// the first NUL, so a text copied out of a fixed platform buffer behaves the
// same as one built in the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kurvlux {

using Text = std::u16string;
using TextView = std::u16string_view;

// The part of a text before its first NUL.
TextView untilNul(TextView text);

Text formatDecimal(std::int64_t value);
std::int64_t parseInteger(TextView text);
Text formatFixed(float value, std::int32_t decimals);
bool textEquals(TextView a, TextView b);
Text blankText(std::int32_t count);
Text leftPart(TextView text, std::int32_t count);
Text lowerText(TextView text);
Text removeOccurrences(TextView text, TextView search, bool ignoreCase);

// Plain ASCII/Latin text for literals and diagnostics; code units above 0x7F
// pass through unchanged in both directions (Latin-1).
Text textFromLatin1(std::string_view text);
std::string latin1FromText(TextView text);

}  // namespace kurvlux
