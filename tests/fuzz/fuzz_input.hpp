// Reads a fuzzer's input as a stream of little-endian numbers; past its end
// every read gives 0, so a target never has to check the length itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kurvlux::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t half() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
  std::uint32_t word() {
    const std::uint32_t low = half();
    return low | static_cast<std::uint32_t>(half()) << 16;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace kurvlux::fuzz
