// The images are cairo surfaces in cairo's RGB24, which GTK paints as they
// are: the raster draws straight into them. A picture may be shown thousands
// of times a second while GTK paints at most once per display refresh, so
// the paint waits for the display's next frame and covers only the box where
// the picture differs from what the control showed before. Boxes come from
// where drawing wrote, never from comparing pictures.
#include "render/image_store_gtk.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

namespace kurvlux {

// cairo's RGB24 is a native 32-bit word 0x00RRGGBB: blue, green, red in
// memory only on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

namespace {

int widthOf(cairo_surface_t* surface) { return cairo_image_surface_get_width(surface); }
int heightOf(cairo_surface_t* surface) { return cairo_image_surface_get_height(surface); }

bool sameSize(cairo_surface_t* a, cairo_surface_t* b) {
  return widthOf(a) == widthOf(b) && heightOf(a) == heightOf(b);
}

PixelBox wholeOf(cairo_surface_t* surface) { return PixelBox{0, 0, widthOf(surface), heightOf(surface)}; }

// Copies the box of `from` into `to`, both of the same size.
void copyBox(cairo_surface_t* from, cairo_surface_t* to, const PixelBox& box) {
  const PixelBox inside = intersect(box, wholeOf(from));
  if (inside.empty()) return;
  cairo_surface_flush(from);
  cairo_surface_flush(to);
  const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(from));
  const std::size_t offset =
      static_cast<std::size_t>(inside.y) * stride + 4 * static_cast<std::size_t>(inside.x);
  const unsigned char* source = cairo_image_surface_get_data(from) + offset;
  unsigned char* target = cairo_image_surface_get_data(to) + offset;
  if (inside == wholeOf(from)) {
    std::memcpy(target, source, stride * static_cast<std::size_t>(inside.height));
  } else {
    for (int y = 0; y < inside.height; ++y, source += stride, target += stride)
      std::memcpy(target, source, 4 * static_cast<std::size_t>(inside.width));
  }
  cairo_surface_mark_dirty_rectangle(to, inside.x, inside.y, inside.width, inside.height);
}

using Differs = std::vector<std::pair<std::uintptr_t, PixelBox>>;

PixelBox* entryOf(Differs& differs, std::uintptr_t handle) {
  for (auto& [key, box] : differs) {
    if (key == handle) return &box;
  }
  return nullptr;
}

void forget(Differs& differs, std::uintptr_t handle) {
  std::erase_if(differs, [handle](const auto& entry) { return entry.first == handle; });
}

void setEntry(Differs& differs, std::uintptr_t handle, const PixelBox& box) {
  if (PixelBox* entry = entryOf(differs, handle)) {
    *entry = box;
  } else {
    differs.emplace_back(handle, box);
  }
}

}  // namespace

ImageStoreGtk::Surface ImageStoreGtk::newSurface(int width, int height) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return surface;
}

ImageStoreGtk::ImageStoreGtk(ControlTableGtk& controls) : controls_(controls) {}

ImageStoreGtk::~ImageStoreGtk() {
  // The window may outlive the store: its areas must not paint from records
  // that are gone.
  for (const auto& control : imageControls_) {
    g_signal_handlers_disconnect_by_data(control->area, control.get());
    g_object_set_data(G_OBJECT(control->area), "kurvlux-image-control", nullptr);
    g_object_unref(control->area);
  }
}

ImageStoreGtk::Image* ImageStoreGtk::find(int number) {
  auto it = images_.find(number);
  return it == images_.end() ? nullptr : &it->second;
}

ImageStoreGtk::Image* ImageStoreGtk::findHandle(std::uintptr_t handle) {
  const int number = handle ? numberOfHandle(handle) : -1;
  return number < 0 ? nullptr : find(number);
}

int ImageStoreGtk::numberOfHandle(std::uintptr_t handle) const {
  for (const auto& [number, image] : images_) {
    if (image.handle == handle) return number;
  }
  return -1;
}

int ImageStoreGtk::copyPartner(int number) const {
  if (number < 0) return -1;
  if (number == copiedFrom_) return copiedTo_;
  if (number == copiedTo_) return copiedFrom_;
  return -1;
}

std::uintptr_t ImageStoreGtk::createImage(int number, int width, int height) {
  // The open image keeps its memory: the view handed out must stay valid.
  if (number < 0 || number == open_ || width <= 0 || height <= 0 || width > maximumImageSide ||
      height > maximumImageSide)
    return 0;
  Surface surface = newSurface(width, height);  // cleared: black
  if (!surface) return 0;
  keepShownPicture(number);
  if (copyPartner(number) >= 0) copiedFrom_ = copiedTo_ = -1;
  if (const Image* old = find(number)) {
    for (const auto& control : imageControls_) forget(control->differs, old->handle);
  }
  images_[number] = Image{nextHandle_++, std::move(surface), PixelBox{}};
  return images_[number].handle;
}

