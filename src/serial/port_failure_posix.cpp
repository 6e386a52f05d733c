// The diagnosis over stat, the group database, /proc and /dev/serial/by-id.
#include "serial/port_failure_posix.hpp"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "serial/open_diagnostic_posix.hpp"
#include "text/file_name_text.hpp"

namespace kurvlux {

namespace {

constexpr const char* usbNameFolder = "/dev/serial/by-id";

// The entries of a folder, without "." and ".."; none when it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* directory = opendir(folder.c_str());
  if (directory == nullptr) return names;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(directory);
  return names;
}

class LiveSystemFactsPosix final : public SystemFactsPosix {
 public:
  bool status(const std::string& path, struct stat& found) override {
    return stat(path.c_str(), &found) == 0;
  }

  std::string groupName(gid_t group) override {
    const struct group* entry = getgrgid(group);
    return entry != nullptr ? entry->gr_name : "";
  }

  std::vector<gid_t> sessionGroups() override {
    std::vector<gid_t> groups{getegid()};
    const int count = getgroups(0, nullptr);
    if (count <= 0) return groups;
    groups.resize(static_cast<std::size_t>(count) + 1);
    const int filled = getgroups(count, groups.data() + 1);
    groups.resize(static_cast<std::size_t>(std::max(filled, 0)) + 1);
    return groups;
  }

  std::vector<gid_t> databaseGroups() override {
    const passwd* user = getpwuid(geteuid());
    if (user == nullptr) return {};
    const std::string name = user->pw_name;
    const gid_t primary = user->pw_gid;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) {
      // count now holds the number needed.
      groups.resize(static_cast<std::size_t>(count));
      if (getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) return {};
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
  }

  std::string userName() override {
    const passwd* user = getpwuid(geteuid());
    return user != nullptr ? user->pw_name : std::to_string(geteuid());
  }

  // Another user's /proc/PID/fd cannot be opened: those processes are left
  // out, which is what the box says when it names none.
  std::vector<ProcessDevicesPosix> processes() override {
    std::vector<ProcessDevicesPosix> found;
    const long self = getpid();
    for (const std::string& entry : folderEntries("/proc")) {
      char* end = nullptr;
      const long pid = std::strtol(entry.c_str(), &end, 10);
      if (*end != '\0' || pid <= 0 || pid == self) continue;
      const std::string folder = "/proc/" + entry;
      ProcessDevicesPosix process{pid, {}, {}};
      for (const std::string& fd : folderEntries(folder + "/fd")) {
        struct stat opened {};
        if (stat((folder + "/fd/" + fd).c_str(), &opened) == 0 && S_ISCHR(opened.st_mode)) {
          process.devices.push_back(opened.st_rdev);
        }
      }
      if (process.devices.empty()) continue;
      std::ifstream(folder + "/comm") >> process.program;
      found.push_back(std::move(process));
    }
    return found;
  }

  std::vector<UsbNamePosix> usbNames() override {
    std::vector<UsbNamePosix> names;
    for (const std::string& identity : folderEntries(usbNameFolder)) {
      std::error_code missing;
      const auto device = std::filesystem::canonical(std::string(usbNameFolder) + "/" + identity, missing);
      if (!missing) names.push_back({identity, device.string()});
    }
    return names;
  }
};

bool contains(const std::vector<gid_t>& groups, gid_t group) {
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

std::vector<PortHolder> holdersOf(const std::string& device, SystemFactsPosix& facts) {
  std::vector<PortHolder> holders;
  struct stat status {};
  if (!facts.status(device, status) || !S_ISCHR(status.st_mode)) return holders;
  for (const ProcessDevicesPosix& process : facts.processes()) {
    const auto& open = process.devices;
    if (std::find(open.begin(), open.end(), status.st_rdev) != open.end()) {
      holders.push_back({process.program, process.pid});
    }
  }
  return holders;
}

// The device the board the old name belonged to is listed under now.
std::string renamedDevice(const std::string& device, const std::vector<UsbNamePosix>& before,
                          const std::vector<UsbNamePosix>& now) {
  for (const UsbNamePosix& old : before) {
    if (old.device != device) continue;
    for (const UsbNamePosix& current : now) {
      if (current.identity == old.identity && current.device != device) return current.device;
    }
  }
  return {};
}

}  // namespace

SystemFactsPosix& liveSystemFacts() {
  static LiveSystemFactsPosix facts;
  return facts;
}

std::optional<DeviceGroup> deviceGroup(const std::string& device, SystemFactsPosix& facts) {
  struct stat status {};
  if (!facts.status(device, status)) return std::nullopt;
  DeviceGroup found;
  found.name = facts.groupName(status.st_gid);
  if (found.name.empty()) found.name = std::to_string(status.st_gid);
  // Joining root's group is no advice to give anyone.
  found.groupMayUse = status.st_gid != 0 && (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  found.inSession = contains(facts.sessionGroups(), status.st_gid);
  found.inDatabase = contains(facts.databaseGroups(), status.st_gid);
  return found;
}

PortFailureKind failureKindOfError(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return PortFailureKind::noPermission;
    case EBUSY:
      return PortFailureKind::busy;
    // ENXIO: a node whose device is not there, as a serial port without its
    // hardware or an adapter half gone.
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
      return PortFailureKind::gone;
    case ENAMETOOLONG:
      return PortFailureKind::nameTooLong;
    default:
      return PortFailureKind::other;
  }
}

PortFailure diagnosePortFailure(const std::string& device, const OpenStop& stop, std::int32_t baudRate,
                                SystemFactsPosix& facts, const std::vector<UsbNamePosix>& remembered) {
  PortFailure failure;
  failure.device = device;
  failure.baudRate = baudRate;
  failure.kind = stop.error != 0 ? failureKindOfError(stop.error) : stop.kind;
  failure.detail = stop.error != 0 ? errorDescription(stop.error) : stop.reason;
  switch (failure.kind) {
    case PortFailureKind::noPermission:
      failure.userName = facts.userName();
      failure.group = deviceGroup(device, facts);
      failure.detail = openErrorReason(stop.error, failure.group);
      break;
    case PortFailureKind::busy:
      failure.holders = holdersOf(device, facts);
      failure.detail = busyReason(failure.holders);
      break;
    case PortFailureKind::gone:
    case PortFailureKind::lost:
      failure.renamedTo = renamedDevice(device, remembered, facts.usbNames());
      if (!failure.renamedTo.empty()) {
        failure.detail += " (the same board is now " + printableFileName(failure.renamedTo) + ")";
      }
      break;
    default:
      break;
  }
  return failure;
}

}  // namespace kurvlux
