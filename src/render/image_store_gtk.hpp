// Images in memory with the 24-bit bottom-up layout the raster writes, and
// the image control that shows them: a drawing area painted with cairo.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "render/changed_area.hpp"
#include "render/image_store.hpp"
#include "render/pixel_image.hpp"
#include "ui/controls_gtk.hpp"

namespace kurvlux {

class ImageStoreGtk final : public ImageStore {
 public:
  explicit ImageStoreGtk(ControlTableGtk& controls);
  ~ImageStoreGtk() override;
  ImageStoreGtk(const ImageStoreGtk&) = delete;
  ImageStoreGtk& operator=(const ImageStoreGtk&) = delete;

  std::uintptr_t createImage(int number, int width, int height) override;
  PixelView startDrawing(int number) override;
  void stopDrawing() override;
  std::uintptr_t copyImage(int source, int target) override;
  bool swapImages(int first, int second) override;
  std::uintptr_t imageHandle(int number) override;
  void createImageControl(int control, int x, int y, int width, int height, std::uintptr_t bitmap) override;
  // The control shows the image's pixels as they are now, whatever is drawn
  // into the image afterwards, until it is shown anew. GTK paints it in the
  // frame that follows; the pixels are converted for cairo only then, or
  // earlier if the image is about to change before that.
  void showImage(int control, int number) override;
  // Until the display's next frame has begun.
  bool showPending(int control) override;

  // The picture the control shows (or shows at its next paint), in the image
  // layout; nothing while it shows none.
  std::optional<PixelImage> shownPicture(int control);

  // Pixels converted for cairo so far, over all controls.
  std::int64_t convertedPixels() const { return convertedPixels_; }

 private:
  using Image = PixelImage;
  struct ImageControl {
    ImageStoreGtk* store = nullptr;
    GtkWidget* area = nullptr;
    std::uintptr_t bitmap = 0;
    cairo_surface_t* picture = nullptr;
    // The picture last shown is not yet converted into `picture`. It is in
    // the image with the handle `source` (the one shown, or an unchanged
    // copy of it), or in `held` when `holding`.
    bool pending = false;
    std::uintptr_t source = 0;
    bool holding = false;
    // A picture kept when its image was overwritten before the paint: the
    // two trade their memory, so keeping it costs no copy.
    Image held;
    guint tick = 0;  // the frame clock's callback while one is queued
    // The pixels `picture` was last converted from, in the image layout, so
    // a conversion touches only where the new picture differs; empty while
    // `picture` holds nothing known.
    std::vector<std::uint8_t> converted;
  };

  Image* find(int number);
  int numberOfHandle(std::uintptr_t handle) const;
  void show(ImageControl& control, std::uintptr_t bitmap);
  // Converts the pending picture where it changed; the box converted.
  PixelBox convert(ImageControl& control);
  // Before image `number` changes: a control whose pending picture is in it
  // keeps that picture (`overwritten`: the whole image is about to be
  // written over).
  void keepShownPicture(int number, bool overwritten);
  // The image that another is an unchanged copy of, -1 if none.
  int twinOf(int number) const;
  void forgetTwins(int number);
  static ImageControl* controlOf(GtkWidget* area);
  static std::intptr_t controlState(GtkWidget* area);
  static void controlSetState(GtkWidget* area, std::intptr_t value);
  static gboolean onDraw(GtkWidget* area, cairo_t* cairo, gpointer control);
  static gboolean onTick(GtkWidget* area, GdkFrameClock* clock, gpointer control);

  ControlTableGtk& controls_;
  std::map<int, Image> images_;
  std::vector<std::unique_ptr<ImageControl>> imageControls_;
  std::uintptr_t nextHandle_ = 1;
  int open_ = -1;
  // The last copy's source and target, while neither has changed since.
  int copiedFrom_ = -1;
  int copiedTo_ = -1;
  std::int64_t convertedPixels_ = 0;
};

}  // namespace kurvlux