PixelView ImageStoreGtk::startDrawing(int number) {
  Image* image = find(number);
  if (!image) return PixelView{};
  takeWritten();
  keepShownPicture(number);
  open_ = number;
  cairo_surface_t* surface = image->surface.get();
  cairo_surface_flush(surface);
  image->written = PixelBox{};
  return PixelView{cairo_image_surface_get_data(surface),
                   cairo_image_surface_get_stride(surface),
                   widthOf(surface),
                   heightOf(surface),
                   PixelLayout::topDown32,
                   &image->written};
}

void ImageStoreGtk::stopDrawing() {
  takeWritten();
  open_ = -1;
}

void ImageStoreGtk::takeWritten() {
  Image* image = find(open_);
  if (!image || image->written.empty()) return;
  const PixelBox box = std::exchange(image->written, PixelBox{});
  cairo_surface_mark_dirty_rectangle(image->surface.get(), box.x, box.y, box.width, box.height);
  for (const auto& control : imageControls_) {
    if (PixelBox* differs = entryOf(control->differs, image->handle)) *differs = unite(*differs, box);
  }
  if (copyPartner(open_) >= 0) copyDiffers_ = unite(copyDiffers_, box);
}

std::uintptr_t ImageStoreGtk::copyImage(int source, int target) {
  takeWritten();
  Image* from = find(source);
  if (!from || target < 0 || target == open_) return 0;
  if (source == target) return from->handle;
  Image* to = find(target);
  const bool reuse = to && sameSize(to->surface.get(), from->surface.get());
  if (!reuse) {
    if (!createImage(target, widthOf(from->surface.get()), heightOf(from->surface.get()))) return 0;
    to = find(target);
  }
  keepShownPicture(target);
  // Same size: the copy reuses the target's memory and keeps its handle, and
  // after a copy between the same two images only what changed since moves.
  const bool partial = reuse && copyPartner(source) == target;
  copyBox(from->surface.get(), to->surface.get(), partial ? copyDiffers_ : wholeOf(from->surface.get()));
  for (const auto& control : imageControls_) {
    forget(control->differs, to->handle);
    if (const PixelBox* differs = entryOf(control->differs, from->handle))
      control->differs.emplace_back(to->handle, *differs);
  }
  copiedFrom_ = source;
  copiedTo_ = target;
  copyDiffers_ = PixelBox{};
  return to->handle;
}

bool ImageStoreGtk::swapImages(int first, int second) {
  Image* a = find(first);
  Image* b = find(second);
  if (!a || !b || first == open_ || second == open_) return false;
  // Handles go with the pixels, so a control waiting to paint a picture
  // still finds it unchanged. The last copy's two images differ where they
  // did, whichever number each has.
  std::swap(*a, *b);
  if (copyPartner(first) != second) {
    if (copyPartner(first) >= 0 || copyPartner(second) >= 0) copiedFrom_ = copiedTo_ = -1;
  }
  return true;
}

std::uintptr_t ImageStoreGtk::imageHandle(int number) {
  const Image* image = find(number);
  return image ? image->handle : 0;
}

ImageStoreGtk::ImageControl* ImageStoreGtk::controlOf(GtkWidget* area) {
  return static_cast<ImageControl*>(g_object_get_data(G_OBJECT(area), "kurvlux-image-control"));
}

std::intptr_t ImageStoreGtk::controlState(GtkWidget* area) {
  const ImageControl* control = controlOf(area);
  return control ? static_cast<std::intptr_t>(control->bitmap) : 0;
}

void ImageStoreGtk::controlSetState(GtkWidget* area, std::intptr_t value) {
  if (ImageControl* control = controlOf(area))
    control->store->show(*control, static_cast<std::uintptr_t>(value));
}

cairo_surface_t* ImageStoreGtk::pictureOf(ImageControl& control) {
  if (control.source == 0) return control.mirror.get();
  const Image* image = findHandle(control.source);
  return image ? image->surface.get() : nullptr;
}

gboolean ImageStoreGtk::onDraw(GtkWidget*, cairo_t* cairo, gpointer data) {
  auto* control = static_cast<ImageControl*>(data);
  control->paintDue = false;
  control->queued = PixelBox{};
  if (cairo_surface_t* picture = control->store->pictureOf(*control)) {
    cairo_set_source_surface(cairo, picture, 0, 0);
    // On a scaled screen (GDK_SCALE) each canvas pixel becomes a sharp block;
    // the default filter would blur the one-pixel grid lines.
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_NEAREST);
    cairo_paint(cairo);
  }
  return TRUE;
}

void ImageStoreGtk::createImageControl(int control, int x, int y, int width, int height,
                                       std::uintptr_t bitmap) {
  static const ControlKindGtk imageControlKind{controlState, controlSetState, nullptr, nullptr, nullptr};
  if (!controls_.container()) return;
  auto record = std::make_unique<ImageControl>();
  record->store = this;
  // Held until the store goes, so the store can still unhook itself from an
  // area that was destroyed first.
  record->area = GTK_WIDGET(g_object_ref_sink(gtk_drawing_area_new()));
  gtk_widget_set_name(record->area, "canvas");
  atk_object_set_name(gtk_widget_get_accessible(record->area), "Graph");
  gtk_widget_set_size_request(record->area, width, height);
  g_object_set_data(G_OBJECT(record->area), "kurvlux-image-control", record.get());
  g_signal_connect(record->area, "draw", G_CALLBACK(onDraw), record.get());
  gtk_fixed_put(controls_.container(), record->area, x, y);
  gtk_widget_show(record->area);
  controls_.registerControl(control, record->area, imageControlKind);
  show(*record, bitmap);
  imageControls_.push_back(std::move(record));
}

