// What `kurvlux --help` prints is what the manual page (resources/kurvlux.1)
// says under SYNOPSIS, OPTIONS and EXIT STATUS; change them together.
#include "ui/command_line.hpp"

#include <utility>

namespace kurvlux {

namespace {

constexpr std::string_view usage = "usage: kurvlux [OPTION...] [DEVICE...]\n";

constexpr std::string_view help =
    "Shows the samples of a board on a serial port as an oscilloscope or chart recorder.\n"
    "The devices named come first in the port box, before the serial ports of the\n"
    "machine; a name without a leading / is looked for under /dev (kurvlux ttyACM0,\n"
    "kurvlux /dev/rfcomm0).\n"
    "\n"
    "  -h, --help           print this help and exit\n"
    "      --version        print the name and version and exit\n"
    "      --record FILE    record every byte read, from the first connection on, into\n"
    "                       FILE: a table (sample,time_s,value) if it ends in .csv,\n"
    "                       else the bytes as read; FILE.txt beside says port, baud\n"
    "                       rate and start\n"
    "      --overwrite      let --record replace an existing FILE\n"
    "      --display=NAME   the X display to open (GTK's other options work too)\n"
    "      --               end of options: every later argument names a device\n"
    "\n"
    "Exit status: 0 when the window is closed and after --help or --version,\n"
    "1 when the display cannot be opened, 2 for an unknown option or a --record\n"
    "FILE that exists (without --overwrite) or cannot be made.\n";

enum class Request { none, help, version };

CommandLine printing(std::string text) {
  CommandLine reply;
  reply.opensWindow = false;
  reply.standardOutput = std::move(text);
  return reply;
}

CommandLine refusing(const std::string& problem) {
  CommandLine refusal;
  refusal.opensWindow = false;
  refusal.standardError =
      "kurvlux: " + problem + "\n" + std::string(usage) + "kurvlux --help lists the options.\n";
  refusal.exitStatus = 2;
  return refusal;
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& arguments, std::string_view version) {
  CommandLine commandLine;
  Request request = Request::none;
  bool optionsEnded = false;
  constexpr std::string_view recordOption = "--record";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || !argument.starts_with('-')) {
      commandLine.devices.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      if (request == Request::none) request = Request::help;
    } else if (argument == "--version") {
      if (request == Request::none) request = Request::version;
    } else if (argument == "--overwrite") {
      commandLine.overwrite = true;
    } else if (argument == recordOption || argument.starts_with("--record=")) {
      std::string file = argument == recordOption ? "" : argument.substr(recordOption.size() + 1);
      if (argument == recordOption && i + 1 < arguments.size()) file = arguments[++i];
      if (file.empty()) return refusing("--record needs a file name");
      commandLine.recordPath = file;
    } else {
      return refusing("unknown option " + argument);
    }
  }
  if (request == Request::help) return printing(std::string(usage) + std::string(help));
  if (request == Request::version) return printing("kurvlux " + std::string(version) + "\n");
  return commandLine;
}

}  // namespace kurvlux
