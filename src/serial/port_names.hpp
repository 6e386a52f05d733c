// Where serial devices are files: the port box shows a device by the name a
// user knows it by ("ttyACM0" for /dev/ttyACM0), and a name in the port box
// leads back to the device it came from.
#pragma once

#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

// "/dev/ttyACM0" gives "ttyACM0", "/dev/pts/3" gives "pts/3"; a path outside
// /dev stays as it is, so that devicePathOfPortName leads back to it.
Text portItemOfDevice(TextView devicePath);

// A name starting with "/" is a path as typed; any other names a device under
// /dev. An empty name names nothing and gives an empty path.
Text devicePathOfPortName(TextView portName);

// The port box's items: the devices named on the command line first, in the
// order given (a name as it would be typed into the port box), then the listed
// devices in their order, leaving out any that the command line named already.
std::vector<Text> portItems(const std::vector<Text>& namedDevices, const std::vector<Text>& listedDevices);

}  // namespace kurvlux
