// The GTK layer against a real display (Xvfb): geometry, control kinds,
// status fields, the pictures the canvas control paints, the close event,
// the info boxes and Tab.
#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/plot_modes.hpp"
#include "fakes/memory_image_store.hpp"
#include "render/canvas.hpp"
#include "render/image_store_gtk.hpp"
#include "render/raster.hpp"
#include "serial/line_speed_posix.hpp"
#include "text/utf8_text.hpp"
#include "serial/port_names.hpp"
#include "ui/info_message.hpp"
#include "ui/list_refresh_gtk.hpp"
#include "ui/status_fields.hpp"
#include "ui/user_interface_gtk.hpp"

namespace kurvlux {
namespace {

// Lets GTK lay out and paint until nothing is left to do.
void settle() {
  for (int round = 0; round < 20; ++round) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    g_usleep(2000);
  }
}

GtkAllocation allocationIn(GtkWidget* widget, GtkWidget* ancestor) {
  GtkAllocation box{};
  gtk_widget_get_allocation(widget, &box);
  int x = 0, y = 0;
  gtk_widget_translate_coordinates(widget, ancestor, 0, 0, &x, &y);
  return GtkAllocation{x, y, box.width, box.height};
}

class GtkShell : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "needs a display";
    ui = new UserInterfaceGtk(plotModeNames);
    settle();
  }
  static void TearDownTestSuite() {
    delete ui;
    ui = nullptr;
  }
  static GtkWidget* bar() { return GTK_WIDGET(ui->statusBars().statusBarHandle(statusBarId)); }
  static UserInterfaceGtk* ui;
};

UserInterfaceGtk* GtkShell::ui = nullptr;

TEST_F(GtkShell, WindowAndControlsHaveTheWindowsGeometry) {
  GtkWindow* window = ui->mainWindow().window();
  EXPECT_STREQ(gtk_window_get_title(window), "Kurvlux v1.0 [Vevi Version]");
  EXPECT_FALSE(gtk_window_get_resizable(window));
  GdkPixbuf* icon = gtk_window_get_icon(window);
  ASSERT_NE(icon, nullptr) << "the built-in icon did not load";
  EXPECT_EQ(gdk_pixbuf_get_width(icon), 48);
  const GtkAllocation client = allocationIn(GTK_WIDGET(ui->mainWindow().layout()), GTK_WIDGET(window));
  EXPECT_EQ(client.width, 1000);
  EXPECT_EQ(client.height, 279);
  ASSERT_NE(bar(), nullptr);
  const GtkAllocation strip = allocationIn(bar(), GTK_WIDGET(ui->mainWindow().layout()));
  EXPECT_EQ(strip.x, 0);
  EXPECT_EQ(strip.width, 1000);
  EXPECT_EQ(strip.y + strip.height, 279);

  for (const ControlLayout& layout : controlLayouts) {
    SCOPED_TRACE(layout.id);
    GtkWidget* control = ui->controls().controlWidget(layout.id);
    ASSERT_NE(control, nullptr);
    const GtkAllocation box = allocationIn(control, bar());
    EXPECT_EQ(box.x, layout.x);
    EXPECT_EQ(box.y, 3);
    EXPECT_EQ(box.width, layout.width);
    EXPECT_EQ(box.height, 18) << "the theme's minimum height leaks through the style sheet";
    EXPECT_TRUE(gtk_widget_is_sensitive(control));
    // A screen reader names a box by its tip, a button by its caption.
    GtkWidget* focus = focusWidget(control);
    EXPECT_EQ(atk_object_get_name(gtk_widget_get_accessible(focus)),
              utf8FromText(layout.caption ? layout.caption : layout.tooltip));
    EXPECT_EQ(atk_object_get_description(gtk_widget_get_accessible(control)), utf8FromText(layout.tooltip));
    if (GTK_IS_ENTRY(focus)) {
      int textWidth = 0;
      pango_layout_get_pixel_size(gtk_entry_get_layout(GTK_ENTRY(focus)), &textWidth, nullptr);
      GdkRectangle area{};
      gtk_entry_get_text_area(GTK_ENTRY(focus), &area);
      EXPECT_LE(textWidth, area.width) << gtk_entry_get_text(GTK_ENTRY(focus)) << " is cut";
    }
  }
  // Each field's frame: x, y, width, height.
  const GtkAllocation frames[] = {{0, 2, 68, 20}, {70, 2, 98, 20}, {170, 2, 98, 20}, {270, 2, 118, 20}, {390, 2, 78, 20}};
  for (std::size_t i = 0; i < std::size(frames); ++i) {
    SCOPED_TRACE(i);
    const GtkAllocation frame = allocationIn(ui->statusBars().field(statusBarId, static_cast<int>(i))->frame, bar());
    EXPECT_EQ(std::vector<int>({frame.x, frame.y, frame.width, frame.height}),
              std::vector<int>({frames[i].x, frames[i].y, frames[i].width, frames[i].height}));
  }
}

