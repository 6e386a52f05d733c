// The simulator's pacing arithmetic and sample shapes: the rate it promises
// comes from these numbers, and the tests read its bytes back by shape.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "../../tools/board_simulator/sample_stream.hpp"

namespace board_simulator {
namespace {

TEST(BoardSimulatorPacing, BytesDueRoundsDownWithoutOverflow) {
  struct Case {
    std::uint64_t rate;
    std::uint64_t elapsed;
    std::uint64_t due;
  };
  const Case cases[] = {
      {25000, 1'000'000'000, 25000},
      {25000, 10'000'000'000, 250000},
      {184320, 1'000'000, 184},
      {184320, 10'000'000'000, 1843200},
      {3, 333'333'333, 0},
      {3, 333'333'334, 1},
      {3, 2'999'999'999, 8},
      {100'000'000, 1'000'000'000'000'000, 100'000'000'000'000},  // 11.6 days
      {25000, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    SCOPED_TRACE(c.elapsed);
    EXPECT_EQ(bytesDue(c.rate, c.elapsed), c.due);
  }
}

TEST(BoardSimulatorPacing, MomentOfByteIsTheFirstMomentItIsDue) {
  for (const std::uint64_t rate : {1ull, 3ull, 7ull, 25000ull, 184320ull, 1'000'000ull, 99'999'989ull}) {
    for (const std::uint64_t count : {1ull, 2ull, 184ull, 999ull, 25001ull, 3'000'017ull}) {
      SCOPED_TRACE(rate);
      SCOPED_TRACE(count);
      const std::uint64_t moment = momentOfByte(rate, count);
      EXPECT_GE(bytesDue(rate, moment), count);
      EXPECT_LT(bytesDue(rate, moment - 1), count);
    }
  }
}

TEST(BoardSimulatorPacing, ChunksAreAboutAMillisecond) {
  EXPECT_EQ(chunkBytes(5), 1u);
  EXPECT_EQ(chunkBytes(25000), 25u);
  EXPECT_EQ(chunkBytes(184320), 184u);
  EXPECT_EQ(chunkBytes(100'000'000), 4096u);
}

TEST(BoardSimulatorWaves, ShapesAtKnownPhases) {
  struct Case {
    Wave wave;
    std::uint64_t n;
    std::uint8_t sample;
  };
  const Case cases[] = {
      {Wave::ramp, 0, 0},        {Wave::ramp, 255, 255},      {Wave::ramp, 256, 0},
      {Wave::ramp, 1000, 232},   {Wave::sine, 0, 128},        {Wave::sine, 250, 255},
      {Wave::sine, 500, 128},    {Wave::sine, 750, 0},        {Wave::sine, 1250, 255},
      {Wave::square, 0, 255},    {Wave::square, 499, 255},    {Wave::square, 500, 0},
      {Wave::square, 999, 0},    {Wave::square, 1000, 255},   {Wave::triangle, 0, 0},
      {Wave::triangle, 250, 127}, {Wave::triangle, 500, 255}, {Wave::triangle, 750, 127},
      {Wave::sawtooth, 0, 0},    {Wave::sawtooth, 500, 128},  {Wave::sawtooth, 999, 255},
      {Wave::sawtooth, 1000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.wave));
    SCOPED_TRACE(c.n);
    EXPECT_EQ(SampleSource(c.wave, 1000).sampleAt(c.n), c.sample);
  }
}

TEST(BoardSimulatorWaves, StreamDoesNotDependOnChunking) {
  for (const Wave wave : {Wave::sine, Wave::triangle, Wave::noise, Wave::ramp}) {
    const SampleSource source(wave, 37);
    std::array<std::uint8_t, 600> whole{};
    std::array<std::uint8_t, 600> pieces{};
    source.fill(1000, whole.data(), whole.size());
    std::size_t at = 0;
    for (const std::size_t step : {1u, 184u, 25u, 390u}) {
      source.fill(1000 + at, pieces.data() + at, step);
      at += step;
    }
    EXPECT_EQ(whole, pieces);
  }
}

TEST(BoardSimulatorWaves, NoiseCoversEveryByteAndFileLoops) {
  const SampleSource noise(Wave::noise, 1000);
  std::set<std::uint8_t> seen;
  for (std::uint64_t n = 0; n < 20000; ++n) seen.insert(noise.sampleAt(n));
  EXPECT_EQ(seen.size(), 256u);

  const SampleSource file(Wave::file, 1000, {7, 8, 9});
  EXPECT_EQ(file.sampleAt(0), 7);
  EXPECT_EQ(file.sampleAt(4), 8);
  EXPECT_EQ(file.sampleAt(3'000'000'002ull), 9);
}

TEST(BoardSimulatorWaves, NamesOnTheCommandLine) {
  EXPECT_EQ(waveFromName("ramp"), Wave::ramp);
  EXPECT_EQ(waveFromName("sawtooth"), Wave::sawtooth);
  EXPECT_EQ(waveFromName("file:samples.bin"), Wave::file);
  EXPECT_EQ(waveFromName("Sine"), std::nullopt);
  EXPECT_EQ(waveFromName("file"), std::nullopt);
}

}  // namespace
}  // namespace board_simulator