void ImageStoreGtk::showImage(int control, int number) {
  GtkWidget* area = controls_.controlWidget(control);
  ImageControl* record = area ? controlOf(area) : nullptr;
  if (record) show(*record, imageHandle(number));
}

bool ImageStoreGtk::showPending(int control) {
  GtkWidget* area = controls_.controlWidget(control);
  const ImageControl* record = area ? controlOf(area) : nullptr;
  return record != nullptr && record->paintDue;
}

void ImageStoreGtk::show(ImageControl& control, std::uintptr_t bitmap) {
  takeWritten();
  control.bitmap = bitmap;
  const Image* image = findHandle(bitmap);
  // A handle that names no image leaves the picture last shown on screen.
  if (!image) return;
  cairo_surface_t* surface = image->surface.get();
  // The control takes the image's size, as a picture control does.
  if (!control.mirror || !sameSize(control.mirror.get(), surface)) {
    Surface mirror = newSurface(widthOf(surface), heightOf(surface));
    if (!mirror) return;
    control.mirror = std::move(mirror);
    control.mirrorStale = wholeOf(surface);
    control.differs.clear();
    gtk_widget_set_size_request(control.area, widthOf(surface), heightOf(surface));
  }
  control.source = bitmap;
  takeSource(control);
  // The open image changes on: the control keeps the picture as it is now.
  if (image == find(open_)) detach(control);
}

void ImageStoreGtk::takeSource(ImageControl& control) {
  const int number = numberOfHandle(control.source);
  if (number < 0) return;
  const PixelBox* differs = entryOf(control.differs, control.source);
  const PixelBox box = differs ? *differs : wholeOf(control.mirror.get());
  if (box.empty()) return;
  // Only the box that changed is painted anew, in the display's next frame;
  // the rest of the window keeps what it shows. A fast board shows
  // thousands of frames between two paints, mostly over the same box:
  // GTK is told only when the box grows.
  if (intersect(control.queued, box) != box) {
    control.queued = unite(control.queued, box);
    gtk_widget_queue_draw_area(control.area, control.queued.x, control.queued.y, control.queued.width,
                               control.queued.height);
  }
  control.paintDue = true;
  paintedPixels_ += std::int64_t{box.width} * box.height;
  control.mirrorStale = unite(control.mirrorStale, box);
  // Every other image differed from what the control shows where it did,
  // or where that changed now.
  for (auto& [handle, other] : control.differs) other = unite(other, box);
  setEntry(control.differs, control.source, PixelBox{});
  // The last copy's partner differs from this picture only inside its box.
  if (const Image* partner = find(copyPartner(number))) {
    const PixelBox* bound = entryOf(control.differs, partner->handle);
    setEntry(control.differs, partner->handle, bound ? intersect(*bound, copyDiffers_) : copyDiffers_);
  }
}

void ImageStoreGtk::detach(ImageControl& control) {
  if (const Image* image = findHandle(control.source)) {
    copyBox(image->surface.get(), control.mirror.get(), control.mirrorStale);
    control.mirrorStale = PixelBox{};
  }
  control.source = 0;
}

// Until the image shown changes, the control paints from it; before it
// changes, the control's mirror takes what it lacks of that picture: what
// GTK paints, now or when the window is uncovered later, is exactly the
// picture that was shown, never one being drawn. An oscilloscope frame is
// never copied (the next one is drawn on the other image), a chart column
// only where it changed.
void ImageStoreGtk::keepShownPicture(int number) {
  const Image* image = find(number);
  if (!image) return;
  for (const auto& control : imageControls_) {
    if (control->source == image->handle) detach(*control);
  }
}

std::optional<PixelImage> ImageStoreGtk::shownPicture(int control) {
  GtkWidget* area = controls_.controlWidget(control);
  ImageControl* record = area ? controlOf(area) : nullptr;
  if (!record) return std::nullopt;
  takeWritten();
  cairo_surface_t* picture = pictureOf(*record);
  if (!picture) return std::nullopt;
  cairo_surface_flush(picture);
  std::optional<PixelImage> image = PixelImage::black(0, widthOf(picture), heightOf(picture));
  if (!image) return std::nullopt;
  const unsigned char* data = cairo_image_surface_get_data(picture);
  const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(picture));
  for (int y = 0; y < image->height; ++y) {
    const unsigned char* from = data + static_cast<std::size_t>(y) * stride;
    std::uint8_t* to = image->pixels.data() + static_cast<std::size_t>(image->height - 1 - y) *
                                                  static_cast<std::size_t>(image->rowLength);
    for (int x = 0; x < image->width; ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
  }
  return image;
}

}  // namespace kurvlux
