// The pixels stay in the layout of a Windows DIB, so the portable raster
// draws the same bytes on both platforms; only painting converts them. A
// picture may be shown thousands of times a second while GTK paints at most
// once per display refresh: the conversion waits for the display's next
// frame, covers only what differs from the picture converted before, and
// only that box is painted.
#include "render/image_store_gtk.hpp"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "render/changed_area.hpp"

namespace kurvlux {

namespace {

// Columns x..x+width-1 of rows y..y+height-1 (counted from the top) of 24-bit
// bottom-up blue-green-red memory into cairo's top-down 32-bit pixels.
void convertBox(const std::uint8_t* pixels, std::int32_t rowLength, int height, const PixelBox& box,
                cairo_surface_t* picture) {
  cairo_surface_flush(picture);
  unsigned char* data = cairo_image_surface_get_data(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  for (int y = box.y; y < box.y + box.height; ++y) {
    const std::uint8_t* source =
        pixels + static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(rowLength) +
        3 * static_cast<std::size_t>(box.x);
    auto* target = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) *
                                                               static_cast<std::size_t>(stride));
    for (int x = box.x; x < box.x + box.width; ++x, source += 3) {
      target[x] = (std::uint32_t{source[2]} << 16) | (std::uint32_t{source[1]} << 8) | source[0];
    }
  }
  cairo_surface_mark_dirty_rectangle(picture, box.x, box.y, box.width, box.height);
}

}  // namespace

ImageStoreGtk::ImageStoreGtk(ControlTableGtk& controls) : controls_(controls) {}

ImageStoreGtk::~ImageStoreGtk() {
  // The window may outlive the store: its areas must not paint from records
  // that are gone.
  for (const auto& control : imageControls_) {
    g_signal_handlers_disconnect_by_data(control->area, control.get());
    if (control->tick != 0) gtk_widget_remove_tick_callback(control->area, control->tick);
    g_object_set_data(G_OBJECT(control->area), "kurvlux-image-control", nullptr);
    g_object_unref(control->area);
    if (control->picture) cairo_surface_destroy(control->picture);
  }
}

ImageStoreGtk::Image* ImageStoreGtk::find(int number) {
  auto it = images_.find(number);
  return it == images_.end() ? nullptr : &it->second;
}

int ImageStoreGtk::numberOfHandle(std::uintptr_t handle) const {
  for (const auto& [number, image] : images_) {
    if (image.handle == handle) return number;
  }
  return -1;
}

std::uintptr_t ImageStoreGtk::createImage(int number, int width, int height) {
  std::optional<Image> image = Image::black(nextHandle_, width, height);
  // The open image keeps its memory: the view handed out must stay valid.
  if (number < 0 || !image || number == open_) return 0;
  keepShownPicture(number, false);
  forgetTwins(number);
  ++nextHandle_;
  images_[number] = std::move(*image);
  return images_[number].handle;
}

PixelView ImageStoreGtk::startDrawing(int number) {
  Image* image = find(number);
  if (!image) return PixelView{};
  keepShownPicture(number, false);
  forgetTwins(number);
  open_ = number;
  return image->view();
}

void ImageStoreGtk::stopDrawing() { open_ = -1; }

std::uintptr_t ImageStoreGtk::copyImage(int source, int target) {
  const Image* from = find(source);
  if (!from || target < 0 || target == open_) return 0;
  if (source == target) return from->handle;
  Image* to = find(target);
  const bool sameSize = to && to->width == from->width && to->height == from->height;
  keepShownPicture(target, sameSize);
  forgetTwins(target);
  copiedFrom_ = source;
  copiedTo_ = target;
  if (sameSize) {
    // Same size: the copy reuses the target's memory and keeps its handle.
    to->pixels.resize(from->pixels.size());
    std::copy(from->pixels.begin(), from->pixels.end(), to->pixels.begin());
    return to->handle;
  }
  Image copy = *from;
  copy.handle = nextHandle_++;
  images_[target] = std::move(copy);
  return images_[target].handle;
}

int ImageStoreGtk::twinOf(int number) const {
  if (number == copiedFrom_) return copiedTo_;
  if (number == copiedTo_) return copiedFrom_;
  return -1;
}

void ImageStoreGtk::forgetTwins(int number) {
  if (number == copiedFrom_ || number == copiedTo_) copiedFrom_ = copiedTo_ = -1;
}

