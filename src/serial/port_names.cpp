// Device paths to port-box items and back.
#include "serial/port_names.hpp"

#include <algorithm>

namespace kurvlux {

namespace {

constexpr TextView deviceFolder = u"/dev/";

}  // namespace

Text portItemOfDevice(TextView devicePath) {
  const TextView path = untilNul(devicePath);
  // "/dev/" alone would give an empty item, which opens nothing, and
  // "/dev//x" the item "/x", which leads elsewhere.
  if (path.size() > deviceFolder.size() && path.starts_with(deviceFolder) &&
      path[deviceFolder.size()] != u'/') {
    return Text(path.substr(deviceFolder.size()));
  }
  return Text(path);
}

Text devicePathOfPortName(TextView portName) {
  const TextView name = untilNul(portName);
  if (name.empty() || name.front() == u'/') return Text(name);
  return Text(deviceFolder) + Text(name);
}

Text normalisedPath(TextView path) {
  path = untilNul(path);
  const bool absolute = path.starts_with(u'/');
  std::vector<TextView> parts;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(u'/', start);
    if (end == TextView::npos) end = path.size();
    const TextView part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == u".") continue;
    if (part != u"..") {
      parts.push_back(part);
    } else if (!parts.empty() && parts.back() != u"..") {
      parts.pop_back();
    } else if (!absolute) {
      // Above the start of a relative path; "/.." is "/".
      parts.push_back(part);
    }
  }
  Text normal = absolute ? u"/" : u"";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) normal += u'/';
    normal += parts[i];
  }
  return normal;
}

std::vector<Text> portItems(const std::vector<Text>& namedDevices, const std::vector<Text>& listedDevices,
                            const DeviceIdentity& identity) {
  std::vector<Text> items;
  std::vector<Text> seen;
  for (const auto* devices : {&namedDevices, &listedDevices}) {
    for (const Text& name : *devices) {
      const Text path = devicePathOfPortName(name);
      if (path.empty()) continue;
      Text id = identity(path);
      if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
      seen.push_back(std::move(id));
      items.push_back(portItemOfDevice(path));
    }
  }
  return items;
}

}  // namespace kurvlux
