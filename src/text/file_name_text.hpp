// File names are bytes on Linux, not always UTF-8 (a link named "b\xE4rd"
// made in a Latin-1 shell). The program shows them as text with the bytes
// that are no text escaped, and turns that text back into exactly the bytes.
#pragma once

#include <string>
#include <string_view>

#include "text/convert.hpp"

namespace kurvlux {

// Printable text passes; a control character (C0, DEL, C1), a byte of no
// valid UTF-8 sequence and the backslash itself become \xNN or \\, so a
// name can neither end a line nor steer the terminal, and no two names look
// alike.
std::string printableFileName(std::string_view bytes);

// The name as the port box shows it: printableFileName as text.
Text textFromFileName(std::string_view bytes);

// The bytes of a shown or typed name: \\ and \xNN turn back into the byte
// they stand for; any other backslash stays as it is.
std::string fileNameFromText(TextView text);

}  // namespace kurvlux
