// The DIB-backed images and the image control against the real platform:
// pixel layout, copies, the control's size and what it paints.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "fakes/memory_image_store.hpp"
#include "render/canvas.hpp"
#include "render/image_store_win32.hpp"
#include "render/raster.hpp"
#include "ui/controls_win32.hpp"

namespace kurvlux {
namespace {

constexpr ColourValue blue = 0xFF0000;

// A COLORREF has red in the low byte, like the program's colour values.
ColourValue imagePixel(HBITMAP bitmap, int x, int y) {
  HDC context = CreateCompatibleDC(nullptr);
  HGDIOBJ replaced = SelectObject(context, bitmap);
  const COLORREF colour = GetPixel(context, x, y);
  SelectObject(context, replaced);
  DeleteDC(context);
  return static_cast<ColourValue>(colour);
}

ColourValue screenPixel(HWND window, int x, int y) {
  HDC context = GetDC(window);
  const COLORREF colour = GetPixel(context, x, y);
  ReleaseDC(window, context);
  return static_cast<ColourValue>(colour);
}

// Whether the control on screen shows exactly these 1000 x 256 pixels.
bool screenShows(HWND control, const std::vector<std::uint8_t>& picture) {
  BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 1000, 256, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, {}};
  void* shown = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &shown, nullptr, 0);
  HDC memory = CreateCompatibleDC(nullptr), screen = GetDC(control);
  HGDIOBJ replaced = SelectObject(memory, copy);
  BitBlt(memory, 0, 0, 1000, 256, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const bool same = picture.size() == 3000 * 256 && std::memcmp(shown, picture.data(), 3000 * 256) == 0;
  ReleaseDC(control, screen);
  SelectObject(memory, replaced);
  DeleteDC(memory);
  DeleteObject(copy);
  return same;
}

// Scribbles over the control on screen and has it repaint itself, as after
// being covered by another window.
void forceRepaint(HWND control) {
  HDC context = GetDC(control);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 1000, 256};
  FillRect(context, &all, red);
  DeleteObject(red);
  ReleaseDC(control, context);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// Drains the message queue so the window is on screen and painted.
void pumpMessages() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

struct ImageStoreWin32Test : ::testing::Test {
  void SetUp() override {
    window = CreateWindowExW(0, L"STATIC", L"image store test", WS_POPUP, 0, 0, 1100,
                             400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    controls.setContainer(window);
  }
  void TearDown() override { DestroyWindow(window); }

  SIZE controlSize() const {
    RECT rect{};
    GetWindowRect(controls.controlHandle(imageControlId), &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  }

  HWND window = nullptr;
  ControlTableWin32 controls;
  ImageStoreWin32 store{controls};
};

TEST_F(ImageStoreWin32Test, NewImageIsBlackWithPaddedBottomUpRows) {
  const std::uintptr_t handle = store.createImage(4, 13, 7);
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(store.imageHandle(4), handle);
  EXPECT_EQ(store.imageHandle(9), 0u);
  const PixelView view = store.startDrawing(4);
  ASSERT_NE(view.pixels, nullptr);
  EXPECT_EQ(view.rowLength, 40);  // 39 bytes of pixels padded to a multiple of 4
  EXPECT_EQ(view.width, 13);
  EXPECT_EQ(view.height, 7);
  bool black = true;
  for (int i = 0; i < view.rowLength * view.height; ++i) black = black && view.pixels[i] == 0;
  EXPECT_TRUE(black);

  // A pixel written through the portable layout is where GDI reads it.
  DrawingTarget target(view);
  target.drawLine(2, 1, 2, 1, 0x332211);
  target.drawLine(12, 6, 12, 6, blue);
  EXPECT_EQ(view.pixels[(7 - 1 - 1) * 40 + 3 * 2], 0x33);  // blue byte first
  store.stopDrawing();
  const auto bitmap = reinterpret_cast<HBITMAP>(handle);
  EXPECT_EQ(imagePixel(bitmap, 2, 1), 0x332211);
  EXPECT_EQ(imagePixel(bitmap, 12, 6), blue);
  EXPECT_EQ(imagePixel(bitmap, 0, 0), 0);
  EXPECT_EQ(store.startDrawing(8).pixels, nullptr);  // no image 8: nothing opens
}

TEST_F(ImageStoreWin32Test, CopyIsIndependentOfLaterDrawing) {
  store.createImage(4, 20, 10);
  DrawingTarget target(store.startDrawing(4));
  target.fillBox(0, 0, 20, 10, 0xFFFFFF);
  store.stopDrawing();
  const std::uintptr_t first = store.copyImage(4, 3);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(store.imageHandle(3), first);
  target = DrawingTarget(store.startDrawing(4));
  target.fillBox(5, 5, 3, 3, blue);
  store.stopDrawing();
  const auto copy = reinterpret_cast<HBITMAP>(store.imageHandle(3));
  EXPECT_EQ(imagePixel(copy, 6, 6), 0xFFFFFF);
  EXPECT_EQ(imagePixel(reinterpret_cast<HBITMAP>(store.imageHandle(4)), 6, 6), blue);
  // Copying again replaces image 3 with a new bitmap holding the new picture.
  const std::uintptr_t second = store.copyImage(4, 3);
  EXPECT_NE(second, 0u);
  EXPECT_EQ(imagePixel(reinterpret_cast<HBITMAP>(second), 6, 6), blue);
  EXPECT_EQ(store.copyImage(7, 3), 0u);
  EXPECT_EQ(store.imageHandle(3), second);
}

TEST_F(ImageStoreWin32Test, ControlTakesTheBitmapSizeAndKeepsItsHandle) {
  store.createImage(4, 1000, 256);
  store.createImage(3, 1000, 256);
  store.createImageControl(imageControlId, 0, 0, 1000, 300, store.imageHandle(4));
  ASSERT_NE(controls.controlHandle(imageControlId), nullptr);
  EXPECT_EQ(controlSize().cx, 1000);
  EXPECT_EQ(controlSize().cy, 256);
  EXPECT_EQ(static_cast<std::uintptr_t>(controls.controlState(imageControlId)), store.imageHandle(4));
  store.showImage(imageControlId, 3);
  EXPECT_EQ(static_cast<std::uintptr_t>(controls.controlState(imageControlId)), store.imageHandle(3));
  EXPECT_EQ(controls.controlText(imageControlId), u"");
  // Handle 0: nothing to show, the size stays.
  controls.setControlState(imageControlId, 0);
  EXPECT_EQ(controls.controlState(imageControlId), 0);
  EXPECT_EQ(controlSize().cy, 256);
}

TEST_F(ImageStoreWin32Test, ControlCreatedWithoutBitmapShrinksOnShow) {
  store.createImage(4, 1000, 256);
  store.createImageControl(imageControlId, 0, 0, 1000, 300, 0);
  EXPECT_EQ(controlSize().cy, 300);
  store.showImage(imageControlId, 4);
  EXPECT_EQ(controlSize().cx, 1000);
  EXPECT_EQ(controlSize().cy, 256);
}

TEST_F(ImageStoreWin32Test, RepaintWhileDrawingShowsTheLastShownPicture) {
  // Pixels are read back from the screen, so the window has to be on it.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  PlotCanvas canvas(store);
  canvas.buildCanvas();
  HWND control = controls.controlHandle(imageControlId);
  pumpMessages();
  EXPECT_EQ(screenPixel(control, 1, 1), 0xFFFFFF);
  EXPECT_EQ(screenPixel(control, 0, 0), 0xBBBBBB);

  canvas.drawLine(10, 100, 20, 100, blue);
  canvas.presentCanvas();
  EXPECT_EQ(screenPixel(control, 15, 100), blue);
  // Drawing goes on in image 4, which the control keeps while it is open.
  canvas.drawLine(10, 150, 20, 150, blue);
  forceRepaint(control);
  pumpMessages();
  EXPECT_EQ(screenPixel(control, 15, 100), blue);
  EXPECT_EQ(screenPixel(control, 15, 150), 0xFFFFFF);  // the unfinished drawing stays unseen

  // Shown without a copy (the chart's reset): a repaint repeats the cleared
  // canvas, not the older snapshot.
  canvas.clearCanvas();
  canvas.showCanvas();
  canvas.drawLine(10, 200, 20, 200, blue);
  forceRepaint(control);
  pumpMessages();
  EXPECT_EQ(screenPixel(control, 15, 100), 0xFFFFFF);
  EXPECT_EQ(screenPixel(control, 15, 200), 0xFFFFFF);
  EXPECT_EQ(screenPixel(control, 50, 120), 0xBBBBBB);

  // Once closed, the image itself is painted.
  canvas.showSnapshot();
  EXPECT_EQ(screenPixel(control, 15, 100), blue);
}

// A presentation paints only where the picture changed, and not at all for
// a new picture equal to the one on screen; whatever the change, the whole
// control must then show what a canvas over plain memory shows.
TEST_F(ImageStoreWin32Test, EveryPresentationLeavesTheWholePictureOnScreen) {
  ShowWindow(window, SW_SHOWNOACTIVATE);
  fakes::MemoryImageStore memory;
  PlotCanvas canvas(store), reference(memory);
  canvas.buildCanvas();
  reference.buildCanvas();
  const HWND control = controls.controlHandle(imageControlId);
  pumpMessages();
  auto scribble = [&](RECT area) {
    HDC context = GetDC(control);
    FillRect(context, &area, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    ReleaseDC(control, context);
  };
  const auto frame = [](PlotCanvas& c) { c.drawLine(900, 20, 100, 240, blue); c.presentAndClear(); };
  const std::vector<std::tuple<const char*, std::function<void()>, std::function<void(PlotCanvas&)>>> steps = {
      {"a chart column", [] {}, [](PlotCanvas& c) { c.drawLine(300, 0, 300, 255, blue), c.presentCanvas(); }},
      {"a pixel near the top", [] {}, [](PlotCanvas& c) { c.drawLine(600, 10, 600, 10, blue), c.presentCanvas(); }},
      // Back to pixels shown earlier: a box from stale memory would miss them.
      {"the canvas cleared", [] {}, [](PlotCanvas& c) { c.clearCanvas(), c.presentCanvas(); }},
      {"a chart column, then an oscilloscope frame drawn leftwards", [] {},
       [&](PlotCanvas& c) { c.drawLine(700, 0, 700, 255, blue), c.presentCanvas(), frame(c); }},
      {"the frame alone", [] {}, frame},
      {"the same frame, from the other image", [] {}, frame},
      // Showing an unchanged picture again repairs what the screen lost.
      {"nothing, over a scribbled screen", [&] { scribble(RECT{100, 50, 700, 200}); },
       [](PlotCanvas& c) { c.showSnapshot(); }},
      {"an empty frame", [] {}, [](PlotCanvas& c) { c.presentAndClear(); }},
      {"a pixel, after the window system repainted a corner of a scribbled screen",
       [&] {
         scribble(RECT{0, 0, 1000, 256});
         RECT corner{0, 0, 10, 10};
         RedrawWindow(control, &corner, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
       },
       [](PlotCanvas& c) { c.drawLine(500, 128, 500, 128, blue), c.presentCanvas(); }},
  };
  for (const auto& [what, screenChange, step] : steps) {
    screenChange();
    step(canvas);
    step(reference);
    EXPECT_TRUE(screenShows(control, memory.control(imageControlId)->lastShown.pixels)) << what;
  }
}

TEST_F(ImageStoreWin32Test, PrintedControlShowsTheImage) {
  store.createImage(4, 40, 30);
  DrawingTarget target(store.startDrawing(4));
  target.fillBox(0, 0, 40, 30, 0xFFFFFF);
  target.drawLine(3, 3, 3, 3, blue);
  store.stopDrawing();
  store.createImageControl(imageControlId, 0, 0, 100, 100, store.imageHandle(4));
  HWND control = controls.controlHandle(imageControlId);
  HDC screen = GetDC(control);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP canvasBitmap = CreateCompatibleBitmap(screen, 40, 30);
  HGDIOBJ replaced = SelectObject(memory, canvasBitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  EXPECT_EQ(static_cast<ColourValue>(GetPixel(memory, 3, 3)), blue);
  EXPECT_EQ(static_cast<ColourValue>(GetPixel(memory, 4, 3)), 0xFFFFFF);
  SelectObject(memory, replaced);
  DeleteObject(canvasBitmap);
  DeleteDC(memory);
  ReleaseDC(control, screen);
}

}  // namespace
}  // namespace kurvlux
