// Device group facts from stat and the group database, and the line built
// from them.
#include "serial/open_diagnostic_posix.hpp"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "text/file_name_text.hpp"

namespace kurvlux {

namespace {

bool processHasGroup(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int filled = getgroups(count, groups.data());
  if (filled < 0) return false;
  groups.resize(static_cast<std::size_t>(filled));
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

bool databaseListsUserInGroup(gid_t group) {
  const passwd* user = getpwuid(geteuid());
  if (user == nullptr) return false;
  const std::string name = user->pw_name;
  const gid_t primary = user->pw_gid;
  int count = 64;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) {
    // count now holds the number needed.
    groups.resize(static_cast<std::size_t>(count));
    if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) return false;
  }
  groups.resize(static_cast<std::size_t>(count));
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

}  // namespace

std::optional<DeviceGroup> deviceGroup(const std::string& device) {
  struct stat status {};
  if (stat(device.c_str(), &status) != 0) return std::nullopt;
  DeviceGroup found;
  const group* entry = getgrgid(status.st_gid);
  found.name = entry != nullptr ? std::string(entry->gr_name) : std::to_string(status.st_gid);
  // Joining root's group is no advice to give anyone.
  found.groupMayUse = status.st_gid != 0 && (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  found.inSession = processHasGroup(status.st_gid);
  found.inDatabase = databaseListsUserInGroup(status.st_gid);
  return found;
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
  } else if (error == EBUSY) {
    return busyReason(false);
  }
  return reason;
}

std::string busyReason(bool locked) {
  // A lock ends with the last descriptor of whoever took it; the exclusive
  // flag stays on the device until it is cleared or the device goes away,
  // whoever set it, so it tells nothing about who has the device open now.
  return errorDescription(EBUSY) + (locked ? " (another program has it open)"
                                           : " (it is held exclusively, perhaps by a program that has ended; "
                                             "unplugging it clears that)");
}

std::string deviceFailureLine(std::string_view device, std::string_view reason) {
  std::string line = "kurvlux: ";
  line += printableFileName(device);
  line += ": ";
  line += reason;
  return line;
}

}  // namespace kurvlux
