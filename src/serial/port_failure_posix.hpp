// The facts behind a port that will not open or was lost: who owns the
// device and whether the user may join that group, which of the user's
// programs hold it (from /proc), and under which name the same USB board is
// listed now (from /dev/serial/by-id).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "serial/port_failure.hpp"

namespace kurvlux {

// One process as /proc shows it.
struct ProcessDevicesPosix {
  long pid = 0;
  std::string program;
  std::vector<dev_t> devices;  // the devices it has open
};

// A link of /dev/serial/by-id: udev names it after the board's maker,
// product, serial number and interface, and it follows the board to
// whatever device name the board gets.
struct UsbNamePosix {
  std::string identity;
  std::string device;
};

// What the diagnosis asks of the system; tests answer in its place.
class SystemFactsPosix {
 public:
  virtual ~SystemFactsPosix() = default;
  virtual bool status(const std::string& path, struct stat& found) = 0;
  // Empty when the group database does not know the group.
  virtual std::string groupName(gid_t group) = 0;
  // The groups this process has.
  virtual std::vector<gid_t> sessionGroups() = 0;
  // The user's groups as the database lists them now, perhaps only since
  // the last login.
  virtual std::vector<gid_t> databaseGroups() = 0;
  virtual std::string userName() = 0;
  // The other processes whose open files this user may look at.
  virtual std::vector<ProcessDevicesPosix> processes() = 0;
  virtual std::vector<UsbNamePosix> usbNames() = 0;
};

// The system itself.
SystemFactsPosix& liveSystemFacts();

// The owning group of a device, or nothing when it cannot be looked at.
std::optional<DeviceGroup> deviceGroup(const std::string& device, SystemFactsPosix& facts);

// Where the open sequence stopped: the errno of a failed stat or open (0:
// none), else the kind it saw, with the reason in the system's words.
struct OpenStop {
  PortFailureKind kind = PortFailureKind::other;
  int error = 0;
  std::string reason;
};

PortFailureKind failureKindOfError(int error);

// The facts for the box, and `detail` as the line on standard error says it.
// `remembered`: the USB names as they were while the device was there.
PortFailure diagnosePortFailure(const std::string& device, const OpenStop& stop, std::int32_t baudRate,
                                SystemFactsPosix& facts, const std::vector<UsbNamePosix>& remembered);

}  // namespace kurvlux
