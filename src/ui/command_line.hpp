// The Linux program's command line: the devices to list first in the port
// box, or what to print instead of opening the window (help, version, or a
// refusal of an option it does not know).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kurvlux {

struct CommandLine {
  bool opensWindow = true;
  // Named devices in the order given, as typed (a name, or a path).
  std::vector<std::string> devices;
  // --record FILE: the file the stream goes into from the first connection
  // on; empty for none. --overwrite lets it replace an existing file.
  std::string recordPath;
  bool overwrite = false;
  std::string standardOutput;
  std::string standardError;
  // The exit status when the window does not open.
  int exitStatus = 0;
};

// Reads the arguments after the program's name, GTK's own options already
// taken out. Options may stand anywhere before "--"; any argument after it
// names a device, so that "kurvlux -- -odd" opens a device named "-odd".
// An unknown option wins over --help and --version: a typo is never ignored.
CommandLine readCommandLine(const std::vector<std::string>& arguments, std::string_view version);

}  // namespace kurvlux