TEST_F(GtkShell, ControlKindsAnswerAsOnWindows) {
  ControlTableGtk& controls = ui->controls();
  struct Expect {
    int id;
    int items;
    const char16_t* text;
    std::intptr_t state;
  };
  for (const Expect& e : {Expect{baudBoxId, 24, u"250000", -1}, Expect{modeListId, 8, u"Oszilloskop", 0},
                          Expect{thresholdBoxId, 257, u"aus", -1}, Expect{portBoxId, 0, u"", -1},
                          Expect{connectToggleId, -1, u"Verbinden", 0}, Expect{infoToggleId, -1, u"Info", 0}}) {
    SCOPED_TRACE(e.id);
    GtkWidget* control = controls.controlWidget(e.id);
    if (e.items >= 0) {
      EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(control)), nullptr), e.items);
    }
    EXPECT_EQ(controls.controlText(e.id), Text(e.text));
    EXPECT_EQ(controls.controlState(e.id), e.state);
  }
  // The list takes a known name in any letter case and ignores the rest.
  controls.setControlText(modeListId, u"PLOT (0.1S)");
  EXPECT_EQ(controls.controlState(modeListId), 3);
  controls.setControlText(modeListId, u"Zeitlupe");
  EXPECT_EQ(controls.controlText(modeListId), u"Plot (0.1s)");
  controls.setControlText(modeListId, u"oszilloskop");
  EXPECT_EQ(controls.controlState(modeListId), 0);
  // Choosing an item of an editable box shows it in the entry; typing over
  // it is what the box then reads.
  controls.setControlState(thresholdBoxId, 129);
  EXPECT_EQ(controls.controlText(thresholdBoxId), u"128");
  controls.setControlText(thresholdBoxId, u"aus");
  EXPECT_EQ(controls.controlText(thresholdBoxId), u"aus");
  controls.setControlState(pauseToggleId, 1);
  EXPECT_EQ(controls.controlState(pauseToggleId), 1);
  controls.setControlState(pauseToggleId, 0);
  controls.disableControl(baudBoxId, 1);
  EXPECT_FALSE(gtk_widget_is_sensitive(controls.controlWidget(baudBoxId)));
  controls.disableControl(baudBoxId, 0);
  EXPECT_TRUE(gtk_widget_is_sensitive(controls.controlWidget(baudBoxId)));
  EXPECT_EQ(controls.controlState(99), 0);
  EXPECT_EQ(controls.controlText(99), u"");
}

TEST_F(GtkShell, StatusFieldsShowTextsAndTheLoadBar) {
  StatusBarGtk& status = ui->statusBars();
  const char* idle[] = {"0 FPS", "0 Werte/s", "0 ms/DIV", "COM-Auslastung: "};
  const float alignment[] = {0.5f, 0.5f, 0.5f, 1.0f};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(status.field(statusBarId, i)->label)), idle[i]);
    EXPECT_EQ(gtk_label_get_xalign(GTK_LABEL(status.field(statusBarId, i)->label)), alignment[i]);
  }
  EXPECT_EQ(gtk_frame_get_shadow_type(GTK_FRAME(status.field(statusBarId, 3)->frame)), GTK_SHADOW_NONE);
  const StatusBarGtk::Field* load = status.field(statusBarId, 4);
  ASSERT_NE(load->progressBar, nullptr);
  EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(load->progressBar)), "COM-Auslastung");
  struct Step {
    int value, minimum, maximum;
    double fraction;
  };
  for (const Step& s : {Step{5, 0, 10, 0.5}, Step{30000, 0, 25000, 1.0}, Step{-3, 0, 10, 0.0},
                        Step{7, keepProgressBound, keepProgressBound, 0.7}}) {
    status.setStatusProgress(statusBarId, 4, s.value, 0, s.minimum, s.maximum);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(load->progressBar)), s.fraction);
  }
  // A text on the progress field hides the bar; the next progress shows it again.
  status.setStatusText(statusBarId, 4, u"x", statusCentred);
  EXPECT_FALSE(gtk_widget_get_visible(load->progressBar));
  status.setStatusProgress(statusBarId, 4, 0, 0, 0, 10);
  EXPECT_TRUE(gtk_widget_get_visible(load->progressBar));
  EXPECT_FALSE(gtk_widget_get_visible(load->label));
  writeIdleStatus(status);
}

