// What the program keeps, on a disk in memory: the safe save, the recording's two forms and its failures,
// the recorder fed by the main loop, the names, and the values behind the picture on screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/acquisition_rig.hpp"
#include "fakes/fake_clock.hpp"
#include "fakes/memory_files.hpp"
#include "fakes/memory_image_store.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_status_bar.hpp"
#include "recording/file_naming.hpp"
#include "recording/recorder.hpp"
#include "recording/safe_save.hpp"
#include "recording/values_table.hpp"
#include "render/plotter.hpp"

namespace kurvlux {
namespace {

using fakes::MemoryFiles;

TEST(SafeSave, TheNameHoldsTheOldFileOrTheWholeNewOneAndNoTemporaryStays) {
  struct Case {
    const char* name;
    std::function<void(MemoryFiles&)> fault;
    int result;
    std::string target;  // what "a.png" holds afterwards
  };
  const std::string fresh(10, 'n');
  const Case cases[] = {
      {"all well", [](MemoryFiles&) {}, 0, fresh},
      {"disk full on the second write", [](MemoryFiles& f) { f.writeLimit = 4, f.failingWrite = 2; }, -ENOSPC, "old"},
      {"rename refused", [](MemoryFiles& f) { f.renameError = -EXDEV; }, -EXDEV, "old"},
      {"folder not writable", [](MemoryFiles& f) { f.createError = -EACCES; }, -EACCES, "old"},
      {"a stale temporary file", [](MemoryFiles& f) { f.files["a.png.kurvlux-0.tmp"] = "stale"; }, 0, fresh},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFiles files;
    files.files["a.png"] = "old";
    c.fault(files);
    const bool staleBefore = files.fileExists("a.png.kurvlux-0.tmp");
    EXPECT_EQ(saveFileSafely(files, "a.png", fresh), c.result);
    EXPECT_EQ(files.files["a.png"], c.target);
    // Only what was there before stays beside the target.
    EXPECT_EQ(files.files.size(), staleBefore ? 2u : 1u);
    EXPECT_EQ(files.openFiles(), 0);
    if (c.result == 0) { EXPECT_EQ(files.syncs, 1) << "renamed before it was on the disk"; }
  }
}

struct Burst {
  std::vector<std::uint8_t> bytes;
  std::int64_t microseconds;
};

TEST(StreamRecording, HoldsEveryByteInOrderOrStopsAtTheFirstFailure) {
  struct Case {
    const char* path;
    std::size_t bufferSize;
    std::function<void(MemoryFiles&)> fault;
    std::vector<Burst> bursts;
    std::string file;  // contents after finish
    int error;
  };
  const std::string header = "sample,time_s,value\n";
  const std::vector<Burst> twoBursts = {{{0, 7, 255}, 0}, {{128}, 12'000'345}};
  std::vector<std::uint8_t> ramp(300);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i);
  const auto none = [](MemoryFiles&) {};
  const Case cases[] = {
      {"r.csv", 4096, none, twoBursts, header + "0,0.000000,0\n1,0.000000,7\n2,0.000000,255\n3,12.000345,128\n", 0},
      {"r.bin", 4096, none, twoBursts, std::string("\x00\x07\xff\x80", 4), 0},
      // A buffer far smaller than a burst, and a disk that takes little per write.
      {"r.raw", 7, [](MemoryFiles& f) { f.writeLimit = 5; }, {{ramp, 0}, {ramp, 1}},
       std::string(ramp.begin(), ramp.end()) + std::string(ramp.begin(), ramp.end()), 0},
      // Full after the first block of whole rows: the file keeps that block.
      {"r.csv", 120, [](MemoryFiles& f) { f.failingWrite = 2; }, {{ramp, 5}},
       header + "0,0.000005,0\n1,0.000005,1\n2,0.000005,2\n3,0.000005,3\n", -ENOSPC},
      {"r.bin", 200, [](MemoryFiles& f) { f.failingWrite = 2, f.writeError = -EIO; }, {{ramp, 0}},
       std::string(ramp.begin(), ramp.begin() + 200), -EIO},
      {"r.bin", 100, [](MemoryFiles& f) { f.removeFile("r.bin"), f.files["r.bin"] = ""; }, {{ramp, 0}}, "",
       fileRemovedError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " buffer " + std::to_string(c.bufferSize));
    MemoryFiles files;
    StreamRecording recording(files, c.path, c.bufferSize);
    ASSERT_EQ(recording.open(false), 0);
    c.fault(files);
    recording.begin();
    for (const Burst& burst : c.bursts) recording.append(burst.bytes.data(), burst.bytes.size(), burst.microseconds);
    EXPECT_EQ(recording.finish(), c.error);
    EXPECT_EQ(files.files[c.path], c.file);
    EXPECT_EQ(files.openFiles(), 0);
    if (c.error == 0) { EXPECT_EQ(recording.size(), static_cast<std::int64_t>(c.file.size())); }
  }
}

// The recorder as the loop feeds it: it begins at the connection, takes the
// bursts in order and ends with the connection, whichever way that ends.
TEST(Recorder, FedByTheLoopBeginsAtTheConnectionAndEndsWithIt) {
  struct Case {
    const char* name;
    std::function<void(fakes::AcquisitionRig&)> ending;
  };
  const Case cases[] = {
      {"the user disconnects", [](auto& rig) { rig.controls.at(connectToggleId).state = 0, rig.loop.runPass(); }},
      {"the port fails", [](auto& rig) { rig.ports.failStatusQuery = true, rig.loop.runPass(); }},
      {"the program ends", [](auto& rig) { rig.loop.shutDown(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFiles files;
    files.files["old.csv"] = "kept";
    std::int64_t now = 5'000'000;
    Recorder recorder(files, {[&] { return now; }, [] { return WallTime{2026, 12, 8, 4, 30, 0, 60}; }}, "Kurvlux 9.9");
    int changes = 0;
    recorder.onChange = [&] { ++changes; };
    EXPECT_EQ(recorder.start("old.csv", false), -EEXIST);
    ASSERT_EQ(recorder.start("r.csv", false), 0);
    fakes::AcquisitionRig rig;
    rig.loop.setStreamSink(&recorder);
    rig.connect();
    now += 1500;
    rig.passWith({10, 20});
    now += 7;
    rig.passWith({30});
    c.ending(rig);
    EXPECT_FALSE(recorder.active());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(files.files["old.csv"], "kept");
    EXPECT_EQ(files.files["r.csv"], "sample,time_s,value\n0,0.001500,10\n1,0.001500,20\n2,0.001507,30\n");
    EXPECT_EQ(files.files["r.csv.txt"], "Kurvlux 9.9 recording\nport: COM3\nbaud: 250000\nstart: 2026-12-08T04:30:00+01:00\n"
                                        "form: table: sample,time_s,value (arrival of the sample's burst)\n");
  }
}

TEST(FileNaming, NamesFormsSizesAndTimes) {
  const WallTime time{2026, 3, 4, 5, 6, 7, -150};
  EXPECT_EQ(isoTime(time), "2026-03-04T05:06:07-02:30");
  EXPECT_EQ(suggestedFileName(time, ".png"), "kurvlux-2026-03-04-050607.png");
  struct Name {
    std::string typed, picture, recording;
    RecordingForm form;
  };
  const Name names[] = {
      {"a", "a.png", "a.csv", RecordingForm::csv},
      {"dir.v2/a", "dir.v2/a.png", "dir.v2/a.csv", RecordingForm::csv},
      {"a.PNG", "a.PNG", "a.PNG", RecordingForm::raw},
      {"x/.hidden", "x/.hidden.png", "x/.hidden.csv", RecordingForm::csv},
      {"s.bin", "s.bin.png", "s.bin", RecordingForm::raw},
      {"s.Csv", "s.Csv.png", "s.Csv", RecordingForm::csv},
  };
  for (const Name& n : names) {
    SCOPED_TRACE(n.typed);
    EXPECT_EQ(withExtension(n.typed, ".png"), n.picture);
    EXPECT_EQ(recordingFileName(n.typed), n.recording);
    EXPECT_EQ(recordingForm(recordingFileName(n.typed)), n.form);
  }
  const std::pair<std::int64_t, Text> sizes[] = {{0, u"0 Bytes"}, {999, u"999 Bytes"}, {1000, u"1,0 kB"}, {1049, u"1,0 kB"},
      {1050, u"1,1 kB"}, {999'949, u"999,9 kB"}, {999'950, u"1,0 MB"}, {12'345'678, u"12,3 MB"}, {1'500'000'000, u"1,5 GB"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(sizeText(bytes), text) << bytes;
}

// The values must be those of the picture on screen: column c of the shown
// picture is traced exactly where values[c] puts it, and nowhere past them.
TEST(ShownValues, AreTheValuesOfThePictureOnScreen) {
  struct Case {
    const char* name;
    std::function<void(Plotter&)> draw;
    std::size_t count;
  };
  const auto draw = [](bool isScope) {
    return [isScope](Plotter& p, int n, int from = 0) {
      for (int i = from; i < from + n; ++i) isScope ? p.drawScopePoint((i * 37 + 11) % 256) : p.drawRollingPoint((i * 37 + 11) % 256, 0);
    };
  };
  const auto scope = draw(true), chart = draw(false);
  const Case cases[] = {
      {"a frame in progress shows nothing yet", [&](Plotter& p) { scope(p, 500); }, 0},
      {"a completed frame", [&](Plotter& p) { scope(p, 1001); }, 1000},
      {"a chart sweep in progress", [&](Plotter& p) { chart(p, 321); }, 321},
      {"a full sweep", [&](Plotter& p) { chart(p, 1001); }, 1000},
      {"after the wrap", [&](Plotter& p) { chart(p, 1001), chart(p, 4, 1001); }, 4},
      {"a mode change clears", [&](Plotter& p) { chart(p, 50), p.drawRollingPoint(0, rollingResetKind); }, 0},
      {"the snapshot shown again",
       [&](Plotter& p) { scope(p, 1001), p.drawRollingPoint(0, rollingResetKind), p.showSnapshot(); }, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::MemoryImageStore store;
    fakes::RecordingStatusBar statusBar;
    fakes::RecordingControls controls;
    controls.add(baudBoxId).text = u"250000";
    fakes::FakeClock clock;
    Plotter plotter{store, statusBar, controls, clock};
    plotter.buildCanvas();
    c.draw(plotter);
    const std::vector<std::uint8_t> values = plotter.shownValues().values();
    ASSERT_EQ(values.size(), c.count);
    const fakes::ShownPicture& shown = store.control(imageControlId)->lastShown;
    for (int x = 0; x < 1000; ++x) {
      bool traced = false;
      for (int y = 0; y < 256; ++y) traced = traced || shown.pixel(x, y) == 0xFF0000;
      ASSERT_EQ(traced, static_cast<std::size_t>(x) < values.size()) << "column " << x;
      if (traced) { ASSERT_EQ(shown.pixel(x, 255 - values[static_cast<std::size_t>(x)]), 0xFF0000u) << "column " << x; }
    }
  }
  EXPECT_EQ(valuesTable({7, 255}), "column,value\n0,7\n1,255\n");
}

}  // namespace
}  // namespace kurvlux
