// Keeping what the Linux program shows, through its menu as a screen reader's user reaches it: a recorded ramp
// holds every byte in order, a saved picture equals the canvas on the screen, and a full disk stops the
// recording with a box while the stream goes on. Every ending's recording: desktop_linux_test.cpp.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "e2e_linux/native_fixture.hpp"

namespace {

namespace fs = std::filesystem;
using kurvlux::connectToggleId;
using kurvlux::pauseToggleId;

const std::string title = "Kurvlux v1.0 [Vevi Version]";

// The one file in `folder` whose name ends so, empty while there is none.
fs::path onlyFile(const std::string& folder, const std::string& ending) {
  fs::path found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (endsWith(entry.path().string(), ending)) found = entry.path();
  }
  return found;
}

class Keeping : public NativeProgram {
 protected:
  void SetUp() override {
    home = workFolder() + "/keeping-home";
    fs::remove_all(home);
    fs::create_directories(home);
  }
  // The dialogs start in this home; GTK keeps its settings in memory.
  std::vector<std::string> settings() { return {"HOME=" + home, "GSETTINGS_BACKEND=memory"}; }
  std::string home;
};

TEST_F(Keeping, RecordsTheRampThroughTheMenuAndSavesThePictureAsShown) {
  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", "25000"}));
  ASSERT_TRUE(program.start({board.link()}, settings()));
  ASSERT_TRUE(pressConnect());
  ASSERT_TRUE(program.chooseFromCanvasMenu("Aufzeichnung starten"));
  ASSERT_TRUE(program.pressButton("Speichern"));
  ASSERT_TRUE(probe::waitUntil([&] { return program.title().rfind(title + " – Aufzeichnung: kurvlux-", 0) == 0; }))
      << program.title();
  const fs::path recording = onlyFile(home, ".csv");
  ASSERT_FALSE(recording.empty());
  // A few seconds of the ramp: written out in blocks of 64 KiB.
  ASSERT_TRUE(probe::waitUntil([&] { return fs::file_size(recording) >= 8 * 65536; }, 60000));
  ASSERT_TRUE(program.chooseFromCanvasMenu("Aufzeichnung beenden (" + recording.filename().string() + ", "));
  ASSERT_TRUE(probe::waitUntil([&] { return program.title() == title; })) << program.title();

  std::istringstream table(fileContents(recording));
  std::string row;
  std::getline(table, row);
  EXPECT_EQ(row, "sample,time_s,value");
  std::vector<int> values;
  long expected = 0;
  double lastTime = 0;
  while (std::getline(table, row)) {
    long sample = -1, value = -1;
    double time = -1;
    ASSERT_EQ(std::sscanf(row.c_str(), "%ld,%lf,%ld", &sample, &time, &value), 3) << row;
    ASSERT_EQ(sample, expected++) << row;
    ASSERT_GE(time, lastTime) << row;
    lastTime = time;
    values.push_back(static_cast<int>(value));
  }
  EXPECT_GT(values.size(), 25000u);
  EXPECT_EQ(firstBreakInRamp(values), values.size()) << "a byte lost or repeated";
  EXPECT_NE(fileContents(recording.string() + ".txt").find("\nbaud: 250000\n"), std::string::npos);

  // Paused, the picture stays as it is on the screen while it is saved.
  program.click(pauseToggleId);
  ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(pauseToggleId); }));
  const std::vector<std::uint32_t> screen = settledCanvas();
  ASSERT_TRUE(program.chooseFromCanvasMenu("Bild speichern"));
  ASSERT_TRUE(program.pressButton("Speichern"));
  fs::path picture;
  ASSERT_TRUE(probe::waitUntil([&] { return !(picture = onlyFile(home, ".png")).empty(); }));
  GdkPixbuf* saved = gdk_pixbuf_new_from_file(picture.c_str(), nullptr);
  ASSERT_NE(saved, nullptr);
  ASSERT_EQ(gdk_pixbuf_get_width(saved), 1000);
  ASSERT_EQ(gdk_pixbuf_get_height(saved), 256);
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 256; ++y) {
    const guchar* row = gdk_pixbuf_get_pixels(saved) + y * gdk_pixbuf_get_rowstride(saved);
    for (int x = 0; x < 1000; ++x, row += gdk_pixbuf_get_n_channels(saved)) {
      pixels.push_back(std::uint32_t{row[0]} << 16 | std::uint32_t{row[1]} << 8 | row[2]);
    }
  }
  EXPECT_STREQ(gdk_pixbuf_get_option(saved, "tEXt::Plot mode"), "Oszilloskop");
  g_object_unref(saved);
  EXPECT_EQ(differingPixels(pixels, screen), 0);
  EXPECT_TRUE(showsFullTrace(pixels));
}

TEST_F(Keeping, AFullDiskStopsTheRecordingWithABoxWhileStreamingGoesOn) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system takes root";
  const std::string full = workFolder() + "/full-disk";
  fs::create_directories(full);
  ASSERT_EQ(std::system(("mount -t tmpfs -o size=64k tmpfs '" + full + "'").c_str()), 0);
  struct Unmount {
    std::string folder;
    ~Unmount() { static_cast<void>(std::system(("umount '" + folder + "'").c_str())); }
  } unmount{full};
  // Declared after the mount, so it ends before the unmount, however the test ends.
  probe::Program recording;

  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", "25000"}));
  ASSERT_TRUE(recording.start({"--record", full + "/r.bin", board.link()}, settings()));
  EXPECT_EQ(recording.title(), title + " – Aufzeichnung: r.bin");
  recording.click(connectToggleId);
  const std::string said = recording.labelStartingWith("Aufzeichnung angehalten: ", 60000);
  EXPECT_EQ(said, "Aufzeichnung angehalten: Der Datenträger ist voll.\nWas bis dahin geschrieben wurde, steht in " + full +
                      "/r.bin.");
  EXPECT_TRUE(probe::waitUntil([&] { return recording.title() == title; })) << recording.title();
  // The box is still open: the stream goes on behind it.
  const std::vector<std::uint32_t> before = recording.canvasPixels();
  EXPECT_TRUE(probe::waitUntil([&] { return recording.canvasPixels() != before; }));
  ASSERT_TRUE(recording.pressButton("OK"));

  const std::string bytes = fileContents(full + "/r.bin");
  EXPECT_GE(bytes.size(), 32768u);
  EXPECT_EQ(firstBreakInRamp(bytes), bytes.size()) << "what was written stays a ramp";
  EXPECT_EQ(recording.close(), 0);
}

}  // namespace
