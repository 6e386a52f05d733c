// Registry values to port numbers and port-box items.
#include "serial/port_list.hpp"

#include <array>

namespace kurvlux {

namespace {

// A name of 255 characters or more does not fit and ends the enumeration.
constexpr std::uint32_t nameCapacity = 255;
// Data of more than 255 bytes (a text of 127 characters or more with its NUL)
// does not fit and makes the value unreadable.
constexpr std::uint32_t dataCapacity = 255;

}  // namespace

Text portTextFromData(const std::uint8_t* data, std::uint32_t size) {
  Text text;
  if (data == nullptr) return text;
  for (std::uint32_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

bool namesComPort(TextView portText) { return textEquals(lowerText(leftPart(portText, 3)), u"com"); }

std::int32_t portNumberFromText(TextView portText) {
  const auto value = parseInteger(removeOccurrences(portText, u"COM", true));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

Text portNameFromNumber(std::int32_t number) { return u"COM" + formatDecimal(number); }

std::vector<std::int32_t> collectPortNumbers(SerialDeviceValues& values) {
  std::vector<std::int32_t> portNumbers;
  std::array<char16_t, nameCapacity + 1> nameBuffer{};
  std::array<std::uint8_t, dataCapacity> dataBuffer{};
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t nameLength = nameCapacity;
    if (!values.valueName(index, nameBuffer.data(), nameLength)) break;
    if (nameLength > nameCapacity) nameLength = nameCapacity;
    const Text name =
        leftPart(TextView(nameBuffer.data(), nameBuffer.size()), static_cast<std::int32_t>(nameLength));
    if (textEquals(name, u"")) break;
    std::uint32_t dataSize = dataCapacity;
    if (!values.valueData(name, dataBuffer.data(), dataSize)) continue;
    if (dataSize > dataCapacity) dataSize = dataCapacity;
    const Text portText = portTextFromData(dataBuffer.data(), dataSize);
    if (namesComPort(portText)) portNumbers.push_back(portNumberFromText(portText));
  }
  return portNumbers;
}

void fillPortBox(Controls& controls, const std::vector<std::int32_t>& portNumbers) {
  std::vector<Text> items;
  items.reserve(portNumbers.size());
  for (const std::int32_t number : portNumbers) items.push_back(portNameFromNumber(number));
  fillPortBoxItems(controls, items);
}

void fillPortBoxItems(Controls& controls, const std::vector<Text>& items) {
  for (const Text& item : items) controls.addControlItem(portBoxId, -1, item);
  controls.setControlState(portBoxId, 0);
}

}  // namespace kurvlux
