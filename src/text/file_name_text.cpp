// The escapes are the ones a C programmer reads; printing and the port box
// show the same form, so a name in an error line can be typed back.
#include "text/file_name_text.hpp"

#include "text/utf8_text.hpp"

namespace kurvlux {

namespace {

// The length of the UTF-8 sequence that a lead byte starts, 1 for anything
// else; whether the sequence really is one is up to the caller.
std::size_t sequenceLength(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string printableFileName(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const std::string_view sequence = bytes.substr(i, sequenceLength(byte));
    const Text decoded = textFromUtf8(sequence);
    const bool valid = utf8FromText(decoded) == sequence;
    const bool control = byte < 0x20 || byte == 0x7F || (decoded[0] >= 0x80 && decoded[0] < 0xA0);
    if (byte == '\\') {
      out += "\\\\";
      ++i;
    } else if (!valid || control) {
      static constexpr char digits[] = "0123456789ABCDEF";
      out += {'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
      ++i;
    } else {
      out += sequence;
      i += sequence.size();
    }
  }
  return out;
}

Text textFromFileName(std::string_view bytes) { return textFromUtf8(printableFileName(bytes)); }

std::string fileNameFromText(TextView text) {
  const std::string shown = utf8FromText(text);
  std::string bytes;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const std::string_view rest = std::string_view(shown).substr(i);
    if (rest.starts_with("\\\\")) {
      bytes += '\\';
      ++i;
    } else if (rest.size() >= 4 && rest.starts_with("\\x") && hexDigit(rest[2]) >= 0 &&
               hexDigit(rest[3]) >= 0) {
      bytes += static_cast<char>(hexDigit(rest[2]) * 16 + hexDigit(rest[3]));
      i += 3;
    } else {
      bytes += shown[i];
    }
  }
  return bytes;
}

}  // namespace kurvlux