bool ImageStoreGtk::swapImages(int first, int second) {
  Image* a = find(first);
  Image* b = find(second);
  if (!a || !b || first == open_ || second == open_) return false;
  // Handles go with the pixels, so a control waiting to paint a picture
  // still finds it unchanged.
  std::swap(*a, *b);
  forgetTwins(first);
  forgetTwins(second);
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

gboolean ImageStoreGtk::onTick(GtkWidget*, GdkFrameClock*, gpointer data) {
  auto* control = static_cast<ImageControl*>(data);
  control->tick = 0;
  if (control->pending) control->store->convert(*control);
  return G_SOURCE_REMOVE;
}

gboolean ImageStoreGtk::onDraw(GtkWidget*, cairo_t* cairo, gpointer data) {
  auto* control = static_cast<ImageControl*>(data);
  if (control->pending) control->store->convert(*control);
  if (control->picture) {
    cairo_set_source_surface(cairo, control->picture, 0, 0);
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
  return record != nullptr && record->tick != 0;
}

void ImageStoreGtk::show(ImageControl& control, std::uintptr_t bitmap) {
  const int number = bitmap ? numberOfHandle(bitmap) : -1;
  // A handle that names no image leaves the picture last shown on screen.
  if (number < 0 && control.pending) convert(control);
  control.bitmap = bitmap;
  if (number < 0) return;
  const Image& image = images_.at(number);
  // The control takes the image's size, as a picture control does.
  if (!control.picture || cairo_image_surface_get_width(control.picture) != image.width ||
      cairo_image_surface_get_height(control.picture) != image.height) {
    if (control.picture) cairo_surface_destroy(control.picture);
    control.picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
    control.converted.clear();
    gtk_widget_set_size_request(control.area, image.width, image.height);
  }
  control.pending = true;
  control.source = bitmap;
  control.holding = false;
  // At most one conversion and one paint per frame of the display.
  if (control.tick == 0) control.tick = gtk_widget_add_tick_callback(control.area, onTick, &control, nullptr);
}

// Until it is painted, a shown picture lives only in its image; before that
// image changes, the picture moves to an unchanged copy of it, or with the
// image's memory into the control when the image is written over, or else
// it is converted: what GTK paints later is still exactly the picture that
// was shown, never one being drawn. A chart that shows a picture per value
// thus converts once per display frame, not once per value.
void ImageStoreGtk::keepShownPicture(int number, bool overwritten) {
  Image* image = find(number);
  if (!image) return;
  for (const auto& control : imageControls_) {
    if (!control->pending || control->holding || control->source != image->handle) continue;
    const Image* twin = find(twinOf(number));
    if (twin && twin->width == image->width && twin->height == image->height) {
      control->source = twin->handle;
    } else if (overwritten) {
      std::swap(control->held.pixels, image->pixels);
      control->held.width = image->width;
      control->held.height = image->height;
      control->held.rowLength = image->rowLength;
      control->holding = true;
      control->source = 0;
      // The image's contents are about to be written over; only its size counts.
      image->pixels.resize(control->held.pixels.size());
    } else {
      convert(*control);
    }
  }
}

PixelBox ImageStoreGtk::convert(ImageControl& control) {
  control.pending = false;
  const bool holding = std::exchange(control.holding, false);
  const int number = holding ? -1 : numberOfHandle(control.source);
  if ((!holding && number < 0) || !control.picture) return {};
  const Image& image = holding ? control.held : images_.at(number);
  if (image.width != cairo_image_surface_get_width(control.picture) ||
      image.height != cairo_image_surface_get_height(control.picture))
    return {};
  const std::size_t bytes = image.pixels.size();
  PixelBox box{0, 0, image.width, image.height};
  const bool known = control.converted.size() == bytes;
  if (known)
    box = changedArea(control.converted.data(), image.pixels.data(), image.rowLength, image.width,
                      image.height);
  if (box.empty()) return box;
  convertBox(image.pixels.data(), image.rowLength, image.height, box, control.picture);
  convertedPixels_ += std::int64_t{box.width} * box.height;
  // Only the box that changed is painted anew; the rest of the window keeps
  // what it shows.
  gtk_widget_queue_draw_area(control.area, box.x, box.y, box.width, box.height);
  if (!known) {
    control.converted = image.pixels;
    return box;
  }
  // Memory rows run bottom-up.
  for (int y = box.y; y < box.y + box.height; ++y) {
    const std::size_t offset =
        static_cast<std::size_t>(image.height - 1 - y) * static_cast<std::size_t>(image.rowLength) +
        3 * static_cast<std::size_t>(box.x);
    std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(offset),
                3 * static_cast<std::size_t>(box.width),
                control.converted.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return box;
}

std::optional<PixelImage> ImageStoreGtk::shownPicture(int control) {
  GtkWidget* area = controls_.controlWidget(control);
  ImageControl* record = area ? controlOf(area) : nullptr;
  if (!record || !record->picture) return std::nullopt;
  if (record->pending) convert(*record);
  // What was last converted is what the screen shows, whatever the images
  // hold by now.
  PixelImage picture;
  picture.width = cairo_image_surface_get_width(record->picture);
  picture.height = cairo_image_surface_get_height(record->picture);
  picture.rowLength = paddedRowLength(picture.width);
  if (record->converted.size() != static_cast<std::size_t>(picture.rowLength) * picture.height)
    return std::nullopt;
  picture.pixels = record->converted;
  return picture;
}

}  // namespace kurvlux
