// The image table, the drawing target's device context and the image
// control. Pixels themselves are written by the portable raster code through
// the DIB section's memory; GDI only allocates, fills, copies and paints.
#include "render/image_store_win32.hpp"

#include <cstring>
#include <utility>

#include "render/changed_area.hpp"
#include "render/pixel_image.hpp"

namespace kurvlux {

// An image control keeps a bitmap handle (a reference, not a copy). A bitmap
// that is open for drawing changes pixel by pixel under the raster, yet the
// window system may ask for a repaint at any time,
// and after every presentation the control keeps the drawing image while it
// is open again. Painting its live pixels would show a half-drawn frame, so
// the control paints a stand-in holding the picture as it was when drawing
// was opened: the image copied from it at that generation if there is one
// (the snapshot, after a presentation), otherwise a private copy taken just
// before opening (after a show without copy, such as the reset of the
// chart). The screen thus always repeats the picture last shown.
struct ImageStoreWin32::ImageControl {
  ImageStoreWin32* owner = nullptr;
  HWND window = nullptr;
  WNDPROC staticProcedure = nullptr;
  HBITMAP kept = nullptr;
  // The stand-in: an image of the table (number >= 0, valid while its
  // generation is unchanged) or the private copy (number -1).
  HBITMAP standIn = nullptr;
  int standInNumber = -1;
  std::uint64_t standInGeneration = 0;
  HBITMAP privateCopy = nullptr;
  // The pixels the last presentation put on screen, so the next one repaints
  // only where the picture differs; empty while unknown (before the first
  // presentation and after the window system had the control repainted).
  std::vector<std::uint8_t> shown;
  int shownWidth = 0;
  int shownHeight = 0;
  // The bitmap that last presentation painted from.
  HBITMAP shownBitmap = nullptr;
};

namespace {

std::size_t rowBytes(int width) { return static_cast<std::size_t>(paddedRowLength(width)); }

HBITMAP asBitmap(std::intptr_t value) { return reinterpret_cast<HBITMAP>(value); }

// Selects a bitmap into a fresh memory context for as long as it lives.
class MemoryContext {
 public:
  explicit MemoryContext(HBITMAP bitmap) : context_(CreateCompatibleDC(nullptr)) {
    if (context_ != nullptr) replaced_ = SelectObject(context_, bitmap);
  }
  ~MemoryContext() {
    if (context_ == nullptr) return;
    if (replaced_ != nullptr) SelectObject(context_, replaced_);
    DeleteDC(context_);
  }
  MemoryContext(const MemoryContext&) = delete;
  MemoryContext& operator=(const MemoryContext&) = delete;
  // Null when the bitmap could not be selected (for example because another
  // context holds it).
  HDC get() const { return replaced_ != nullptr ? context_ : nullptr; }

 private:
  HDC context_;
  HGDIOBJ replaced_ = nullptr;
};

}  // namespace

ImageStoreWin32::ImageStoreWin32(ControlTableWin32& controls) : controls_(controls) {}

ImageStoreWin32::~ImageStoreWin32() {
  stopDrawing();
  for (const auto& control : imageControls_) {
    if (control->window != nullptr && IsWindow(control->window)) {
      SetWindowLongPtrW(control->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->staticProcedure));
      SetWindowLongPtrW(control->window, GWLP_USERDATA, 0);
    }
    if (control->privateCopy != nullptr) DeleteObject(control->privateCopy);
  }
  for (Image& image : images_) {
    if (image.bitmap != nullptr) DeleteObject(image.bitmap);
  }
}

ImageStoreWin32::Image* ImageStoreWin32::find(int number) {
  if (number < 0 || static_cast<std::size_t>(number) >= images_.size()) return nullptr;
  Image& image = images_[static_cast<std::size_t>(number)];
  return image.bitmap != nullptr ? &image : nullptr;
}

int ImageStoreWin32::numberOfBitmap(HBITMAP bitmap) const {
  if (bitmap == nullptr) return -1;
  for (std::size_t i = 0; i < images_.size(); ++i) {
    if (images_[i].bitmap == bitmap) return static_cast<int>(i);
  }
  return -1;
}

// Replacing the open image would leave the drawing target writing into
// released memory; that is refused (the program never asks for it).
bool ImageStoreWin32::replaceable(int number) const { return number >= 0 && number != open_; }

void ImageStoreWin32::store(int number, Image image) {
  if (static_cast<std::size_t>(number) >= images_.size())
    images_.resize(static_cast<std::size_t>(number) + 1);
  Image& record = images_[static_cast<std::size_t>(number)];
  if (record.bitmap != nullptr) DeleteObject(record.bitmap);
  record = image;
}

