// Port-box items of file-named serial devices and the way back to the device.
#include <gtest/gtest.h>

#include <vector>

#include "fakes/recording_controls.hpp"
#include "serial/port_list.hpp"
#include "serial/port_names.hpp"

namespace kurvlux {
namespace {

TEST(PortNames, ItemsLeadBackToTheirDevice) {
  struct Case {
    Text device;
    Text item;
  };
  const Case cases[] = {
      {u"/dev/ttyACM0", u"ttyACM0"},
      {u"/dev/ttyUSB0", u"ttyUSB0"},
      {u"/dev/pts/3", u"pts/3"},
      {u"/tmp/x/ttyKurvlux", u"/tmp/x/ttyKurvlux"},
      {u"/dev/", u"/dev/"},
      {u"/dev//ttyS0", u"/dev//ttyS0"},
      {u"/devices/ttyS0", u"/devices/ttyS0"},
      {Text(u"/dev/ttyS0\0tail", 15), u"ttyS0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(latin1FromText(c.device));
    EXPECT_EQ(portItemOfDevice(c.device), c.item);
    EXPECT_EQ(devicePathOfPortName(c.item), untilNul(c.device));
  }
  EXPECT_EQ(devicePathOfPortName(u"rfcomm0"), u"/dev/rfcomm0");
  EXPECT_EQ(devicePathOfPortName(u""), u"");
}

TEST(PortNames, CommandLineDevicesComeFirstAndAreNotRepeated) {
  const std::vector<Text> listed = {u"/dev/ttyS0", u"/dev/ttyACM0", u"/dev/ttyUSB0"};
  struct Case {
    std::vector<Text> named;
    std::vector<Text> items;
  };
  const Case cases[] = {
      {{}, {u"ttyS0", u"ttyACM0", u"ttyUSB0"}},
      {{u"/dev/pts/7", u"/dev/rfcomm0"}, {u"pts/7", u"rfcomm0", u"ttyS0", u"ttyACM0", u"ttyUSB0"}},
      {{u"/dev/ttyUSB0", u"ttyS0"}, {u"ttyUSB0", u"ttyS0", u"ttyACM0"}},
      {{u"", u"/tmp/board"}, {u"/tmp/board", u"ttyS0", u"ttyACM0", u"ttyUSB0"}},
      // One device, one item, by the first name given for it.
      {{u"pts/3", u"pts/3", u"/dev/pts/3", u"/dev/../dev/ttyS0"}, {u"pts/3", u"../dev/ttyS0", u"ttyACM0", u"ttyUSB0"}},
      {{u"/dev//./ttyUSB0/", u"serial/by-id/board"}, {u"/dev//./ttyUSB0/", u"serial/by-id/board", u"ttyS0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named.size());
    // The link's target is known only to the platform, here a stand-in.
    const auto identity = [](const Text& path) {
      return path == u"/dev/serial/by-id/board" ? u"/dev/ttyACM0" : normalisedPath(path);
    };
    EXPECT_EQ(portItems(c.named, listed, identity), c.items);
  }
  EXPECT_EQ(normalisedPath(u"/../dev//pts/./3/.."), u"/dev/pts");
  EXPECT_EQ(normalisedPath(u"a/../../../b"), u"../../b");
  fakes::RecordingControls controls;
  controls.add(portBoxId).state = -1;
  fillPortBoxItems(controls, portItems({u"/dev/pts/2"}, listed, normalisedPath));
  EXPECT_EQ(controls.at(portBoxId).items.front(), u"pts/2");
  EXPECT_EQ(controls.at(portBoxId).items.size(), 4u);
  EXPECT_EQ(controls.at(portBoxId).state, 0);
}

TEST(PortNames, OpeningTheListAgainKeepsNamedFirstAndTheRestInPlace) {
  // The list as shown, what the listing says when it is opened again, what it shows then.
  struct Row {
    const char* event;
    std::vector<Text> shown, named, listed, after;
  };
  const Row rows[] = {
      {"first opening",            {},                                 {u"pts/7"}, {u"/dev/ttyS0", u"/dev/ttyACM0"},                  {u"pts/7", u"ttyS0", u"ttyACM0"}},
      {"plugged in, listed first", {u"pts/7", u"ttyS0", u"ttyACM0"},   {u"pts/7"}, {u"/dev/ttyUSB0", u"/dev/ttyS0", u"/dev/ttyACM0"}, {u"pts/7", u"ttyUSB0", u"ttyS0", u"ttyACM0"}},
      {"listing reshuffled",       {u"ttyS0", u"ttyACM0"},             {},         {u"/dev/ttyACM0", u"/dev/ttyUSB1", u"/dev/ttyS0"}, {u"ttyS0", u"ttyACM0", u"ttyUSB1"}},
      {"two plugged in",           {u"ttyS0"},                         {},         {u"/dev/ttyUSB0", u"/dev/ttyUSB1", u"/dev/ttyS0"}, {u"ttyUSB0", u"ttyUSB1", u"ttyS0"}},
      {"unplugged",                {u"pts/7", u"ttyS0", u"ttyACM0"},   {u"pts/7"}, {u"/dev/ttyS0"},                                   {u"pts/7", u"ttyS0"}},
      {"nothing listed",           {u"pts/7", u"ttyS0"},               {u"pts/7"}, {},                                                {u"pts/7"}},
      {"reset, new name",          {u"ttyS0", u"ttyACM0", u"ttyUSB0"}, {},         {u"/dev/ttyUSB0", u"/dev/ttyS0", u"/dev/ttyACM1"}, {u"ttyS0", u"ttyACM1", u"ttyUSB0"}},
  };

  for (const Row& row : rows) {
    SCOPED_TRACE(row.event);
    EXPECT_EQ(refreshedPortItems(row.shown, row.named, row.listed, normalisedPath), row.after);
  }
}

}  // namespace
}  // namespace kurvlux
