// Number and text conversion, independent of locale and platform.
#include "text/convert.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kurvlux {

TextView untilNul(TextView text) {
  const auto end = text.find(u'\0');
  return end == TextView::npos ? text : text.substr(0, end);
}

Text formatDecimal(std::int64_t value) {
  // The program converts only non-negative values; a negative one is written
  // with a minus sign rather than as the digits of its two's complement.
  const bool negative = value < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::array<char16_t, 64> digits{};
  std::size_t start = digits.size();
  do {
    digits[--start] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits[--start] = u'-';
  return Text(digits.data() + start, digits.size() - start);
}

namespace {

int digitValue(char16_t c, unsigned base) {
  int value = -1;
  if (c >= u'0' && c <= u'9')
    value = c - u'0';
  else if (c >= u'a' && c <= u'f')
    value = c - u'a' + 10;
  else if (c >= u'A' && c <= u'F')
    value = c - u'A' + 10;
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

std::int64_t parseInteger(TextView text) {
  text = untilNul(text);
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  unsigned base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == u'%') {
    base = 2;
    ++i;
  }
  // Unsigned arithmetic wraps modulo 2^64 by definition, which is exactly the
  // overflow behaviour wanted, without the undefined behaviour of signed math.
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = digitValue(text[i], base);
    if (digit < 0) break;
    value = value * base + static_cast<unsigned>(digit);
  }
  if (negative) value = 0 - value;
  return static_cast<std::int64_t>(value);
}

Text formatFixed(float value, std::int32_t decimals) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  if (bits == 0x7F800000u) return u"+Infinity";
  if (bits == 0xFF800000u) return u"-Infinity";
  if (std::isnan(value)) return u"NaN";

  const bool trimmed = decimals == -1;
  int precision = trimmed ? 10 : decimals;
  if (precision > 512) precision = 512;
  if (precision < 0) precision = 0;
  // Negative zero is shown as zero, never as "-0.00".
  const double widened = value == 0.0f ? 0.0 : static_cast<double>(value);

  // std::to_chars writes the exact decimal value of the double rounded to the
  // requested digits, with "." whatever the locale. A value exactly halfway
  // between two results rounds to the even last digit (3.125 gives "3.12"),
  // the same rule the C library's printf applies; every caller gets that rule.
  // A float has at most 39 integer digits, so 64 + 512 characters suffice.
  std::array<char, 640> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), widened,
                                    std::chars_format::fixed, precision);
  std::string_view digits(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
  if (trimmed && digits.find('.') != std::string_view::npos) {
    while (digits.ends_with('0')) digits.remove_suffix(1);
    if (digits.ends_with('.')) digits.remove_suffix(1);
  }
  return textFromLatin1(digits);
}

bool textEquals(TextView a, TextView b) { return untilNul(a) == untilNul(b); }

Text blankText(std::int32_t count) {
  return count > 0 ? Text(static_cast<std::size_t>(count), u' ') : Text();
}

Text leftPart(TextView text, std::int32_t count) {
  text = untilNul(text);
  if (count <= 0) return Text();
  return Text(text.substr(0, static_cast<std::size_t>(count)));
}

namespace {

// Lower case for the letters of the Latin-1 range, which covers every text the
// program lowers (registry port names); other code units stay as they are.
char16_t lowerUnit(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

char16_t lowerAsciiUnit(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

Text lowerText(TextView text) {
  Text lowered(untilNul(text));
  for (auto& c : lowered) c = lowerUnit(c);
  return lowered;
}

Text removeOccurrences(TextView text, TextView search, bool ignoreCase) {
  text = untilNul(text);
  search = untilNul(search);
  if (search.empty()) return Text(text);
  const auto same = [ignoreCase](char16_t a, char16_t b) {
    return ignoreCase ? lowerAsciiUnit(a) == lowerAsciiUnit(b) : a == b;
  };
  Text kept;
  kept.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    bool match = i + search.size() <= text.size();
    for (std::size_t k = 0; match && k < search.size(); ++k) match = same(text[i + k], search[k]);
    if (match) {
      i += search.size();
    } else {
      kept.push_back(text[i]);
      ++i;
    }
  }
  return kept;
}

Text textFromLatin1(std::string_view text) {
  Text converted;
  converted.reserve(text.size());
  for (const char c : text) converted.push_back(static_cast<unsigned char>(c));
  return converted;
}

std::string latin1FromText(TextView text) {
  std::string converted;
  converted.reserve(text.size());
  for (const char16_t c : untilNul(text)) converted.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return converted;
}

}  // namespace kurvlux
