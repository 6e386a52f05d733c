#include "fakes/memory_image_store.hpp"

#include <utility>

namespace kurvlux::fakes {

ColourValue pixelColour(const std::vector<std::uint8_t>& pixels, std::int32_t rowLength,
                        int height, int x, int y) {
  const std::size_t at = static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(rowLength) +
                         3 * static_cast<std::size_t>(x);
  if (x < 0 || y < 0 || y >= height || at + 3 > pixels.size()) return -1;
  return rgb(pixels[at + 2], pixels[at + 1], pixels[at]);
}

bool MemoryImageStore::replaceable(int number, const char* operation) {
  if (number != open_) return true;
  violations.push_back(std::string(operation) + " into image " + std::to_string(number) +
                       " while it is open for drawing");
  return false;
}

std::uintptr_t MemoryImageStore::createImage(int number, int width, int height) {
  std::optional<MemoryImage> image = MemoryImage::black(nextHandle_, width, height);
  if (number < 0 || !image) return 0;
  if (!replaceable(number, "createImage")) return 0;
  ++nextHandle_;
  images_[number] = std::move(*image);
  return images_[number].handle;
}

PixelView MemoryImageStore::startDrawing(int number) {
  auto it = images_.find(number);
  if (it == images_.end()) return PixelView{};
  if (open_ != -1) {
    violations.push_back("startDrawing(" + std::to_string(number) + ") while image " +
                         std::to_string(open_) + " is open");
  }
  open_ = number;
  return it->second.view();
}

void MemoryImageStore::stopDrawing() { open_ = -1; }

std::uintptr_t MemoryImageStore::copyImage(int source, int target) {
  auto it = images_.find(source);
  if (it == images_.end()) return 0;
  if (source == open_) {
    violations.push_back("copyImage from image " + std::to_string(source) +
                         " while it is open for drawing");
  }
  if (target < 0 || !replaceable(target, "copyImage")) return 0;
  MemoryImage copy = it->second;
  copy.handle = nextHandle_++;
  images_[target] = std::move(copy);
  ++copies;
  return images_[target].handle;
}

bool MemoryImageStore::swapImages(int first, int second) {
  auto a = images_.find(first);
  auto b = images_.find(second);
  if (a == images_.end() || b == images_.end()) return false;
  if (!replaceable(first, "swapImages") || !replaceable(second, "swapImages")) return false;
  std::swap(a->second, b->second);
  ++swaps;
  return true;
}

std::uintptr_t MemoryImageStore::imageHandle(int number) {
  auto it = images_.find(number);
  return it == images_.end() ? 0 : it->second.handle;
}

int MemoryImageStore::numberOfHandle(std::uintptr_t handle) const {
  for (const auto& [number, image] : images_) {
    if (image.handle == handle) return number;
  }
  return -1;
}

void MemoryImageStore::setControlBitmap(MemoryImageControl& control, std::uintptr_t bitmap) {
  control.bitmap = bitmap;
  if (bitmap == 0) return;
  const int number = numberOfHandle(bitmap);
  ShownPicture& shown = control.lastShown;
  shown = ShownPicture{};
  shown.handle = bitmap;
  ++control.repaints;
  if (number < 0) return;
  if (number == open_) {
    violations.push_back("showImage of image " + std::to_string(number) +
                         " while it is open for drawing");
  }
  const MemoryImage& image = images_.at(number);
  control.width = image.width;
  control.height = image.height;
  shown.image = number;
  shown.width = image.width;
  shown.height = image.height;
  shown.rowLength = image.rowLength;
  if (keepShownPixels) shown.pixels = image.pixels;
}

void MemoryImageStore::createImageControl(int control, int x, int y, int width, int height,
                                          std::uintptr_t bitmap) {
  MemoryImageControl& created = controls_[control];
  created = MemoryImageControl{};
  created.x = x;
  created.y = y;
  created.width = width;
  created.height = height;
  setControlBitmap(created, bitmap);
}

void MemoryImageStore::showImage(int control, int number) {
  auto it = controls_.find(control);
  if (it == controls_.end()) return;
  setControlBitmap(it->second, imageHandle(number));
}

const MemoryImage* MemoryImageStore::image(int number) const {
  auto it = images_.find(number);
  return it == images_.end() ? nullptr : &it->second;
}

ColourValue MemoryImageStore::pixel(int number, int x, int y) const {
  const MemoryImage* found = image(number);
  if (!found || x >= found->width) return -1;
  return pixelColour(found->pixels, found->rowLength, found->height, x, y);
}

const MemoryImageControl* MemoryImageStore::control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : &it->second;
}

}  // namespace kurvlux::fakes
