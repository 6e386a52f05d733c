// The list of serial ports as the registry describes it, turned into port
// numbers and the items of the port selection box. The registry itself is
// reached through SerialDeviceValues so that these rules run and are tested
// without Windows.
#pragma once

#include <cstdint>
#include <vector>

#include "text/convert.hpp"
#include "ui/controls.hpp"

namespace kurvlux {

// The values of the serial-device key, asked for the way the registry answers.
class SerialDeviceValues {
 public:
  virtual ~SerialDeviceValues() = default;
  // Writes the name of value `index` into `name` (capacity `length` code
  // units including the terminating NUL) and sets `length` to the name's
  // length without the NUL. False when there is no such value or the name
  // does not fit.
  virtual bool valueName(std::uint32_t index, char16_t* name, std::uint32_t& length) = 0;
  // Copies the named value's data into `data` (capacity `size` bytes) and sets
  // `size` to the byte count. False when the value cannot be read, among
  // others when its data is larger than the capacity.
  virtual bool valueData(TextView name, std::uint8_t* data, std::uint32_t& size) = 0;
};

// The port text held in returned value data: UTF-16 code units up to the
// first NUL or the end of the data; a trailing odd byte is no code unit.
Text portTextFromData(const std::uint8_t* data, std::uint32_t size);

// True when the port text begins with "com" in any letter case.
bool namesComPort(TextView portText);

// The port number of a text that names a COM port: every "com" removed,
// the rest read as an integer, low 32 bits.
std::int32_t portNumberFromText(TextView portText);

// "COM" followed by the number in decimal.
Text portNameFromNumber(std::int32_t number);

// Every value in enumeration order whose data names a COM port, as its number.
// The enumeration ends at the first name that cannot be read or is empty.
std::vector<std::int32_t> collectPortNumbers(SerialDeviceValues& values);

// One item per number in the port box, then the first one selected.
void fillPortBox(Controls& controls, const std::vector<std::int32_t>& portNumbers);

// The same with the items' texts, for systems whose ports have names rather
// than numbers.
void fillPortBoxItems(Controls& controls, const std::vector<Text>& items);

}  // namespace kurvlux
