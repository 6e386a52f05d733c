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

namespace {

// Appends an item for each device not seen yet, by the name given for it.
void appendItems(std::vector<Text>& items, std::vector<Text>& seen, const std::vector<Text>& devices,
                 const DeviceIdentity& identity) {
  for (const Text& name : devices) {
    const Text path = devicePathOfPortName(name);
    if (path.empty()) continue;
    Text id = identity(path);
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
    seen.push_back(std::move(id));
    items.push_back(portItemOfDevice(path));
  }
}

bool holds(const std::vector<Text>& items, const Text& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

std::vector<Text> portItems(const std::vector<Text>& namedDevices, const std::vector<Text>& listedDevices,
                            const DeviceIdentity& identity) {
  return refreshedPortItems({}, namedDevices, listedDevices, identity);
}

std::vector<Text> refreshedPortItems(const std::vector<Text>& shownItems,
                                     const std::vector<Text>& namedDevices,
                                     const std::vector<Text>& listedDevices, const DeviceIdentity& identity) {
  std::vector<Text> items;
  std::vector<Text> seen;
  appendItems(items, seen, namedDevices, identity);
  const auto namedCount = static_cast<std::ptrdiff_t>(items.size());
  std::vector<Text> listed;
  appendItems(listed, seen, listedDevices, identity);
  // The devices still there keep their places, so a user's eye finds them
  // where they were; the listing's own order may change from one time to
  // the next.
  for (const Text& item : shownItems) {
    if (holds(listed, item) && !holds(items, item)) items.push_back(item);
  }
  // A new device goes right after the device the listing puts before it.
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (holds(items, listed[i])) continue;
    auto at = items.begin() + namedCount;
    for (std::size_t before = i; before-- > 0;) {
      const auto found = std::find(items.begin() + namedCount, items.end(), listed[before]);
      if (found != items.end()) {
        at = found + 1;
        break;
      }
    }
    items.insert(at, listed[i]);
  }
  return items;
}

}  // namespace kurvlux