// The pixel the control paints at (x, y) of a screen of that scale, as 0xRRGGBB.
std::uint32_t paintedPixel(GtkWidget* area, int x, int y, int scale = 1) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000 * scale, 256 * scale);
  cairo_surface_set_device_scale(surface, scale, scale);
  cairo_t* cairo = cairo_create(surface);
  gtk_widget_draw(area, cairo);
  cairo_destroy(cairo);
  cairo_surface_flush(surface);
  const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  const std::uint32_t pixel = reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
  cairo_surface_destroy(surface);
  return pixel;
}

// Waits until the screen shows the 1000 x 256 picture (24-bit bottom-up
// memory) where the control is; if it never does, says how much differs.
::testing::AssertionResult screenShows(GtkWidget* area, const std::vector<std::uint8_t>& picture) {
  long differing = -1;
  for (int round = 0; round < 1000 && differing != 0; ++round) {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    GtkAllocation box{};
    gtk_widget_get_allocation(area, &box);
    GdkPixbuf* screen = gdk_pixbuf_get_from_window(gtk_widget_get_window(area), box.x, box.y, 1000, 256);
    if (screen == nullptr || picture.size() != 3000 * 256) continue;
    const int stride = gdk_pixbuf_get_rowstride(screen), channels = gdk_pixbuf_get_n_channels(screen);
    differing = 0;
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 1000; ++x) {
        const guchar* shown = gdk_pixbuf_get_pixels(screen) + y * stride + x * channels;
        const std::uint8_t* wanted = picture.data() + (255 - y) * 3000 + 3 * x;
        differing += shown[0] != wanted[2] || shown[1] != wanted[1] || shown[2] != wanted[0];
      }
    }
    g_object_unref(screen);
    if (differing != 0) g_usleep(5000);
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ (-1: nothing on screen)";
}

// The canvas over the GTK store next to one over plain memory: GTK paints at
// its own pace, yet the screen must come to show exactly the picture last
// shown, never one still being drawn.
TEST_F(GtkShell, ScreenShowsThePictureLastShownWhileDrawingGoesOn) {
  ImageStoreGtk images(ui->controls());
  fakes::MemoryImageStore memory;
  PlotCanvas canvas(images), reference(memory);
  canvas.buildCanvas();
  reference.buildCanvas();
  GtkWidget* area = ui->controls().controlWidget(imageControlId);
  ASSERT_NE(area, nullptr);
  int width = 0, height = 0;
  gtk_widget_get_size_request(area, &width, &height);
  EXPECT_EQ(height, 256) << "the control takes the image's size";
  using Canvas = PlotCanvas&;
  using Store = ImageStore&;
  const std::vector<std::pair<const char*, std::function<void(Canvas, Store)>>> steps = {
      {"a chart column, the next one drawn before the paint",
       [](Canvas c, Store) { c.drawLine(300, 0, 300, 255, 0xFF), c.presentCanvas(), c.drawLine(301, 0, 301, 9, 0); }},
      // Back to pixels painted before: a conversion that missed part of the
      // last change would leave it standing.
      {"a chart reset", [](Canvas c, Store) { c.clearCanvas(), c.showCanvas(); }},
      {"a short trace step", [](Canvas c, Store) { c.drawLine(400, 100, 410, 104, 0xFF0000), c.presentCanvas(); }},
      {"a chart reset, a line drawn before the paint",
       [](Canvas c, Store) { c.clearCanvas(), c.showCanvas(), c.drawLine(0, 9, 999, 9, 0xFF); }},
      {"an oscilloscope frame drawn leftwards",
       [](Canvas c, Store) { c.drawLine(900, 20, 100, 240, 0xFF), c.presentAndClear(), c.drawLine(5, 5, 9, 6, 0); }},
      {"another frame", [](Canvas c, Store) { c.drawLine(10, 10, 20, 200, 0xFF0000), c.presentAndClear(); }},
      // Handles go with the pixels, so the control still finds its picture,
      // which no later copy or drawing changes. The canvas's own view is
      // stale afterwards, so this comes last.
      {"a swap and a copy while a paint is due", [](Canvas, Store s) {
         s.stopDrawing(), s.showImage(imageControlId, 4), s.swapImages(4, 3), s.copyImage(4, 3);
         DrawingTarget(s.startDrawing(4)).fillBox(0, 0, 1000, 256, 0);
       }},
  };
  for (const auto& [what, step] : steps) {
    // Each step starts after the display's frame, so the canvas holds no
    // present back and each picture shown is one the reference shows.
    while (images.showPending(imageControlId)) gtk_main_iteration_do(TRUE);
    step(canvas, images);
    step(reference, memory);
    EXPECT_TRUE(screenShows(area, memory.control(imageControlId)->lastShown.pixels)) << what;
  }
  gtk_widget_destroy(area);
  ui->controls().registerControl(imageControlId, nullptr, ControlKindGtk{});
}

