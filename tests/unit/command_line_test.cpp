// The Linux program's arguments: devices, help, version, and refused options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/command_line.hpp"

namespace kurvlux {
namespace {

TEST(CommandLine, OptionsDecideWhatToPrintAndDevicesKeepTheirOrder) {
  struct Case {
    std::vector<std::string> arguments;
    bool opensWindow;
    int exitStatus;
    std::vector<std::string> devices;
    std::string outputStart;
    std::string errorStart;
  };
  const std::string usage = "usage: kurvlux [OPTION...] [DEVICE...]\n";
  const Case cases[] = {
      {{}, true, 0, {}, "", ""},
      {{"ttyACM0", "/dev/rfcomm0", ""}, true, 0, {"ttyACM0", "/dev/rfcomm0", ""}, "", ""},
      {{"--version"}, false, 0, {}, "kurvlux 9.8.7\n", ""},
      {{"ttyS0", "--help", "--version"}, false, 0, {}, usage + "Shows the samples", ""},
      {{"ttyS0", "--", "-odd", "--help", "--"}, true, 0, {"ttyS0", "-odd", "--help", "--"}, "", ""},
      {{"--version", "--verbose"}, false, 2, {}, "", "kurvlux: unknown option --verbose\n" + usage},
      {{"-"}, false, 2, {}, "", "kurvlux: unknown option -\n" + usage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front() + " ...");
    const CommandLine commandLine = readCommandLine(c.arguments, "9.8.7");
    EXPECT_EQ(commandLine.opensWindow, c.opensWindow);
    EXPECT_EQ(commandLine.exitStatus, c.exitStatus);
    EXPECT_EQ(commandLine.devices, c.devices);
    EXPECT_TRUE(commandLine.standardOutput.starts_with(c.outputStart)) << commandLine.standardOutput;
    EXPECT_TRUE(commandLine.standardError.starts_with(c.errorStart)) << commandLine.standardError;
    EXPECT_EQ(commandLine.standardOutput.empty(), c.outputStart.empty());
    EXPECT_EQ(commandLine.standardError.empty(), c.errorStart.empty());
  }
}

TEST(CommandLine, RecordTakesOneFileAndOverwriteIsItsOwnSwitch) {
  struct Case {
    std::vector<std::string> arguments;
    int exitStatus;
    std::string recordPath;
    bool overwrite;
    std::vector<std::string> devices;
  };
  const Case cases[] = {
      {{"--record", "r.csv", "ttyACM0"}, 0, "r.csv", false, {"ttyACM0"}},
      {{"--overwrite", "--record=-odd.bin"}, 0, "-odd.bin", true, {}},
      {{"ttyS0", "--record", "--overwrite"}, 0, "--overwrite", false, {"ttyS0"}},
      {{"--record"}, 2, "", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " ...");
    const CommandLine commandLine = readCommandLine(c.arguments, "1");
    EXPECT_EQ(commandLine.exitStatus, c.exitStatus) << commandLine.standardError;
    EXPECT_EQ(commandLine.recordPath, c.recordPath);
    EXPECT_EQ(commandLine.overwrite, c.overwrite);
    EXPECT_EQ(commandLine.devices, c.devices);
  }
}

}  // namespace
}  // namespace kurvlux
