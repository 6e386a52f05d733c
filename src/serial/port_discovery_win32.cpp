// Registry access for the port list; the rules live in port_list.cpp.
#include "serial/port_discovery_win32.hpp"

#include "serial/port_list.hpp"
#include "text/wide_text_win32.hpp"

namespace kurvlux {

namespace {

class RegistryValues final : public SerialDeviceValues {
 public:
  explicit RegistryValues(HKEY key) : key_(key) {}

  bool valueName(std::uint32_t index, char16_t* name, std::uint32_t& length) override {
    DWORD capacity = length;
    const LONG result = RegEnumValueW(key_, index, reinterpret_cast<wchar_t*>(name), &capacity, nullptr,
                                      nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return false;
    length = capacity;
    return true;
  }

  bool valueData(TextView name, std::uint8_t* data, std::uint32_t& size) override {
    const std::wstring valueName = wideText(name);
    DWORD type = 0;
    DWORD capacity = size;
    const LONG result = RegQueryValueExW(key_, valueName.c_str(), nullptr, &type, data, &capacity);
    if (result != ERROR_SUCCESS) return false;
    size = capacity;
    return true;
  }

 private:
  HKEY key_;
};

}  // namespace

std::vector<std::int32_t> portNumbersOfKey(HKEY root, const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  RegistryValues values(key);
  std::vector<std::int32_t> portNumbers = collectPortNumbers(values);
  RegCloseKey(key);
  return portNumbers;
}

std::vector<std::int32_t> discoverPorts() {
  return portNumbersOfKey(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

}  // namespace kurvlux
