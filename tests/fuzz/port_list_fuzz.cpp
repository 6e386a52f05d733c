// The port-list rules over arbitrary registry contents: names and data of any
// length (odd byte counts, no NUL, more than the buffers hold), failing
// reads, and a registry that misreports the sizes it wrote. The list must
// hold, in enumeration order, exactly the numbers of the values whose text
// begins with "com", and the port box exactly "COM" and that number.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fakes/recording_controls.hpp"
#include "fuzz/fuzz_input.hpp"
#include "serial/port_list.hpp"

using namespace kurvlux;

namespace {

[[noreturn]] void fail() { std::abort(); }

class Input : public fuzz::FuzzInput {
 public:
  using FuzzInput::FuzzInput;
  // A length that is usually small but can exceed every buffer.
  std::size_t length() {
    const std::uint8_t b = byte();
    return (b & 0x80) ? (static_cast<std::size_t>(b & 0x7F) << 3 | byte() % 8) : b;
  }
  std::vector<std::uint8_t> bytes(std::size_t count) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < count && !empty(); ++i) out.push_back(byte());
    return out;
  }
};

struct RegistryValue {
  std::vector<char16_t> name;  // without terminator
  std::vector<std::uint8_t> data;
  bool nameFails = false;
  bool dataFails = false;
  // Report a size other than the one written (a misbehaving registry).
  bool lieAboutNameLength = false;
  bool lieAboutDataSize = false;
  std::uint32_t liedNameLength = 0;
  std::uint32_t liedDataSize = 0;
  std::uint8_t filler = 0;
};

std::size_t shownNameLength(const RegistryValue& v) {
  return v.lieAboutNameLength ? std::min<std::size_t>(v.liedNameLength, v.name.size()) : v.name.size();
}

// Answers the way the registry does (the name must fit with its NUL, data
// that does not fit is an error) unless a value is told to misbehave; it
// never writes past the capacity it is given, and records what it handed out.
class FuzzValues final : public SerialDeviceValues {
 public:
  bool valueName(std::uint32_t index, char16_t* name, std::uint32_t& length) override {
    if (index != nameCalls) fail();  // enumeration goes in order, without gaps
    ++nameCalls;
    if (index >= values.size()) return false;
    const RegistryValue& v = values[index];
    if (v.nameFails) return false;
    const std::uint32_t capacity = length;
    if (v.name.size() + 1 > capacity) return false;
    std::copy(v.name.begin(), v.name.end(), name);
    name[v.name.size()] = u'\0';
    length = v.lieAboutNameLength ? v.liedNameLength : static_cast<std::uint32_t>(v.name.size());
    current = index;
    return true;
  }
  bool valueData(TextView name, std::uint8_t* data, std::uint32_t& size) override {
    const RegistryValue& v = values[current];
    // The name asked for is the one just enumerated, up to its first NUL
    // (or the shorter length the registry reported).
    if (Text(name) != Text(untilNul(TextView(v.name.data(), shownNameLength(v))))) fail();
    delivered.push_back(Delivery{current, {}, false});
    if (v.dataFails) return false;
    const std::uint32_t capacity = size;
    if (v.data.size() > capacity) {
      size = static_cast<std::uint32_t>(v.data.size());  // what it would need
      return false;
    }
    std::copy(v.data.begin(), v.data.end(), data);
    Delivery& d = delivered.back();
    d.ok = true;
    if (!v.lieAboutDataSize) {
      size = static_cast<std::uint32_t>(v.data.size());
      d.bytes = v.data;
      return true;
    }
    // A wrong size: whatever lies in the buffer up to it counts as data, so
    // fill the whole buffer with known bytes to know what that is.
    std::fill(data + v.data.size(), data + capacity, v.filler);
    size = v.liedDataSize;
    d.bytes.assign(data, data + std::min(v.liedDataSize, capacity));
    return true;
  }

  struct Delivery {
    std::size_t index;
    std::vector<std::uint8_t> bytes;
    bool ok = false;
  };
  std::vector<RegistryValue> values;
  std::vector<Delivery> delivered;
  std::uint32_t nameCalls = 0;
  std::size_t current = 0;
};

