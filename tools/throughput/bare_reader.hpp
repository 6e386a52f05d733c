// The yardstick of the throughput runs: the program's own serial layer read
// as fast as it goes, the way the main loop reads (ask how many bytes wait,
// read up to a 10000-byte block of them) and nothing else. What the program
// takes of a board can be compared with what reading alone takes.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "serial/serial_port.hpp"

namespace kurvlux {

// Bytes per second read over `seconds`, after a second in which the
// reading settles; -1 when the port does not open.
inline double bareReaderRate(SerialPorts& ports, TextView portName, double seconds) {
  constexpr int portId = 2;
  constexpr std::int32_t blockSize = 10000;
  if (ports.openPort(portId, portName, PortSettings{}) == 0) return -1;
  std::vector<std::uint8_t> block(blockSize);
  const auto readOnce = [&]() -> std::int64_t {
    std::int32_t waiting = ports.waitingByteCount(portId);
    if (waiting > blockSize) waiting = blockSize;
    return waiting > 0 ? ports.readPortBytes(portId, block.data(), waiting) : 0;
  };
  using Clock = std::chrono::steady_clock;
  const auto settled = Clock::now() + std::chrono::seconds(1);
  while (Clock::now() < settled) readOnce();
  std::int64_t bytes = 0;
  const auto start = Clock::now();
  const auto end =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() < end) bytes += readOnce();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  ports.closePort(portId);
  return elapsed > 0 ? static_cast<double>(bytes) / elapsed : 0.0;
}

// How often the board simulator had to wait for its reader, from the line it
// prints at exit; -1 when the line does not say.
inline long boardWaits(const std::string& boardLine) {
  const std::string mark = "writing waited ";
  const std::size_t at = boardLine.find(mark);
  return at == std::string::npos ? -1 : std::strtol(boardLine.c_str() + at + mark.size(), nullptr, 10);
}

}  // namespace kurvlux
