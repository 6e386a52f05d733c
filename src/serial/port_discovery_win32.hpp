// The serial ports Windows has registered, read once from the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kurvlux {

// The port numbers listed under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, in the
// registry's order; empty when the key cannot be opened.
std::vector<std::int32_t> discoverPorts();

// The same rules on any key, so the registry's answers can be checked with
// values a test writes itself.
std::vector<std::int32_t> portNumbersOfKey(HKEY root, const wchar_t* subKey);

}  // namespace kurvlux