TEST_F(GtkShell, ImageControlPaintsSharpBlocksAndOutlivesItsStore) {
  std::optional<ImageStoreGtk> store(std::in_place, ui->controls());
  ImageStoreGtk& images = *store;
  images.createImage(4, 1000, 256);
  images.createImageControl(imageControlId, 0, 0, 1000, 300, images.imageHandle(4));
  GtkWidget* area = ui->controls().controlWidget(imageControlId);
  ASSERT_NE(area, nullptr);
  {
    DrawingTarget target(images.startDrawing(4));
    target.fillBox(0, 0, 1000, 256, 0xFFFFFF);
    target.drawLine(10, 200, 20, 200, 0x0000FF);
    images.stopDrawing();
  }
  images.showImage(imageControlId, 4);
  settle();
  // On a scaled screen each pixel of the red line is a sharp block.
  for (const int scale : {1, 2, 3}) {
    for (int row = 200 * scale - 1; row <= 201 * scale; ++row) {
      const bool inLine = row >= 200 * scale && row < 201 * scale;
      EXPECT_EQ(paintedPixel(area, 15 * scale, row, scale), inLine ? 0xFF0000u : 0xFFFFFFu) << scale << " " << row;
    }
  }
  // The window outlives the store; nothing may paint from it then.
  store.reset();
  EXPECT_EQ(g_signal_handler_find(area, G_SIGNAL_MATCH_ID, g_signal_lookup("draw", GTK_TYPE_WIDGET), 0, nullptr,
                                  nullptr, nullptr), 0u);
  EXPECT_EQ(ui->controls().controlState(imageControlId), 0);
  gtk_widget_destroy(area);
  ui->controls().registerControl(imageControlId, nullptr, ControlKindGtk{});
}

