// Images in memory with the 24-bit bottom-up layout the raster writes, and
// the image control that shows them: a drawing area painted with cairo.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <memory>
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
  std::uintptr_t imageHandle(int number) override;
  void createImageControl(int control, int x, int y, int width, int height,
                          std::uintptr_t bitmap) override;
  // Takes the image's pixels as they are now: the control keeps showing this
  // picture, whatever is drawn into the image afterwards, until it is shown
  // anew. GTK paints it in the frame that follows.
  void showImage(int control, int number) override;

 private:
  using Image = PixelImage;
  struct ImageControl {
    ImageStoreGtk* store = nullptr;
    GtkWidget* area = nullptr;
    std::uintptr_t bitmap = 0;
    cairo_surface_t* picture = nullptr;
  };

  Image* find(int number);
  int numberOfHandle(std::uintptr_t handle) const;
  void show(ImageControl& control, std::uintptr_t bitmap);
  static ImageControl* controlOf(GtkWidget* area);
  static std::intptr_t controlState(GtkWidget* area);
  static void controlSetState(GtkWidget* area, std::intptr_t value);
  static gboolean onDraw(GtkWidget* area, cairo_t* cairo, gpointer control);

  ControlTableGtk& controls_;
  std::map<int, Image> images_;
  std::vector<std::unique_ptr<ImageControl>> imageControls_;
  std::uintptr_t nextHandle_ = 1;
  int open_ = -1;
};

}  // namespace kurvlux