HBITMAP ImageStoreWin32::createBitmap(int width, int height, void** pixels) {
  if (width <= 0 || height <= 0 || width > maximumImageSide || height > maximumImageSide) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
}

std::uintptr_t ImageStoreWin32::createImage(int number, int width, int height) {
  if (!replaceable(number)) return 0;
  Image image;
  image.bitmap = createBitmap(width, height, &image.pixels);
  if (image.bitmap == nullptr) return 0;
  {
    MemoryContext context(image.bitmap);
    if (context.get() != nullptr) {
      RECT all{0, 0, width, height};
      FillRect(context.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
  }
  GdiFlush();
  image.width = width;
  image.height = height;
  image.generation = nextGeneration_++;
  store(number, image);
  return reinterpret_cast<std::uintptr_t>(image.bitmap);
}

void ImageStoreWin32::keepStandIns(int number) {
  const Image& image = images_[static_cast<std::size_t>(number)];
  int freshCopy = -1;
  for (std::size_t i = 0; i < images_.size(); ++i) {
    const Image& other = images_[i];
    if (other.bitmap != nullptr && other.copyOf == number && other.copyOfGeneration == image.generation) {
      freshCopy = static_cast<int>(i);
    }
  }
  for (const auto& control : imageControls_) {
    if (control->kept != image.bitmap) continue;
    if (freshCopy >= 0) {
      const Image& copy = images_[static_cast<std::size_t>(freshCopy)];
      control->standIn = copy.bitmap;
      control->standInNumber = freshCopy;
      control->standInGeneration = copy.generation;
      continue;
    }
    if (control->privateCopy == nullptr) {
      void* pixels = nullptr;
      control->privateCopy = createBitmap(image.width, image.height, &pixels);
    }
    const bool copied = control->privateCopy != nullptr && blit(control->privateCopy, number);
    control->standIn = copied ? control->privateCopy : nullptr;
    control->standInNumber = -1;
  }
}

// The raster writes straight into the DIB section's memory, so drawing needs
// no device context: selecting the bitmap into one and out again for every
// frame cost more under Wine than drawing the frame.
PixelView ImageStoreWin32::startDrawing(int number) {
  Image* image = find(number);
  if (image == nullptr || image->pixels == nullptr) return PixelView{};
  keepStandIns(number);
  // GDI may still be writing the bitmap (a fill or a copy into it).
  GdiFlush();
  open_ = number;
  image->generation = nextGeneration_++;
  image->copyOf = -1;
  const auto rowLength = static_cast<std::int32_t>(rowBytes(image->width));
  return PixelView{static_cast<std::uint8_t*>(image->pixels), rowLength, image->width, image->height};
}

void ImageStoreWin32::stopDrawing() { open_ = -1; }

// Copies every pixel of an image into a bitmap of the same size.
bool ImageStoreWin32::blit(HBITMAP target, int sourceNumber) {
  const Image& source = images_[static_cast<std::size_t>(sourceNumber)];
  MemoryContext targetContext(target);
  MemoryContext sourceContext(source.bitmap);
  const bool copied = targetContext.get() != nullptr && sourceContext.get() != nullptr &&
                      BitBlt(targetContext.get(), 0, 0, source.width, source.height, sourceContext.get(), 0,
                             0, SRCCOPY) != FALSE;
  GdiFlush();
  return copied;
}

std::uintptr_t ImageStoreWin32::copyImage(int source, int target) {
  Image* from = find(source);
  if (from == nullptr || !replaceable(target)) return 0;
  // Every presentation copies the drawing image into the snapshot. A target
  // of the same size keeps its bitmap and only takes the pixels: it is just
  // as independent a copy, without a new DIB section each time. Its handle
  // stays, so a control that shows it shows the new picture.
  if (Image* into = find(target);
      into != nullptr && target != source && into->width == from->width && into->height == from->height) {
    // Two DIB sections of one size share one memory layout; copying the
    // memory gives the same pixels as a blit for a quarter of its time.
    if (into->pixels != nullptr && from->pixels != nullptr) {
      GdiFlush();
      std::memcpy(into->pixels, from->pixels, rowBytes(from->width) * static_cast<std::size_t>(from->height));
    } else if (!blit(into->bitmap, source)) {
      return 0;
    }
    into->generation = nextGeneration_++;
    into->copyOf = source;
    into->copyOfGeneration = from->generation;
    return reinterpret_cast<std::uintptr_t>(into->bitmap);
  }
  // The copy is made before the target's old image is released, so copying
  // an image onto its own number keeps it intact.
  Image copy;
  copy.bitmap = createBitmap(from->width, from->height, &copy.pixels);
  if (copy.bitmap == nullptr) return 0;
  if (!blit(copy.bitmap, source)) {
    DeleteObject(copy.bitmap);
    return 0;
  }
  copy.width = from->width;
  copy.height = from->height;
  copy.generation = nextGeneration_++;
  copy.copyOf = source;
  copy.copyOfGeneration = from->generation;
  store(target, copy);
  return reinterpret_cast<std::uintptr_t>(copy.bitmap);
}

bool ImageStoreWin32::swapImages(int first, int second) {
  Image* a = find(first);
  Image* b = find(second);
  if (a == nullptr || b == nullptr || !replaceable(first) || !replaceable(second)) return false;
  // Bitmaps, and with them the handles the controls keep, go with the pixels.
  std::swap(*a, *b);
  // Records that name an image by number follow it to its new number.
  const auto renamed = [&](int number) {
    return number == first ? second : number == second ? first : number;
  };
  for (Image& image : images_) image.copyOf = renamed(image.copyOf);
  for (const auto& control : imageControls_) control->standInNumber = renamed(control->standInNumber);
  return true;
}

std::uintptr_t ImageStoreWin32::imageHandle(int number) {
  const Image* image = find(number);
  return image != nullptr ? reinterpret_cast<std::uintptr_t>(image->bitmap) : 0;
}

const ControlKind& ImageStoreWin32::imageControlKind() {
  static const ControlKind kind{controlState, controlSetState, nullptr, nullptr, nullptr};
  return kind;
}

void ImageStoreWin32::createImageControl(int control, int x, int y, int width, int height,
                                         std::uintptr_t bitmap) {
  HWND window = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, width, height, controls_.container(),
      reinterpret_cast<HMENU>(static_cast<std::intptr_t>(control)), GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return;
  auto record = std::make_unique<ImageControl>();
  record->owner = this;
  record->window = window;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record.get()));
  record->staticProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&controlProcedure)));
  imageControls_.push_back(std::move(record));
  controls_.registerControl(control, window, imageControlKind());
  controls_.setControlState(control, static_cast<std::intptr_t>(bitmap));
}