TEST_F(GtkShell, PaintCoversOnlyWhereDrawingChangedTheLastShownPicture) {
  ImageStoreGtk images(ui->controls());
  images.createImage(4, 1000, 256);
  images.createImage(3, 1000, 256);
  images.createImageControl(imageControlId, 0, 0, 1000, 300, images.imageHandle(4));
  GtkWidget* area = ui->controls().controlWidget(imageControlId);
  ASSERT_NE(area, nullptr);
  settle();
  EXPECT_EQ(paintedPixel(area, 0, 0), 0u);
  EXPECT_EQ(images.paintedPixels(), 1000 * 256);
  // Frames as the oscilloscope presents them, one pixel each, alternately on
  // the two images; the next frame is being drawn while GTK paints.
  for (int frame = 0; frame < 50; ++frame) {
    DrawingTarget target(images.startDrawing(4));
    target.fillBox(100 + frame, 50, 1, 1, 0xFFFFFF);
    target.reportWritten(), images.stopDrawing();
    ASSERT_TRUE(images.swapImages(4, 3));
    images.showImage(imageControlId, 3);
  }
  DrawingTarget target(images.startDrawing(4));
  target.fillBox(0, 0, 1000, 256, 0x00FF00), target.reportWritten();
  EXPECT_EQ(paintedPixel(area, 149, 50), 0xFFFFFFu);
  EXPECT_EQ(paintedPixel(area, 148, 50), 0u);
  EXPECT_EQ(paintedPixel(area, 0, 0), 0u);
  images.stopDrawing();
  // Showing the same picture again paints nothing.
  const std::int64_t painted = images.paintedPixels();
  images.showImage(imageControlId, 3);
  EXPECT_FALSE(images.showPending(imageControlId));
  EXPECT_EQ(images.paintedPixels(), painted);
  // Chart columns, a diagonal of 50 on green, each presented as a chart does
  // (drawn on 4, copied into 3, 4 shown and opened again): each paints its
  // one pixel.
  images.copyImage(4, 3), images.showImage(imageControlId, 3), paintedPixel(area, 0, 0);
  const std::int64_t green = images.paintedPixels();
  for (int x = 200; x < 250; ++x) {
    DrawingTarget column(images.startDrawing(4));
    column.drawLine(x, x - 150, x, x - 150, 0xFF), column.reportWritten();
    images.stopDrawing(), images.copyImage(4, 3), images.showImage(imageControlId, 4);
  }
  images.startDrawing(4);
  EXPECT_EQ(images.paintedPixels(), green + 50);
  EXPECT_EQ(paintedPixel(area, 249, 99), 0xFF0000u);
  EXPECT_EQ(paintedPixel(area, 200, 50), 0xFF0000u);
  images.stopDrawing();
  gtk_widget_destroy(area);
  ui->controls().registerControl(imageControlId, nullptr, ControlKindGtk{});
}

TEST_F(GtkShell, CloseRequestsBecomeOneCloseEvent) {
  EventPumpGtk& pump = ui->eventPump();
  settle();
  for (int i = 0; i < 3; ++i) gtk_window_close(ui->mainWindow().window());
  EXPECT_EQ(pump.fetchEvent(), closeEvent);
  EXPECT_EQ(pump.fetchEvent(), 0);
  EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(ui->mainWindow().window()))) << "the loop ends the program, not GTK";
}

