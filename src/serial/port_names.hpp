// Where serial devices are files: the port box shows a device by the name a
// user knows it by ("ttyACM0" for /dev/ttyACM0), and a name in the port box
// leads back to the device it came from.
#pragma once

#include <functional>
#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

// "/dev/ttyACM0" gives "ttyACM0", "/dev/pts/3" gives "pts/3"; a path outside
// /dev stays as it is, so that devicePathOfPortName leads back to it.
Text portItemOfDevice(TextView devicePath);

// A name starting with "/" is a path as typed; any other names a device under
// /dev. An empty name names nothing and gives an empty path.
Text devicePathOfPortName(TextView portName);

// The path without ".", ".." and repeated "/", as far as the text alone tells.
Text normalisedPath(TextView path);

// What makes two device paths one device; the platform knows more than the
// text (deviceIdentity on Linux), normalisedPath is what the text alone gives.
using DeviceIdentity = std::function<Text(const Text& devicePath)>;

// The port box's items: the devices named on the command line first, in the
// order given (a name as it would be typed into the port box), then the listed
// devices in their order. Each device is there once, by the first name given
// for it.
std::vector<Text> portItems(const std::vector<Text>& namedDevices, const std::vector<Text>& listedDevices,
                            const DeviceIdentity& identity);

// The port box's items when its list opens again, with these items shown:
// the named devices first as above, then the listed devices, where those
// still there keep their order and a new one goes right after the device the
// listing puts before it (first when none). A device that is gone is no
// longer listed.
std::vector<Text> refreshedPortItems(const std::vector<Text>& shownItems,
                                     const std::vector<Text>& namedDevices,
                                     const std::vector<Text>& listedDevices, const DeviceIdentity& identity);

}  // namespace kurvlux
