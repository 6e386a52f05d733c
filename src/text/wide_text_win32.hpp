// The one place where the program's UTF-16 texts meet the platform's wide
// strings. MinGW's wchar_t is a UTF-16 code unit, so no conversion is needed,
// only a change of the pointer type.
#pragma once

#include <string>

#include "text/convert.hpp"

namespace kurvlux {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

// A NUL-terminated wide string with the text's code units.
inline std::wstring wideText(TextView text) {
  text = untilNul(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// The text of a NUL-terminated wide string; an absent string is empty.
inline Text textFromWide(const wchar_t* wide) {
  if (wide == nullptr) return Text();
  return Text(reinterpret_cast<const char16_t*>(wide));
}

inline Text textFromWide(const wchar_t* wide, std::size_t length) {
  return Text(untilNul(TextView(reinterpret_cast<const char16_t*>(wide), length)));
}

}  // namespace kurvlux
