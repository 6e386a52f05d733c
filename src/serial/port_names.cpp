// Device paths to port-box items and back.
#include "serial/port_names.hpp"

#include <algorithm>

namespace kurvlux {

namespace {

constexpr TextView deviceFolder = u"/dev/";

}  // namespace

Text portItemOfDevice(TextView devicePath) {
  const TextView path = untilNul(devicePath);
  // "/dev/" alone would give an empty item, which opens nothing.
  if (path.size() > deviceFolder.size() && path.starts_with(deviceFolder)) {
    return Text(path.substr(deviceFolder.size()));
  }
  return Text(path);
}

Text devicePathOfPortName(TextView portName) {
  const TextView name = untilNul(portName);
  if (name.empty() || name.front() == u'/') return Text(name);
  return Text(deviceFolder) + Text(name);
}

std::vector<Text> portItems(const std::vector<Text>& namedDevices, const std::vector<Text>& listedDevices) {
  std::vector<Text> items;
  std::vector<Text> namedPaths;
  for (const Text& named : namedDevices) {
    const Text path = devicePathOfPortName(named);
    if (path.empty()) continue;
    namedPaths.push_back(path);
    items.push_back(portItemOfDevice(path));
  }
  for (const Text& listed : listedDevices) {
    const Text path = devicePathOfPortName(listed);
    if (path.empty() || std::find(namedPaths.begin(), namedPaths.end(), path) != namedPaths.end()) continue;
    items.push_back(portItemOfDevice(path));
  }
  return items;
}

}  // namespace kurvlux
