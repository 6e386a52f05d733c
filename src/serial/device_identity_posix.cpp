// Device numbers from stat, the controlling terminal from /proc.
#include "serial/device_identity_posix.hpp"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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

bool isOwnTerminal(dev_t device) {
  if (major(device) == ttyAuxMajor && minor(device) == currentTtyMinor) return true;
  if (device == controllingTerminal()) return true;
  for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    struct stat status {};
    if (isatty(stream) && fstat(stream, &status) == 0 && status.st_rdev == device) return true;
  }
  return false;
}

}  // namespace

std::string portRefusal(const struct stat& status) {
  if (!S_ISCHR(status.st_mode)) return "not a serial device";
  if (major(status.st_rdev) == ttyAuxMajor && minor(status.st_rdev) == ptmxMinor) {
    return "not a serial device (it makes new pseudo-terminals)";
  }
  if (isOwnTerminal(status.st_rdev)) return "not opened: it is the terminal this program runs in";
  return {};
}

Text deviceIdentity(const Text& path) {
  struct stat status {};
  if (stat(fileNameFromText(path).c_str(), &status) == 0 && S_ISCHR(status.st_mode)) {
    return u"device " + textFromLatin1(std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev)));
  }
  return normalisedPath(path);
}

}  // namespace kurvlux
