// Images in memory with the real 24-bit bottom-up layout, and an image
// control that records what every repaint would have displayed. Calls that
// break the drawing protocol (a second open target, copying or showing an
// image while it is open) are refused where they would leave a dangling
// view, and always logged in `violations` for the test to check.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "render/image_store.hpp"
#include "render/pixel_image.hpp"
#include "render/raster.hpp"

namespace kurvlux::fakes {

using MemoryImage = PixelImage;

// The colour value of pixel (x, y) of 24-bit bottom-up pixel memory.
ColourValue pixelColour(const std::vector<std::uint8_t>& pixels, std::int32_t rowLength,
                        int height, int x, int y);

struct ShownPicture {
  int image = -1;  // -1: the kept handle names no image any more; nothing painted
  std::uintptr_t handle = 0;
  int width = 0;
  int height = 0;
  std::int32_t rowLength = 0;
  std::vector<std::uint8_t> pixels;  // empty unless keepShownPixels
  ColourValue pixel(int x, int y) const { return pixelColour(pixels, rowLength, height, x, y); }
};

struct MemoryImageControl {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::uintptr_t bitmap = 0;  // the handle the control keeps
  int repaints = 0;
  ShownPicture lastShown;
};

class MemoryImageStore final : public ImageStore {
 public:
  std::uintptr_t createImage(int number, int width, int height) override;
  PixelView startDrawing(int number) override;
  void stopDrawing() override;
  std::uintptr_t copyImage(int source, int target) override;
  bool swapImages(int first, int second) override;
  std::uintptr_t imageHandle(int number) override;
  void createImageControl(int control, int x, int y, int width, int height,
                          std::uintptr_t bitmap) override;
  void showImage(int control, int number) override;
  bool showPending(int) override { return showsPending; }
  // What showPending answers.
  bool showsPending = false;

  const MemoryImage* image(int number) const;
  ColourValue pixel(int number, int x, int y) const;
  const MemoryImageControl* control(int id) const;
  // The image open for drawing, -1 if none.
  int openImage() const { return open_; }

  // Benchmarks switch this off to leave the copy at every repaint out.
  bool keepShownPixels = true;
  int copies = 0;
  int swaps = 0;
  std::vector<std::string> violations;

 private:
  int numberOfHandle(std::uintptr_t handle) const;
  void setControlBitmap(MemoryImageControl& control, std::uintptr_t bitmap);
  bool replaceable(int number, const char* operation);

  std::map<int, MemoryImage> images_;
  std::map<int, MemoryImageControl> controls_;
  std::uintptr_t nextHandle_ = 0x1000;
  int open_ = -1;
};

}  // namespace kurvlux::fakes