// A wait that nothing wakes lasts until the sooner of its deadline and the
// context's next timer, measured on the monotonic clock: a lower bound
// only, so that a wait returning at once (the loop spinning) fails here.
TEST_F(GtkShell, AnIdleWaitEndsWithWhatTheLoopWaitsFor) {
  EventPumpGtk& pump = ui->eventPump();
  // A wait that does not end is this test's failure: the alarm ends the
  // process, after the case's name was printed. The wait runs on a context
  // of its own, so no timer of GTK's ends it by chance.
  signal(SIGALRM, SIG_DFL);
  GMainContext* quiet = g_main_context_new();
  // Every port is asked to wake only once 100 bytes wait: a terminal honours
  // that, a pipe (as a port whose line discipline ignores it) wakes anyway.
  const struct {
    const char* what;
    int bytes;
    bool terminal, hungUp, recorded;
    int milliseconds;
    int timer;  // a timeout source on the context, 0: none
    int lasts;  // at least, in milliseconds
  } cases[] = {
      {"a byte at a port without a count",  1, false, false, false, noDeadline, 0, 0},
      {"ten of a hundred bytes at a terminal", 10, true, false, false, 150, 0, 150},
      {"a hundred bytes at a terminal",   100, true,  false, false, noDeadline, 0, 0},
      {"the port hung up",                  0, false, true,  false, noDeadline, 0, 0},
      {"a recorded close",                  0, false, false, true,  noDeadline, 0, 0},
      {"the deadline",                      0, false, false, false, 150,        0, 150},
      {"a timer before the deadline",       0, false, false, false, 60000,    150, 150},
      {"the deadline before a timer",       0, false, false, false, 150,    60000, 150},
      {"a timer, no deadline",              0, false, false, false, noDeadline, 150, 150},
  };
  for (const auto& c : cases) {
    settle();
    int port[2];  // read, write
    if (c.terminal) {
      termios raw{};
      ASSERT_EQ(openpty(&port[1], &port[0], nullptr, nullptr, nullptr), 0);
      ASSERT_EQ(tcgetattr(port[0], &raw), 0);
      cfmakeraw(&raw), fcntl(port[0], F_SETFL, O_NONBLOCK);
      ASSERT_EQ(tcsetattr(port[0], TCSANOW, &raw), 0);
    } else {
      ASSERT_EQ(pipe(port), 0);
    }
    EXPECT_EQ(setReadMinimum(port[0], 100), c.terminal) << c.what;
    ASSERT_EQ(write(port[1], std::string(c.bytes, 'x').data(), c.bytes), c.bytes);
    if (c.hungUp) close(port[1]);
    if (c.recorded) ui->mainWindow().recordClose();
    timespec before{}, after{};
    clock_gettime(CLOCK_MONOTONIC, &before);
    GSource* timer = c.timer ? g_timeout_source_new(static_cast<guint>(c.timer)) : nullptr;
    if (timer) {
      g_source_set_callback(timer, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
      g_source_attach(timer, quiet);
    }
    std::fprintf(stderr, "waiting for %s\n", c.what);
    alarm(30);
    g_main_context_push_thread_default(quiet);
    pump.waitForInput(static_cast<std::uintptr_t>(port[0]), c.milliseconds);
    clock_gettime(CLOCK_MONOTONIC, &after);
    g_main_context_pop_thread_default(quiet);
    alarm(0);
    if (timer) {
      g_source_destroy(timer);
      g_source_unref(timer);
    }
    if (!c.hungUp) close(port[1]);
    close(port[0]);
    const double waited = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_GE(waited, c.lasts) << c.what << ": returned before anything woke it";
    EXPECT_EQ(pump.fetchEvent(), c.recorded ? closeEvent : 0) << c.what;
  }
  g_main_context_unref(quiet);
}

TEST(ClockPosix, CountsTheMonotonicClock) {
  timespec before{}, after{};
  clock_gettime(CLOCK_MONOTONIC, &before);
  const std::uint32_t tick = ClockPosix().tickCount();
  clock_gettime(CLOCK_MONOTONIC, &after);
  auto ms = [](const timespec& t) { return static_cast<std::uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000); };
  EXPECT_LE(tick - ms(before), ms(after) - ms(before)) << "not the monotonic clock";
}

struct SeenBox {
  std::string title;
  std::string text;
  bool fixedWidth = false;
  bool modalOverMainWindow = false;
  std::intptr_t infoState = -1;
};

struct BoxWatch {
  std::vector<SeenBox> seen;
  UserInterfaceGtk* ui = nullptr;
};

// Whether the label's own font sets "iiiiiiii" as wide as "MMMMMMMM".
bool fixedWidth(GtkWidget* label) {
  auto width = [label](const char* text) {
    PangoLayout* layout = gtk_widget_create_pango_layout(label, text);
    pango_layout_set_attributes(layout, gtk_label_get_attributes(GTK_LABEL(label)));
    int pixels = 0;
    pango_layout_get_pixel_size(layout, &pixels, nullptr);
    g_object_unref(layout);
    return pixels;
  };
  return width("iiiiiiii") == width("MMMMMMMM");
}

// Reads the open info box and the info button's state, then presses OK.
gboolean answerBox(gpointer data) {
  auto* watch = static_cast<BoxWatch*>(data);
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item; item = item->next) {
    if (!GTK_IS_DIALOG(item->data) || !gtk_widget_get_visible(GTK_WIDGET(item->data))) continue;
    GtkDialog* dialog = GTK_DIALOG(item->data);
    GList* children = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(dialog)));
    for (GList* child = children; child; child = child->next) {
      if (!GTK_IS_LABEL(child->data)) continue;
      SeenBox box;
      box.title = gtk_window_get_title(GTK_WINDOW(dialog));
      box.text = gtk_label_get_text(GTK_LABEL(child->data));
      box.fixedWidth = fixedWidth(GTK_WIDGET(child->data));
      box.modalOverMainWindow = gtk_window_get_modal(GTK_WINDOW(dialog)) &&
                                gtk_window_get_transient_for(GTK_WINDOW(dialog)) == watch->ui->mainWindow().window();
      box.infoState = watch->ui->controls().controlState(infoToggleId);
      watch->seen.push_back(box);
    }
    g_list_free(children);
    gtk_dialog_response(dialog, GTK_RESPONSE_OK);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

