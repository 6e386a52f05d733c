// The one place where the program's UTF-16 texts meet UTF-8, the encoding
// of GTK, of file names and of the terminal on Linux.
#pragma once

#include <string>
#include <string_view>

#include "text/convert.hpp"

namespace kurvlux {

// The text up to its first NUL in UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8FromText(TextView text);

// UTF-8 as UTF-16; every malformed or overlong sequence becomes one U+FFFD,
// so whatever a device name or a widget holds comes through as text.
Text textFromUtf8(std::string_view utf8);

}  // namespace kurvlux
