// The board simulator's sample generators and its pacing arithmetic, kept
// free of I/O so both are checked by the unit tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace board_simulator {

enum class Wave { sine, square, triangle, sawtooth, ramp, noise, file };

inline std::optional<Wave> waveFromName(std::string_view name) {
  if (name == "sine") return Wave::sine;
  if (name == "square") return Wave::square;
  if (name == "triangle") return Wave::triangle;
  if (name == "sawtooth") return Wave::sawtooth;
  if (name == "ramp") return Wave::ramp;
  if (name == "noise") return Wave::noise;
  if (name.starts_with("file:")) return Wave::file;
  return std::nullopt;
}

// Produces the sample bytes one after another. Sample n of a periodic wave
// depends only on n, so the stream is the same however it is chunked.
class SampleSource {
 public:
  SampleSource(Wave wave, std::uint64_t period, std::vector<std::uint8_t> fileBytes = {})
      : wave_(wave), period_(period == 0 ? 1 : period), fileBytes_(std::move(fileBytes)) {}

  std::uint8_t sampleAt(std::uint64_t n) const {
    const std::uint64_t phase = n % period_;
    switch (wave_) {
      case Wave::sine: {
        const double angle =
            2.0 * std::numbers::pi * static_cast<double>(phase) / static_cast<double>(period_);
        return clampByte(std::lround(127.5 + 127.5 * std::sin(angle)));
      }
      case Wave::square:
        return phase < period_ / 2 ? 255 : 0;
      case Wave::triangle: {
        // Up from 0 to 255 in the first half, back down in the second.
        const std::uint64_t half = period_ / 2 == 0 ? 1 : period_ / 2;
        const std::uint64_t up = phase < half ? phase : period_ - phase;
        return clampByte(static_cast<long>(up * 255 / half));
      }
      case Wave::sawtooth:
        return static_cast<std::uint8_t>(phase * 256 / period_);
      case Wave::ramp:
        // Counting bytes: any lost or repeated byte breaks the sequence.
        return static_cast<std::uint8_t>(n & 0xFF);
      case Wave::noise: {
        // splitmix64 of the index: reproducible, independent of chunking.
        std::uint64_t z = n + 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint8_t>((z ^ (z >> 31)) & 0xFF);
      }
      case Wave::file:
        return fileBytes_.empty() ? 0 : fileBytes_[n % fileBytes_.size()];
    }
    return 0;
  }

  void fill(std::uint64_t first, std::uint8_t* out, std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) out[i] = sampleAt(first + i);
  }

 private:
  static std::uint8_t clampByte(long value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
  }

  Wave wave_;
  std::uint64_t period_;
  std::vector<std::uint8_t> fileBytes_;
};

constexpr std::uint64_t nanosecondsPerSecond = 1'000'000'000;

// Bytes due after `elapsed` nanoseconds at `rate` bytes per second, rounded
// down. Split into whole seconds so long runs cannot overflow.
constexpr std::uint64_t bytesDue(std::uint64_t rate, std::uint64_t elapsed) {
  return rate * (elapsed / nanosecondsPerSecond) +
         rate * (elapsed % nanosecondsPerSecond) / nanosecondsPerSecond;
}

// The first moment (nanoseconds from the start) at which `count` bytes are due.
constexpr std::uint64_t momentOfByte(std::uint64_t rate, std::uint64_t count) {
  if (rate == 0) return UINT64_MAX;
  const std::uint64_t whole = count / rate;
  const std::uint64_t rest = count % rate;
  return whole * nanosecondsPerSecond + (rest * nanosecondsPerSecond + rate - 1) / rate;
}

// How many bytes the simulator writes at once: about a millisecond's worth,
// so the stream stays smooth at high rates and low rates send single bytes.
constexpr std::uint64_t chunkBytes(std::uint64_t rate) {
  const std::uint64_t perMillisecond = rate / 1000;
  return perMillisecond < 1 ? 1 : perMillisecond > 4096 ? 4096 : perMillisecond;
}

}  // namespace board_simulator
