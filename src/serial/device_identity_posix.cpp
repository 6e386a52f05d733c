// Device numbers from stat, the kind of device from /sys, the controlling
// terminal from /proc.
#include "serial/device_identity_posix.hpp"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <string_view>

#include "serial/port_names.hpp"
#include "text/file_name_text.hpp"

namespace kurvlux {

namespace {

// /dev/tty always means the caller's controlling terminal; /dev/ptmx (and
// /dev/pts/ptmx) answers every open with a new pseudo-terminal.
constexpr unsigned ttyAuxMajor = 5;
constexpr unsigned currentTtyMinor = 0;
constexpr unsigned ptmxMinor = 2;

// The controlling terminal's device number, field 7 of /proc/self/stat in
// the kernel's own encoding; 0 when the process has none.
dev_t controllingTerminal() {
  std::ifstream file("/proc/self/stat");
  std::string line;
  std::getline(file, line);
  // The program name in parentheses may hold spaces and ')'.
  const std::size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return 0;
  std::istringstream fields(line.substr(nameEnd + 1));
  std::string state;
  long parent = 0, group = 0, session = 0;
  unsigned long encoded = 0;
  if (!(fields >> state >> parent >> group >> session >> encoded) || encoded == 0) return 0;
  return makedev((encoded >> 8) & 0xFFF, (encoded & 0xFF) | ((encoded >> 12) & 0xFFF00));
}

bool onStandardStream(dev_t device) {
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    struct stat status {};
    if (isatty(stream) && fstat(stream, &status) == 0 && status.st_rdev == device) return true;
  }
  return false;
}

// The kernel's name for the kind of a character device ("tty", "mem",
// "watchdog"), empty where /sys does not say.
std::string deviceKind(dev_t device) {
  const std::string link =
      "/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)) + "/subsystem";
  char target[PATH_MAX];
  const ssize_t length = readlink(link.c_str(), target, sizeof target);
  if (length <= 0) return {};
  const std::string_view path(target, static_cast<std::size_t>(length));
  return std::string(path.substr(path.rfind('/') + 1));
}

}  // namespace

std::string portRefusal(const struct stat& status) {
  if (!S_ISCHR(status.st_mode)) return "not a serial device";
  // Opening alone acts on some devices (a watchdog starts counting, a tape
  // rewinds), so where the system tells what a device is, only a terminal
  // gets that far. Pseudo-terminals are not listed there; they, and systems
  // without /sys, are asked once open.
  if (const std::string kind = deviceKind(status.st_rdev); !kind.empty() && kind != "tty") {
    return "not a serial device (it is a " + kind + " device)";
  }
  const dev_t device = status.st_rdev, terminal = controllingTerminal();
  if (major(device) == ttyAuxMajor && minor(device) == ptmxMinor) {
    return "not a serial device (it makes new pseudo-terminals)";
  }
  if (major(device) == ttyAuxMajor && minor(device) == currentTtyMinor) {
    return terminal != 0 ? ownTerminalRefusal : noTerminalRefusal;
  }
  if ((terminal != 0 && device == terminal) || onStandardStream(device)) return ownTerminalRefusal;
  return {};
}

Text deviceIdentity(const Text& path) {
  struct stat status {};
  if (stat(fileNameFromText(path).c_str(), &status) == 0 && S_ISCHR(status.st_mode)) {
    return u"device " + textFromLatin1(std::to_string(major(status.st_rdev)) + ":" +
                                       std::to_string(minor(status.st_rdev)));
  }
  return normalisedPath(path);
}

}  // namespace kurvlux
