// What the box and the line on standard error say for each reason a port
// will not connect, with the system's answers (errno, group database, /proc,
// /dev/serial/by-id) given by the test.
#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <map>

#include "serial/open_diagnostic_posix.hpp"
#include "serial/port_failure_posix.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {
namespace {

constexpr gid_t dialout = 20;
const dev_t board = makedev(166, 0), other = makedev(4, 64);

struct FakeFacts final : SystemFactsPosix {
  gid_t owner = dialout;  // of the device, with its mode
  mode_t mode = S_IFCHR | 0660;
  std::vector<gid_t> session{1000}, database{1000};
  std::vector<ProcessDevicesPosix> running;
  std::vector<UsbNamePosix> usbNow;

  bool status(const std::string&, struct stat& found) override {
    found = {}, found.st_gid = owner, found.st_mode = mode, found.st_rdev = board;
    return true;
  }
  std::string groupName(gid_t group) override { return std::map<gid_t, std::string>{{0, "root"}, {dialout, "dialout"}}[group]; }
  std::vector<gid_t> sessionGroups() override { return session; }
  std::vector<gid_t> databaseGroups() override { return database; }
  std::string userName() override { return "anna"; }
  std::vector<ProcessDevicesPosix> processes() override { return running; }
  std::vector<UsbNamePosix> usbNames() override { return usbNow; }
};

TEST(PortFailure, EachReasonSaysWhatHappenedAndWhatToDo) {
  const ProcessDevicesPosix minicom{4242, "minicom", {other, board}}, kurvlux{4300, "kurvlux", {board}},
      shell{17, "bash", {other}};
  const UsbNamePosix before{"usb-Arduino_Uno_7583-if00", "/dev/ttyACM0"}, after{before.identity, "/dev/ttyACM1"};
  struct Row {
    const char* what;
    OpenStop stop;
    std::function<void(FakeFacts&)> system;
    std::vector<UsbNamePosix> remembered;
    std::string box, notInBox, line;  // the box says this and not that; the end of the line on standard error
  };
  const Row rows[] = {
      {"not in the group", {PortFailureKind::other, EACCES, ""}, nullptr, {},
       "Das Gerät gehört der Gruppe „dialout“, und Sie sind nicht in dieser Gruppe. So nehmen Sie sich in die Gruppe auf (in einem "
       "Terminal, mit Ihrem Passwort):\n\nsudo usermod -aG dialout anna\n\nMelden Sie sich danach ab und wieder an",
       "Sitzung", "sudo usermod -aG dialout $USER, then log in again)"},
      {"added, not yet logged in again", {PortFailureKind::other, EACCES, ""},
       [](FakeFacts& f) { f.database.push_back(dialout); }, {}, "In dieser Sitzung gilt sie noch nicht", "usermod",
       "which you were added to after this session began; log in again)"},
      {"root's own 0600", {PortFailureKind::other, EACCES, ""}, [](FakeFacts& f) { f.owner = 0, f.mode = S_IFCHR | 0600; },
       {}, "nur für den Systemverwalter freigegeben", "usermod", ": Permission denied"},
      {"held by one", {PortFailureKind::other, EBUSY, ""}, [&](FakeFacts& f) { f.running = {shell, minicom}; }, {},
       "ist belegt, gehalten von minicom (PID 4242).\n\nBeenden Sie dieses Programm", "Ziehen Sie",
       "Device or resource busy (held by minicom (PID 4242))"},
      {"held by two, seen by the flag", {PortFailureKind::busy, 0, "busy"},
       [&](FakeFacts& f) { f.running = {minicom, shell, kurvlux}; }, {},
       "gehalten von minicom (PID 4242) und kurvlux (PID 4300).", "Ziehen Sie",
       "(held by minicom (PID 4242) and kurvlux (PID 4300))"},
      {"held out of sight", {PortFailureKind::busy, 0, "busy"}, [&](FakeFacts& f) { f.running = {shell}; }, {},
       "aber kein Programm dieses Benutzers hat es geöffnet", "gehalten von",
       "(no program of this user has it open: another user's or the system's program holds it, or one that ended "
       "left it locked; unplugging it clears that)"},
      {"gone, back under a new name", {PortFailureKind::other, ENOENT, ""}, [&](FakeFacts& f) { f.usbNow = {after}; },
       {before}, "/dev/ttyACM0 gibt es nicht (mehr). Dasselbe Board ist jetzt unter dem Namen /dev/ttyACM1 da.",
       "eingesteckt", "No such file or directory (the same board is now /dev/ttyACM1)"},
      {"gone, another board there", {PortFailureKind::other, ENXIO, ""},
       [&](FakeFacts& f) { f.usbNow = {{"usb-FTDI_9-if00", "/dev/ttyACM1"}}; }, {before},
       "gibt es nicht (mehr).\n\nIst das Board eingesteckt?", "ttyACM1", ": No such device or address"},
      {"lost, back under a new name", {PortFailureKind::lost, 0, "connection lost"},
       [&](FakeFacts& f) { f.usbNow = {before, after}; }, {before},
       "Die Verbindung zu /dev/ttyACM0 ist abgebrochen: Das Gerät wurde abgezogen, neu gestartet oder antwortet nicht "
       "mehr. Dasselbe Board ist jetzt unter dem Namen /dev/ttyACM1 da.",
       "eingesteckt", "connection lost (the same board is now /dev/ttyACM1)"},
      {"anything else", {PortFailureKind::other, EIO, ""}, nullptr, {},
       "/dev/ttyACM0 lässt sich nicht öffnen. Das System meldet: Input/output error.", "", ": Input/output error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeFacts facts;
    if (row.system) row.system(facts);
    const PortFailure failure = diagnosePortFailure("/dev/ttyACM0", row.stop, 0, facts, row.remembered);
    const std::string box = utf8FromText(portFailureMessage(failure));
    EXPECT_NE(box.find(row.box), std::string::npos) << box;
    EXPECT_TRUE(row.notInBox.empty() || box.find(row.notInBox) == std::string::npos) << box;
    const std::string line = deviceFailureLine(failure.device, failure.detail);
    EXPECT_TRUE(line.ends_with(row.line)) << line;
  }
}

}  // namespace
}  // namespace kurvlux
