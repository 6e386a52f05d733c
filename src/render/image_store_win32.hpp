// Images as 24-bit bottom-up DIB sections and the image control that shows
// them: a subclassed STATIC child registered in the control table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "render/image_store.hpp"
#include "ui/controls_win32.hpp"

namespace kurvlux {

class ImageStoreWin32 final : public ImageStore {
 public:
  explicit ImageStoreWin32(ControlTableWin32& controls);
  ~ImageStoreWin32() override;
  ImageStoreWin32(const ImageStoreWin32&) = delete;
  ImageStoreWin32& operator=(const ImageStoreWin32&) = delete;

  std::uintptr_t createImage(int number, int width, int height) override;
  PixelView startDrawing(int number) override;
  void stopDrawing() override;
  std::uintptr_t copyImage(int source, int target) override;
  bool swapImages(int first, int second) override;
  std::uintptr_t imageHandle(int number) override;
  void createImageControl(int control, int x, int y, int width, int height, std::uintptr_t bitmap) override;
  void showImage(int control, int number) override;

  // The image control kind, shared by every image control.
  static const ControlKind& imageControlKind();

 private:
  struct Image {
    HBITMAP bitmap = nullptr;
    void* pixels = nullptr;
    int width = 0;
    int height = 0;
    // Bumped whenever the pixels may change (new image, opened for drawing).
    std::uint64_t generation = 0;
    // The image this one was copied from and that image's generation at the
    // time; -1 once this image may differ from the copy.
    int copyOf = -1;
    std::uint64_t copyOfGeneration = 0;
  };
  struct ImageControl;

  Image* find(int number);
  int numberOfBitmap(HBITMAP bitmap) const;
  bool replaceable(int number) const;
  void store(int number, Image image);
  static HBITMAP createBitmap(int width, int height, void** pixels);
  bool blit(HBITMAP target, int sourceNumber);
  void keepBitmap(ImageControl& control, HBITMAP bitmap);
  void present(ImageControl& control);
  void repaintWhole(ImageControl& control);
  void keepStandIns(int number);
  HBITMAP bitmapToPaint(const ImageControl& control) const;
  void paint(const ImageControl& control, HDC context) const;
  static std::intptr_t controlState(HWND window);
  static void controlSetState(HWND window, std::intptr_t value);
  static LRESULT CALLBACK controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  ControlTableWin32& controls_;
  std::vector<Image> images_;
  std::vector<std::unique_ptr<ImageControl>> imageControls_;
  // The image open for drawing.
  int open_ = -1;
  std::uint64_t nextGeneration_ = 1;
};

}  // namespace kurvlux
