// Why a port could not be opened or was lost, as facts, and the German box
// that tells a beginner what happened and what to do about it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

enum class PortFailureKind {
  noPort,        // nothing chosen in the port box
  noPermission,  // the system refuses this user
  busy,          // another program holds the device
  gone,          // no device under that name
  lost,          // an open connection broke (unplugged, reset)
  notSerial,     // the name leads to something that is no serial port
  ownTerminal,   // the terminal this program itself runs in
  nameTooLong,   // more than the system takes as a file name
  settings,      // the device refuses the baud rate or another setting
  other,         // anything else, in the system's own words
};

// The group that owns a device, as far as it concerns the user.
struct DeviceGroup {
  std::string name;
  bool groupMayUse = false;  // the group's members may read and write the device
  bool inSession = false;    // this process has the group
  bool inDatabase = false;   // the group database lists the user (perhaps only since the last login)
};

// A process that has the device open.
struct PortHolder {
  std::string program;
  long pid = 0;
};

struct PortFailure {
  PortFailureKind kind = PortFailureKind::other;
  std::string device;  // the file name's bytes
  std::string detail;  // the system's words for it
  std::int32_t baudRate = 0;
  std::optional<DeviceGroup> group;
  std::string userName;
  // Processes of this user that hold the device; empty when none can be seen.
  std::vector<PortHolder> holders;
  // The name the same board is listed under now, empty when none is known.
  std::string renamedTo;
};

// "gehalten von minicom (PID 4242) und kurvlux (PID 4300)".
std::string holdersPhrase(const std::vector<PortHolder>& holders, const char* by, const char* joiner);

// The text of the box: what happened, in a sentence a beginner understands,
// and what to do next.
Text portFailureMessage(const PortFailure& failure);

}  // namespace kurvlux
