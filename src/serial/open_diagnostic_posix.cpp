// The English reasons for the line on standard error.
#include "serial/open_diagnostic_posix.hpp"

#include <cerrno>
#include <cstring>

#include "serial/port_failure_posix.hpp"
#include "text/file_name_text.hpp"

namespace kurvlux {

std::optional<DeviceGroup> deviceGroup(const std::string& device) {
  return deviceGroup(device, liveSystemFacts());
}

std::string errorDescription(int error) {
  // strerror would follow the locale that GTK sets up.
  const char* description = strerrordesc_np(error);
  return description != nullptr ? std::string(description) : "error " + std::to_string(error);
}

std::string openErrorReason(int error, const std::optional<DeviceGroup>& group) {
  std::string reason = errorDescription(error);
  if ((error == EACCES || error == EPERM) && group && group->groupMayUse && !group->inSession) {
    if (group->inDatabase) {
      reason += " (the device belongs to group \"" + group->name +
                "\", which you were added to after this session began; log in again)";
    } else {
      reason += " (the device belongs to group \"" + group->name +
                "\", which you are not in; add yourself with: " + "sudo usermod -aG " + group->name +
                " $USER, then log in again)";
    }
  }
  return reason;
}

std::string busyReason(const std::vector<PortHolder>& holders) {
  // The exclusive flag stays on the device until it is cleared or the device
  // goes away, whoever set it: where no holder can be seen, it may be left
  // from a program that ended.
  const std::string busy = errorDescription(EBUSY);
  if (!holders.empty()) return busy + " (" + holdersPhrase(holders, "held by", "and") + ")";
  return busy +
         " (no program of this user has it open: another user's or the system's program holds it, or one "
         "that ended left it locked; unplugging it clears that)";
}

std::string deviceFailureLine(std::string_view device, std::string_view reason) {
  std::string line = "kurvlux: ";
  line += printableFileName(device);
  line += ": ";
  line += reason;
  return line;
}

}  // namespace kurvlux
