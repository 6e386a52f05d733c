// The one line a user reads on standard error when a serial device cannot be
// opened. On Linux the usual reason is a missing group membership, so the
// line says which group and how to join it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serial/port_failure.hpp"

namespace kurvlux {

// The owning group of a device, or nothing when it cannot be looked at.
std::optional<DeviceGroup> deviceGroup(const std::string& device);

// The description of an errno value in English, whatever the locale: the
// hints around it are English too.
std::string errorDescription(int error);

// The reason for an errno from opening a device, in English whatever the
// locale, followed by a hint when the group membership is the cause.
std::string openErrorReason(int error, const std::optional<DeviceGroup>& group);

// A device another holds, with the user's programs that have it open; with
// none of them, a program out of sight or an exclusive flag left behind.
std::string busyReason(const std::vector<PortHolder>& holders);

// "kurvlux: /dev/ttyACM0: <reason>", without the line end.
std::string deviceFailureLine(std::string_view device, std::string_view reason);

}  // namespace kurvlux
