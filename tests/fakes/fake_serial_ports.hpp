// A serial port stand-in with a driver queue the test fills. It reports and
// delivers what the queue holds, and can be told to lie about the waiting
// count, to deliver less than asked, or to fail like a vanished device.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "serial/serial_port.hpp"

namespace kurvlux::fakes {

struct OpenCall {
  int id = 0;
  Text portName;
  PortSettings settings;
};

class FakeSerialPorts final : public SerialPorts {
 public:
  std::uintptr_t openPort(int id, TextView portName, const PortSettings& settings) override {
    opens.push_back(OpenCall{id, Text(portName), settings});
    log.push_back("open " + std::to_string(id));
    failed = false;
    isOpen = openSucceeds;
    return openSucceeds ? 0x5150 : 0;
  }
  std::int32_t waitingByteCount(int id) override {
    log.push_back("waiting " + std::to_string(id));
    if (!isOpen || id != openId) return 0;
    if (failStatusQuery) {
      failed = true;
      return 0;
    }
    if (!reportedCounts.empty()) {
      const std::int32_t reported = reportedCounts.front();
      reportedCounts.pop_front();
      return reported;
    }
    return static_cast<std::int32_t>(queue.size());
  }
  std::int32_t readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) override {
    readLengths.push_back(length);
    log.push_back("read " + std::to_string(id) + " " + std::to_string(length));
    if (!isOpen || id != openId) return 0;
    if (failRead) {
      failed = true;
      return 0;
    }
    const std::size_t count =
        std::min({static_cast<std::size_t>(length), queue.size(), deliverAtMost});
    for (std::size_t i = 0; i < count; ++i) {
      buffer[i] = queue.front();
      queue.pop_front();
    }
    return static_cast<std::int32_t>(count);
  }
  bool portFailed(int id) override { return isOpen && id == openId && failed; }
  Text failureMessage(int id) override {
    log.push_back("why " + std::to_string(id));
    return failureText;
  }
  void setWakeCount(int id, std::int32_t count) override {
    log.push_back("wake count " + std::to_string(id) + " " + std::to_string(count));
  }
  void closePort(int id) override {
    log.push_back("close " + std::to_string(id));
    if (id == openId || id == -1) {
      isOpen = false;
      failed = false;
    }
  }
  void closeAllPorts() override {
    log.push_back("close all");
    isOpen = false;
    failed = false;
  }

  void push(std::initializer_list<int> bytes) {
    for (int b : bytes) queue.push_back(static_cast<std::uint8_t>(b));
  }
  void push(const std::vector<std::uint8_t>& bytes) { queue.insert(queue.end(), bytes.begin(), bytes.end()); }
  int reads() const { return static_cast<int>(readLengths.size()); }

  int openId = 2;
  bool openSucceeds = true;
  bool isOpen = false;
  bool failed = false;
  bool failStatusQuery = false;
  bool failRead = false;
  Text failureText;  // what failureMessage says; empty as on Windows
  // Counts reported instead of the queue size, one per status query.
  std::deque<std::int32_t> reportedCounts;
  std::size_t deliverAtMost = std::numeric_limits<std::size_t>::max();
  std::deque<std::uint8_t> queue;
  std::vector<OpenCall> opens;
  std::vector<std::int32_t> readLengths;
  std::vector<std::string> log;
};

}  // namespace kurvlux::fakes