TEST_F(GtkShell, InfoShowsTwoModalBoxesWithTheButtonAlreadyReleased) {
  BoxWatch watch;
  watch.ui = ui;
  // A theme that gives every label a proportional font and knows no
  // "monospace" class.
  GtkCssProvider* theme = gtk_css_provider_new();
  gtk_css_provider_load_from_data(theme, "label { font-family: \"DejaVu Sans\"; }", -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(theme),
                                            GTK_STYLE_PROVIDER_PRIORITY_USER);
  const guint timer = g_timeout_add(50, answerBox, &watch);
  ui->controls().setControlState(infoToggleId, 1);
  runInfoSequence(ui->controls(), ui->eventPump());
  g_source_remove(timer);
  gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(theme));
  g_object_unref(theme);

  const std::vector<SeenBox>& seen = watch.seen;
  ASSERT_EQ(seen.size(), 2u);
  auto withoutReturns = [](Text text) {
    std::erase(text, u'\r');
    return text;
  };
  EXPECT_EQ(seen[0].title, "Kurvlux v1.0 [Vevi Version]");
  EXPECT_EQ(textFromUtf8(seen[0].text), withoutReturns(infoText()));
  EXPECT_EQ(textFromUtf8(seen[1].text), withoutReturns(sketchText()));
  EXPECT_FALSE(seen[0].fixedWidth);
  EXPECT_TRUE(seen[1].fixedWidth);
  for (const SeenBox& box : seen) {
    EXPECT_EQ(box.infoState, 0);
    EXPECT_TRUE(box.modalOverMainWindow);
  }
}

TEST_F(GtkShell, TabWalksTheControlsLeftToRightAndSkipsDisabledOnes) {
  MainWindowGtk& window = ui->mainWindow();
  ControlTableGtk& controls = ui->controls();
  auto focusedId = [&] {
    GtkWidget* focus = gtk_window_get_focus(window.window());
    for (const ControlLayout& layout : controlLayouts) {
      GtkWidget* control = controls.controlWidget(layout.id);
      if (focus && (focus == control || gtk_widget_is_ancestor(focus, control))) return layout.id;
    }
    return -1;
  };
  gtk_window_set_focus(window.window(), nullptr);
  std::vector<int> forward;
  for (int i = 0; i < 8; ++i) {
    window.cycleFocus(true);
    forward.push_back(focusedId());
  }
  EXPECT_EQ(forward, (std::vector<int>{6, 7, 10, 8, 9, 11, 12, 6}));

  controls.disableControl(portBoxId, 1);
  controls.disableControl(baudBoxId, 1);
  gtk_window_set_focus(window.window(), nullptr);
  std::vector<int> backward;
  for (int i = 0; i < 6; ++i) {
    window.cycleFocus(false);
    backward.push_back(focusedId());
  }
  EXPECT_EQ(backward, (std::vector<int>{12, 11, 9, 8, 10, 12}));
  controls.disableControl(portBoxId, 0);
  controls.disableControl(baudBoxId, 0);
}

