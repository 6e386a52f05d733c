// Which device a path leads to: what decides whether a file may be opened as
// a port at all, and whether two names in the port box are one device.
#pragma once

#include <sys/stat.h>

#include <string>

#include "text/convert.hpp"

namespace kurvlux {

// Why the file with this status is no port to open, empty when it may be
// one. Only character devices are, and of those only terminals where /sys
// tells; never the terminal this program runs in (its controlling terminal
// or one of its standard streams, by device number, whatever path leads
// there) and never the multiplexer that makes new pseudo-terminals.
std::string portRefusal(const struct stat& status);
// Its two answers for the terminal this program runs in.
inline constexpr const char* ownTerminalRefusal = "not opened: it is the terminal this program runs in";
inline constexpr const char* noTerminalRefusal = "not opened: this program has no terminal";

// Two paths to one device give the same identity: its device number where
// the device exists, else the path with ".", ".." and repeated "/" taken out.
Text deviceIdentity(const Text& path);

}  // namespace kurvlux
