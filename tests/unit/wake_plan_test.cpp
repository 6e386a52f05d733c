// When an idle pass wakes again, and for how many bytes.
#include <gtest/gtest.h>

#include "acquisition/wake_plan.hpp"
#include "fakes/acquisition_rig.hpp"
#include "fakes/memory_files.hpp"
#include "recording/recorder.hpp"

namespace kurvlux {
namespace {

TEST(WakePlan, WakesForTheScreenTheStatisticsAndBeforeTheQueueFillsHalfway) {
  // 250000 baud carry 25000 bytes a second: 2048 bytes, half of what a
  // terminal holds, arrive in 81 ms, and a frame of 1001 in 40 ms; the port
  // is watched from 3 ms before a frame can be complete.
  // Situation as declared; the plan: watch the port, byte count, deadline.
  const struct {
    const char* state;
    WakeSituation situation;
    WakePlan plan;
  } cases[] = {
      {"scope, a frame starts",                     {false, true, true, 1001, 400, -1, 25000, 25000}, {false, 1, 37}},
      {"scope, statistics before the frame",        {false, true, true, 1001, 20, -1, 25000, 25000}, {false, 1, 17}},
      {"scope, 200 bytes to go",                    {false, true, true, 200, 400, -1, 25000, 25000}, {false, 1, 5}},
      {"scope, 120 bytes to go",                    {false, true, true, 120, 400, -1, 25000, 25000}, {true, 120, 397}},
      {"scope, 30 bytes complete the frame",        {false, true, true, 30, 400, -1, 25000, 25000}, {true, 30, 397}},
      {"scope, statistics due",                     {false, true, true, 30, 0, -1, 25000, 25000}, {true, 1, -1}},
      {"scope, statistics close with a chunk",      {false, true, true, 1001, 4, -1, 25000, 25000}, {true, 1, -1}},
      {"scope, board not heard yet",                {false, true, true, 1001, 900, -1, 25000, 0}, {true, 255, 897}},
      {"scope at 8 MB/s",                           {false, true, true, 1001, 400, -1, 25000, 8000000}, {true, 1, -1}},
      {"scope just below the limit",                {false, true, true, 1001, 400, -1, 25000, 499999}, {true, 255, 397}},
      {"scope paused",                              {true, true, true, 1001, 400, 150, 25000, 25000}, {false, 1, 81}},
      {"scope paused, statistics soon",             {true, true, true, 1001, 30, 150, 25000, 25000}, {false, 1, 30}},
      {"scope paused, re-show soon",                {true, true, true, 1001, 400, 20, 25000, 25000}, {false, 1, 20}},
      {"scope paused, board silent",                {true, true, true, 1001, 400, 150, 25000, 0}, {true, 1, 150}},
      {"scope paused, faster than the line",        {true, true, true, 1001, 400, 150, 25000, 400000}, {false, 1, 5}},
      {"scope paused, slower than the line",        {true, true, true, 1001, 400, 150, 25000, 12500}, {false, 1, 81}},
      {"scope paused at 8 MB/s",                    {true, true, true, 1001, 400, 150, 25000, 8000000}, {true, 1, 150}},
      {"scope unmapped",                            {false, false, true, 1001, 400, -1, 25000, 25000}, {false, 1, 81}},
      {"chart shown",                               {false, true, false, 1001, 400, -1, 25000, 25000}, {true, 1, -1}},
      {"chart unmapped: the pass rate is its pace", {false, false, false, 1001, 400, -1, 25000, 25000}, {true, 1, -1}},
      {"chart paused",                              {true, true, false, 1001, 40, 150, 25000, 25000}, {false, 1, 81}},
      {"a table, the board silent",                 {false, true, true, 1001, 900, -1, 25000, 0, true}, {true, 255, 897}},
  };
  for (const auto& c : cases) {
    const WakePlan plan = planWake(c.situation);
    EXPECT_EQ(plan, c.plan) << c.state << ": got " << plan.watchPort << " " << plan.byteCount << " "
                            << plan.deadline;
  }
}

TEST(WakePlan, TheLoopAsksForWhatItsFrameLacksAndGathersWhilePaused) {
  fakes::AcquisitionRig rig;
  rig.pump.plans = true;
  rig.connect();
  // 2299 bytes over 100 ms, two frames and 297 columns: the 704 to go take 28 ms.
  for (int i = 0; i < 10; ++i) rig.clock.advance(10), rig.passWith(std::vector<std::uint8_t>(i < 9 ? 250 : 49, 7));
  rig.clock.advance(10);
  const int finished = rig.plot.presentsFinished;
  const auto idlePass = [&](std::vector<std::string> port, fakes::Wait wait) {
    rig.forget(), rig.loop.runPass();
    EXPECT_EQ(rig.ports.log, port);
    EXPECT_EQ(rig.pump.waits, std::vector<fakes::Wait>{wait});
  };
  idlePass({"waiting 2"}, {0, 25});
  EXPECT_EQ(rig.plot.presentsFinished, finished + 1) << "a held-back present waits on";
  rig.passWith(std::vector<std::uint8_t>(702, 7));
  idlePass({"waiting 2", "wake count 2 2"}, {0x5150, 1000 - 110 - 3});
  rig.setPaused(true);
  idlePass({"waiting 2"}, {0, 81});
  fakes::MemoryFiles files;
  for (const std::string name : {"r.bin", "r.csv"}) {
    Recorder recording(files, {[] { return std::int64_t{0}; }, [] { return WallTime{}; }}, "Kurvlux");
    ASSERT_EQ(recording.start(name, false), 0);
    rig.loop.setStreamSink(&recording);
    idlePass({"waiting 2"}, {0, name == "r.csv" ? 5 : 81}), rig.loop.setStreamSink(nullptr);
  }
}

}  // namespace
}  // namespace kurvlux
