// Images held as cairo surfaces in the format GTK paints without converting,
// and the image control that shows them: a drawing area painted with cairo.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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
  // display's next frame, and only where it differs from what the control
  // showed before.
  void showImage(int control, int number) override;
  // Until GTK paints the control.
  bool showPending(int control) override;

  // The picture the control shows, in the layout of a Windows DIB; nothing
  // while it shows none.
  std::optional<PixelImage> shownPicture(int control);

  // Pixels queued for painting so far, over all controls.
  std::int64_t paintedPixels() const { return paintedPixels_; }

 private:
  struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  };
  using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;
  // A black surface of that size; null if cairo has none.
  static Surface newSurface(int width, int height);
  struct Image {
    std::uintptr_t handle = 0;
    Surface surface;
    // While the image is open for drawing: where drawing wrote so far.
    PixelBox written;
  };
  struct ImageControl {
    ImageStoreGtk* store = nullptr;
    GtkWidget* area = nullptr;
    std::uintptr_t bitmap = 0;
    // GTK paints from the image with the handle `source` while that image
    // is unchanged, else (source 0) from `mirror`, the control's own copy
    // of what it shows.
    std::uintptr_t source = 0;
    Surface mirror;
    // Where `mirror` may lag behind what the control shows.
    PixelBox mirrorStale;
    // A paint is queued that GTK has not begun yet, over this box.
    bool paintDue = false;
    PixelBox queued;
    // Per handle, the box outside which that image equals what the control
    // shows; a handle not listed may differ anywhere.
    std::vector<std::pair<std::uintptr_t, PixelBox>> differs;
  };

  Image* find(int number);
  Image* findHandle(std::uintptr_t handle);
  int numberOfHandle(std::uintptr_t handle) const;
  // The surface GTK paints the control from; null while it shows nothing.
  cairo_surface_t* pictureOf(ImageControl& control);
  void show(ImageControl& control, std::uintptr_t bitmap);
  // The image with the handle `source` becomes the picture the control
  // shows; the paint of what it changes is queued.
  void takeSource(ImageControl& control);
  // Before the image the control paints from changes: the mirror catches up
  // and the control paints from it.
  void detach(ImageControl& control);
  // Hands what drawing wrote into the open image on to the controls and the
  // record of the last copy.
  void takeWritten();
  // Before image `number` changes: every control painting from it detaches.
  void keepShownPicture(int number);
  // The other image of the last copy, if `number` is one of its two.
  int copyPartner(int number) const;
  static ImageControl* controlOf(GtkWidget* area);
  static std::intptr_t controlState(GtkWidget* area);
  static void controlSetState(GtkWidget* area, std::intptr_t value);
  static gboolean onDraw(GtkWidget* area, cairo_t* cairo, gpointer control);

  ControlTableGtk& controls_;
  std::map<int, Image> images_;
  std::vector<std::unique_ptr<ImageControl>> imageControls_;
  std::uintptr_t nextHandle_ = 1;
  int open_ = -1;
  // The two images of the last copy, which since differ only inside
  // `copyDiffers`: the next copy between them copies only that box.
  int copiedFrom_ = -1;
  int copiedTo_ = -1;
  PixelBox copyDiffers_;
  std::int64_t paintedPixels_ = 0;
};

}  // namespace kurvlux