// The port text of data as the registry delivered it, decoded here on its own:
// little-endian code units up to the first NUL; an odd last byte is dropped.
Text decode(const std::vector<std::uint8_t>& bytes) {
  Text text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

bool beginsWithCom(const Text& text) {
  if (text.size() < 3) return false;
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
  return lower(text[0]) == u'c' && lower(text[1]) == u'o' && lower(text[2]) == u'm';
}

// Value data: raw bytes, or a text written one code unit per input byte
// (0xFF escapes a full unit), often after some spelling of "com", with or
// without its NUL and sometimes with an odd byte left over.
std::vector<std::uint8_t> dataOf(Input& in) {
  const std::uint8_t kind = in.byte();
  if (kind < 64) return in.bytes(in.length());
  static constexpr const char16_t* prefixes[] = {u"", u"COM", u"com", u"cOm", u"Co", u"COMCOM", u"CO M"};
  Text text = prefixes[kind % 7];
  const std::size_t length = in.length();
  for (std::size_t i = 0; i < length && !in.empty(); ++i) {
    const std::uint8_t b = in.byte();
    text.push_back(b == 0xFF ? static_cast<char16_t>(in.byte() | in.byte() << 8) : b);
  }
  if (kind & 0x40) text.push_back(u'\0');
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (kind & 0x20) bytes.push_back(in.byte());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  FuzzValues registry;
  while (!in.empty() && registry.values.size() < 64) {
    RegistryValue v;
    const std::uint8_t flags = in.byte();
    v.nameFails = (flags & 0x03) == 0x03;
    v.dataFails = (flags & 0x0C) == 0x0C;
    v.lieAboutNameLength = (flags & 0x30) == 0x30;
    v.lieAboutDataSize = (flags & 0xC0) == 0xC0;
    if (v.lieAboutNameLength) v.liedNameLength = in.word();
    if (v.lieAboutDataSize) {
      const std::uint32_t w = in.word();
      v.liedDataSize = (w & 0x80000000u) ? w : w % 300;
      v.filler = in.byte();
    }
    const std::size_t nameLength = in.length();
    // Names are mostly one code unit per byte, so "COM..." comes up often.
    for (std::size_t i = 0; i < nameLength && !in.empty(); ++i) {
      const std::uint8_t b = in.byte();
      v.name.push_back(b == 0xFF ? static_cast<char16_t>(in.byte() << 8 | in.byte()) : b);
    }
    v.data = dataOf(in);
    registry.values.push_back(std::move(v));
  }

  const std::vector<std::int32_t> numbers = collectPortNumbers(registry);

  // The expected list, from the bytes the registry really handed out.
  std::size_t next = 0;
  for (const FuzzValues::Delivery& d : registry.delivered) {
    if (!d.ok) continue;
    const Text text = decode(d.bytes);
    if (!beginsWithCom(text)) continue;
    if (next >= numbers.size() || numbers[next] != portNumberFromText(text)) fail();
    ++next;
  }
  if (next != numbers.size()) fail();

  // The enumeration stops at the first name that fails, does not fit or is
  // empty (up to its first NUL), and asks for no value after it.
  std::size_t stop = 0;
  while (stop < registry.values.size()) {
    const RegistryValue& v = registry.values[stop];
    if (v.nameFails || v.name.size() + 1 > 255) break;
    if (untilNul(TextView(v.name.data(), shownNameLength(v))).empty()) break;
    ++stop;
  }
  if (registry.nameCalls != stop + 1) fail();
  if (registry.delivered.size() != stop) fail();

  // The box gets one item per number, "COM" and the number, and the first selected.
  fakes::RecordingControls controls;
  controls.add(portBoxId);
  fillPortBox(controls, numbers);
  const fakes::FakeControl& box = controls.at(portBoxId);
  if (box.items.size() != numbers.size() || box.state != 0) fail();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const Text& item = box.items[i];
    if (item.size() < 4 || item.compare(0, 3, u"COM") != 0) fail();
    std::size_t digits = 3;
    if (numbers[i] < 0 && item[digits] == u'-') ++digits;
    if (digits == item.size()) fail();
    for (std::size_t k = digits; k < item.size(); ++k) {
      if (item[k] < u'0' || item[k] > u'9') fail();
    }
    if (item.size() - digits > 1 && item[digits] == u'0') fail();
    if (parseInteger(TextView(item).substr(3)) != numbers[i]) fail();
  }
  return 0;
}
