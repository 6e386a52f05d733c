// Arbitrary texts and numbers through the conversions: nothing may crash or
// overflow, and the documented round trips must hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "text/convert.hpp"

using namespace kurvlux;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  std::int32_t decimals = 0;
  float value = 0;
  std::memcpy(&decimals, data, 4);
  std::memcpy(&value, data + 2, 4);
  Text text;
  for (std::size_t i = 6; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  const std::int64_t parsed = parseInteger(text);
  if (parsed >= 0 && parseInteger(formatDecimal(parsed)) != parsed) std::abort();

  const Text fixed = formatFixed(value, decimals % 1100);
  if (fixed.empty() || fixed.size() > 1024) std::abort();

  const Text search = leftPart(text, decimals & 7);
  const Text removed = removeOccurrences(text, search, (decimals & 8) != 0);
  if (removed.size() > untilNul(text).size()) std::abort();
  if (lowerText(text).size() != untilNul(text).size()) std::abort();
  if (!textEquals(text, untilNul(text))) std::abort();
  (void)blankText(decimals % 4096);
  return 0;
}