void ImageStoreWin32::showImage(int control, int number) {
  controls_.setControlState(control, static_cast<std::intptr_t>(imageHandle(number)));
}

std::intptr_t ImageStoreWin32::controlState(HWND window) {
  const auto* control = reinterpret_cast<const ImageControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return control != nullptr ? reinterpret_cast<std::intptr_t>(control->kept) : 0;
}

void ImageStoreWin32::controlSetState(HWND window, std::intptr_t value) {
  auto* control = reinterpret_cast<ImageControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (control != nullptr) control->owner->keepBitmap(*control, asBitmap(value));
}

void ImageStoreWin32::keepBitmap(ImageControl& control, HBITMAP bitmap) {
  control.kept = bitmap;
  // A stand-in belongs to the bitmap it stood in for.
  control.standIn = nullptr;
  if (bitmap == nullptr) return;
  BITMAP size{};
  if (GetObjectW(bitmap, sizeof(size), &size) == 0) return;
  const LONG style = GetWindowLongW(control.window, GWL_STYLE);
  const LONG extendedStyle = GetWindowLongW(control.window, GWL_EXSTYLE);
  const bool framed = (style & WS_BORDER) != 0 || (style & SS_SUNKEN) != 0 ||
                      (extendedStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0;
  const int frame = framed ? 4 : 0;
  // Every presentation shows an image of the same size; a move to the size
  // the control already has would only cost a round through the window system.
  RECT bounds{};
  GetWindowRect(control.window, &bounds);
  if (bounds.right - bounds.left != size.bmWidth + frame ||
      bounds.bottom - bounds.top != size.bmHeight + frame) {
    SetWindowPos(control.window, nullptr, 0, 0, size.bmWidth + frame, size.bmHeight + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  present(control);
}

// The picture is on screen when the call ends. Only the box in which it
// differs from what the last presentation put there is painted, straight
// onto the control: the same pixels as a full repaint, yet a chart that adds
// a column per picture no longer sends the whole picture through the window
// system every time.
void ImageStoreWin32::present(ImageControl& control) {
  // Exposes still waiting are painted first, as the full repaint did.
  UpdateWindow(control.window);
  const HBITMAP bitmap = bitmapToPaint(control);
  const int number = numberOfBitmap(bitmap);
  if (bitmap == nullptr) return;
  if (number < 0 || images_[static_cast<std::size_t>(number)].pixels == nullptr) {
    repaintWhole(control);
    return;
  }
  const Image& image = images_[static_cast<std::size_t>(number)];
  const std::size_t rowLength = rowBytes(image.width);
  const std::size_t bytes = rowLength * static_cast<std::size_t>(image.height);
  const auto* pixels = static_cast<const std::uint8_t*>(image.pixels);
  const PixelBox whole{0, 0, image.width, image.height};
  const bool known = control.shown.size() == bytes && control.shownWidth == image.width &&
                     control.shownHeight == image.height;
  PixelBox box = whole;
  if (known) {
    box = changedArea(control.shown.data(), pixels, static_cast<std::int32_t>(rowLength), image.width,
                      image.height);
    if (box.empty()) {
      // Showing the same picture again is how the program repairs a window
      // the screen may have lost; that is honoured in full. A new picture
      // equal to the one on screen (a triggered signal's next frame, in the
      // other of the two images) is there already.
      if (bitmap != control.shownBitmap) {
        control.shownBitmap = bitmap;
        return;
      }
      box = whole;
    }
  }
  control.shownBitmap = bitmap;
  bool drawn = false;
  if (const HDC screen = GetDC(control.window); screen != nullptr) {
    MemoryContext source(bitmap);
    drawn = source.get() != nullptr &&
            BitBlt(screen, box.x, box.y, box.width, box.height, source.get(), box.x, box.y, SRCCOPY) != FALSE;
    ReleaseDC(control.window, screen);
  }
  if (!drawn) {
    repaintWhole(control);
    return;
  }
  if (!known) {
    control.shown.assign(pixels, pixels + bytes);
    control.shownWidth = image.width;
    control.shownHeight = image.height;
    return;
  }
  // Memory rows run bottom-up.
  for (int y = box.y; y < box.y + box.height; ++y) {
    const std::size_t offset =
        static_cast<std::size_t>(image.height - 1 - y) * rowLength + 3 * static_cast<std::size_t>(box.x);
    std::memcpy(control.shown.data() + offset, pixels + offset, 3 * static_cast<std::size_t>(box.width));
  }
}

void ImageStoreWin32::repaintWhole(ImageControl& control) {
  control.shown.clear();
  InvalidateRect(control.window, nullptr, FALSE);
  UpdateWindow(control.window);
}

HBITMAP ImageStoreWin32::bitmapToPaint(const ImageControl& control) const {
  const int number = numberOfBitmap(control.kept);
  // A handle that no longer names an image of the table may have been
  // released; drawing it could show whatever now has that handle.
  if (number < 0) return nullptr;
  if (number != open_) return control.kept;
  if (control.standIn == nullptr) return nullptr;
  if (control.standInNumber < 0) return control.standIn;
  const Image& standIn = images_[static_cast<std::size_t>(control.standInNumber)];
  const bool unchanged = standIn.bitmap == control.standIn && standIn.generation == control.standInGeneration;
  return unchanged ? control.standIn : nullptr;
}

// The bitmap at the control's top-left corner in its natural size. A plain
// copy puts the same pixels on screen as drawing the bitmap through
// DrawStateW, which takes a detour through a bitmap of its own.
void ImageStoreWin32::paint(const ImageControl& control, HDC context) const {
  const HBITMAP bitmap = bitmapToPaint(control);
  if (bitmap == nullptr) return;
  BITMAP size{};
  if (GetObjectW(bitmap, sizeof(size), &size) == 0) return;
  MemoryContext source(bitmap);
  if (source.get() != nullptr)
    BitBlt(context, 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK ImageStoreWin32::controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ImageControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (control == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC staticProcedure = control->staticProcedure;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paintStruct;
      HDC context = BeginPaint(window, &paintStruct);
      if (context != nullptr) control->owner->paint(*control, context);
      EndPaint(window, &paintStruct);
      // What is on screen is no longer known to be the last presentation.
      control->shown.clear();
      return 0;
    }
    case WM_PRINTCLIENT:
      control->owner->paint(*control, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProcedure));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      control->window = nullptr;
      control->kept = nullptr;
      break;
    default:
      break;
  }
  return CallWindowProcW(staticProcedure, window, message, wParam, lParam);
}

}  // namespace kurvlux