// The port box opened by a click, Alt+Down, a screen reader's action and while connected, over a stand-in listing.
TEST_F(GtkShell, PortListIsTakenAfreshEachTimeItOpensAndKeepsTheEntryText) {
  GtkWidget* box = ui->controls().controlWidget(portBoxId);
  std::vector<Text> listed, onScreen;
  // The items the moment the list is on screen, before any later handler could change them.
  const gulong watch = g_signal_connect(box, "notify::popup-shown", G_CALLBACK(+[](GtkWidget* combo, GParamSpec*, gpointer seen) {
    *static_cast<std::vector<Text>*>(seen) = comboItems(combo);
  }), &onScreen);
  ListRefreshGtk refresh(box, [&](const std::vector<Text>& shown) { return refreshedPortItems(shown, {u"pts/7"}, listed, normalisedPath); });
  // Through the X server as a user's click and keys come (to the window under the pointer).
  const auto xdotool = [box](const std::string& action) {
    GtkWidget* arrow = comboArrow(box);
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(arrow), &x, &y);
    GtkAllocation at{};
    gtk_widget_get_allocation(arrow, &at);
    const std::string command = "xdotool mousemove " + std::to_string(x + at.x + at.width / 2) + " " + std::to_string(y + at.y + at.height / 2) + " " + action;
    EXPECT_TRUE(g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, nullptr, nullptr)) << command;
  };
  const auto click = [&] { xdotool("click 1"); };
  const auto altDown = [&] { xdotool("key alt+Down"); };
  const auto action = [box] { atk_action_do_action(ATK_ACTION(gtk_widget_get_accessible(box)), 0); };
  const auto connected = [box] { gtk_widget_set_sensitive(box, FALSE); gtk_combo_box_popup(GTK_COMBO_BOX(box)); };
  struct Row {
    const char* event;
    std::function<void()> open;
    std::vector<Text> listed;
    int chosen;  // the row chosen before opening; -1: the text typed stays
    std::vector<Text> items;
    const char16_t* entry;
  };
  const Row rows[] = {
      {"click, one device",        click,     {u"/dev/ttyS0"},                  -1, {u"pts/7", u"ttyS0"},             u"ttyGone"},
      {"Alt+Down, plugged in",     altDown,   {u"/dev/ttyS0", u"/dev/ttyACM0"}, -1, {u"pts/7", u"ttyS0", u"ttyACM0"}, u"ttyGone"},
      {"action, reset as ttyACM1", action,    {u"/dev/ttyACM1", u"/dev/ttyS0"}, 2,  {u"pts/7", u"ttyACM1", u"ttyS0"}, u"ttyACM0"},
      {"opened while connected",   connected, {},                               -1, {u"pts/7", u"ttyACM1", u"ttyS0"}, u"ttyACM0"},
  };
  ui->controls().setControlText(portBoxId, u"ttyGone");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.event);
    listed = row.listed;
    if (row.chosen >= 0) ui->controls().setControlState(portBoxId, row.chosen);
    onScreen.clear();
    row.open();
    for (int round = 0; round < 250 && onScreen.empty(); ++round) settle();
    EXPECT_EQ(onScreen, row.items) << "the list did not open, or opened with other items";
    EXPECT_EQ(ui->controls().controlText(portBoxId), row.entry);
    gtk_combo_box_popdown(GTK_COMBO_BOX(box));
  }
  g_signal_handler_disconnect(box, watch);
  gtk_widget_set_sensitive(box, TRUE);
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(box));
  ui->controls().setControlText(portBoxId, u"");
}

// A by-id name: the list opens as wide as the name, the tooltip names the
// device in full, and the box keeps its width.
TEST_F(GtkShell, ALongPortNameShowsInFullInTheListAndTheTooltip) {
  GtkWidget* box = ui->controls().controlWidget(portBoxId);
  const std::string name = "serial/by-id/usb-Arduino__www.arduino.cc__0043_75833353035351F0E1C2-if00";
  ui->controls().addControlItem(portBoxId, -1, textFromUtf8(name));
  ui->controls().setControlState(portBoxId, 0);
  gtk_combo_box_popup(GTK_COMBO_BOX(box));
  GtkWidget* list = gtk_accessible_get_widget(GTK_ACCESSIBLE(gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(box))));
  for (int round = 0; round < 250 && !gtk_widget_get_mapped(list); ++round) settle();
  PangoLayout* text = gtk_widget_create_pango_layout(box, name.c_str());
  int width = 0;
  pango_layout_get_pixel_size(text, &width, nullptr);
  g_object_unref(text);
  EXPECT_GT(gtk_widget_get_allocated_width(list), width);
  gtk_combo_box_popdown(GTK_COMBO_BOX(box));
  settle();
  EXPECT_EQ(gtk_widget_get_allocated_width(box), 70);
  g_autofree gchar* tip = gtk_widget_get_tooltip_text(focusWidget(box));
  EXPECT_STREQ(tip, ("verfügbare COM-Ports\n/dev/" + name).c_str());
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(box));
  ui->controls().setControlText(portBoxId, u"");
}

}  // namespace
}  // namespace kurvlux
