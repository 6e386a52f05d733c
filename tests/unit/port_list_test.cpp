// Registry values to port numbers and port-box items, against a stand-in
// registry that answers with the registry's buffer rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/recording_controls.hpp"
#include "serial/port_list.hpp"

namespace kurvlux {
namespace {

struct FakeValue {
  Text name;
  std::vector<std::uint8_t> data;
};

// A text stored the way the registry stores REG_SZ data: UTF-16LE with NUL.
std::vector<std::uint8_t> textData(TextView text, bool withNul = true) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (withNul) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

class FakeSerialDeviceKey final : public SerialDeviceValues {
 public:
  explicit FakeSerialDeviceKey(std::vector<FakeValue> values) : values_(std::move(values)) {}

  bool valueName(std::uint32_t index, char16_t* name, std::uint32_t& length) override {
    ++nameCalls;
    if (index >= values_.size()) return false;
    const Text& stored = values_[index].name;
    if (stored.size() + 1 > length) return false;
    std::copy(stored.begin(), stored.end(), name);
    name[stored.size()] = u'\0';
    length = static_cast<std::uint32_t>(stored.size());
    return true;
  }

  bool valueData(TextView name, std::uint8_t* data, std::uint32_t& size) override {
    queried.emplace_back(name);
    for (const auto& value : values_) {
      if (value.name != name) continue;
      if (value.data.size() > size) return false;
      std::copy(value.data.begin(), value.data.end(), data);
      size = static_cast<std::uint32_t>(value.data.size()) + overstatedBytes;
      return true;
    }
    return false;
  }

  int nameCalls = 0;
  // A driver may report more bytes than it wrote, even more than the buffer holds.
  std::uint32_t overstatedBytes = 0;
  std::vector<Text> queried;

 private:
  std::vector<FakeValue> values_;
};

std::vector<std::int32_t> numbersOf(std::vector<FakeValue> values) {
  FakeSerialDeviceKey key(std::move(values));
  return collectPortNumbers(key);
}

TEST(PortList, DataTextsGiveNumbersAndItems) {
  struct Case {
    const char16_t* data;
    bool listed;
    std::int32_t number;
    const char16_t* item;
  };
  const Case cases[] = {
      {u"COM3", true, 3, u"COM3"},       {u"com12", true, 12, u"COM12"},
      {u"COM04", true, 4, u"COM4"},      {u"COMX1", true, 0, u"COM0"},
      {u"COM10", true, 10, u"COM10"},    {u"Com7", true, 7, u"COM7"},
      {u"cOm255", true, 255, u"COM255"}, {u"LPT1", false, 0, nullptr},
      {u"CO", false, 0, nullptr},        {u"", false, 0, nullptr},
      {u" COM3", false, 0, nullptr},     {u"COM1COM2", true, 12, u"COM12"},
      {u"COM4294967299", true, 3, u"COM3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(latin1FromText(c.data));
    const auto numbers = numbersOf({{u"\\Device\\Serial0", textData(c.data)}});
    if (!c.listed) {
      EXPECT_TRUE(numbers.empty());
      continue;
    }
    ASSERT_EQ(numbers.size(), 1u);
    EXPECT_EQ(numbers[0], c.number);
    EXPECT_EQ(portNameFromNumber(numbers[0]), c.item);
  }
}

TEST(PortList, DataEndsAtItsFirstNulOrItsEnd) {
  // Without a NUL the text runs to the end of the data; a trailing odd byte
  // is half a code unit and no character.
  EXPECT_EQ(numbersOf({{u"a", textData(u"COM9", false)}}), std::vector<std::int32_t>{9});
  auto odd = textData(u"COM8", false);
  odd.push_back('7');
  EXPECT_EQ(numbersOf({{u"a", odd}}), std::vector<std::int32_t>{8});
  auto embedded = textData(u"COM5");
  const auto tail = textData(u"1");
  embedded.insert(embedded.end(), tail.begin(), tail.end());
  EXPECT_EQ(numbersOf({{u"a", embedded}}), std::vector<std::int32_t>{5});
  EXPECT_EQ(portTextFromData(nullptr, 8), u"");
}

TEST(PortList, KeepsEnumerationOrderAndDuplicates) {
  EXPECT_EQ(numbersOf({{u"a", textData(u"COM5")}, {u"b", textData(u"COM3")}, {u"c", textData(u"COM5")}}),
            (std::vector<std::int32_t>{5, 3, 5}));
  EXPECT_TRUE(numbersOf({}).empty());
}

TEST(PortList, UnreadableDataIsSkippedAndTheListGoesOn) {
  // 126 characters and the NUL are 254 bytes and fit; 127 are 256 and do not.
  const Text fits = u"COM6" + Text(122, u'x');
  const Text tooLong = u"COM1" + Text(123, u'x');
  FakeSerialDeviceKey key({{u"a", textData(u"COM1")},
                           {u"b", textData(tooLong)},
                           {u"c", textData(fits)},
                           {u"d", textData(u"COM2")}});
  EXPECT_EQ(collectPortNumbers(key), (std::vector<std::int32_t>{1, 6, 2}));
  EXPECT_EQ(key.queried, (std::vector<Text>{u"a", u"b", u"c", u"d"}));
}

TEST(PortList, DataSizeBeyondTheBufferReadsOnlyTheBuffer) {
  // The buffer is filled to its last byte without a NUL, so a size taken at
  // its word would read on past it (the sanitized build reports that).
  auto full = textData(u"COM3" + Text(123, u'7'), false);
  full.push_back('x');
  ASSERT_EQ(full.size(), 255u);
  for (const std::uint32_t overstated : {1u, 4096u}) {
    SCOPED_TRACE(overstated);
    FakeSerialDeviceKey key({{u"a", full}, {u"b", textData(u"COM2")}});
    key.overstatedBytes = overstated;
    // 127 code units fit; the odd last byte is no character.
    EXPECT_EQ(collectPortNumbers(key), (std::vector<std::int32_t>{portNumberFromText(u"COM3" + Text(123, u'7')), 2}));
  }
}

TEST(PortList, LongOrEmptyNameEndsTheEnumeration) {
  struct Case {
    Text stopper;
    std::vector<std::int32_t> expected;
  };
  const Case cases[] = {
      {Text(), {4}},                  // an empty name ends the list
      {Text(255, u'n'), {4}},         // a name that does not fit ends it too
      {Text(254, u'n'), {4, 9, 6}},   // the longest name that fits is read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopper.size());
    FakeSerialDeviceKey key({{u"a", textData(u"COM4")}, {c.stopper, textData(u"COM9")}, {u"b", textData(u"COM6")}});
    EXPECT_EQ(collectPortNumbers(key), c.expected);
  }
}

TEST(PortList, FillsThePortBoxInOrderAndSelectsTheFirst) {
  fakes::RecordingControls controls;
  controls.add(portBoxId).state = -1;
  fillPortBox(controls, {5, 3, 5, 12});
  EXPECT_EQ(controls.at(portBoxId).items, (std::vector<Text>{u"COM5", u"COM3", u"COM5", u"COM12"}));
  EXPECT_EQ(controls.at(portBoxId).state, 0);
  EXPECT_EQ(controls.log, (std::vector<std::string>{"state 6 0"}));
}

TEST(PortList, EmptyListLeavesThePortBoxEmpty) {
  fakes::RecordingControls controls;
  controls.add(portBoxId);
  fillPortBox(controls, {});
  EXPECT_TRUE(controls.at(portBoxId).items.empty());
  EXPECT_EQ(controls.controlText(portBoxId), u"");
}

}  // namespace
}  // namespace kurvlux
