// Canvas operations: every one leaves drawing open on image 4.
#include "render/canvas.hpp"

#include <cstring>
#include <utility>

#include "ui/controls.hpp"

namespace kurvlux {

namespace {
// The control is created taller than the canvas; showing the image makes it
// take the image's size at once.
constexpr int controlCreateHeight = 300;
constexpr int gridColumnStep = 50;
constexpr int gridRowStep = 32;
}  // namespace

void PlotCanvas::stopDrawing() {
  target_.reportWritten();
  store_.stopDrawing();
  target_ = DrawingTarget();
}

void PlotCanvas::startDrawing() { target_ = DrawingTarget(store_.startDrawing(drawingImage)); }

void PlotCanvas::buildCanvas() {
  store_.createImage(drawingImage, width, height);
  store_.createImage(snapshotImage, width, height);
  store_.createImageControl(imageControlId, 0, 0, width, controlCreateHeight,
                            store_.imageHandle(drawingImage));
  startDrawing();
  clearCanvas();
  stopDrawing();
  copyToSnapshot();
  store_.showImage(imageControlId, snapshotImage);
  startDrawing();
}

void PlotCanvas::clearCanvas() {
  if (!target_.isOpen()) return;
  settleSnapshot();
  const PixelView& view = target_.view();
  if (!cleared_.empty() && clearedLayout_.layout == view.layout &&
      clearedLayout_.rowLength == view.rowLength && clearedLayout_.width == view.width &&
      clearedLayout_.height == view.height) {
    drawingTouched_.restore(view, cleared_.data());
  } else {
    drawBackgroundAndGrid();
    const std::size_t bytes =
        static_cast<std::size_t>(view.rowLength) * static_cast<std::size_t>(view.height);
    cleared_.assign(view.pixels, view.pixels + bytes);
    clearedLayout_ = view;
  }
  drawingTouched_.markNoneTouched(view.width, view.height);
}

void PlotCanvas::drawBackgroundAndGrid() {
  // The box is taller than the image on purpose; the border cuts it.
  target_.fillBox(0, 0, width, controlCreateHeight, backgroundColour);
  // The last vertical line (x = 1000) lies outside the image and draws
  // nothing; the horizontal lines end at 1000 and are cut at column 999.
  for (int x = 0; x <= width; x += gridColumnStep) target_.drawLine(x, 0, x, height - 1, gridColour);
  for (int y = 0; y <= height - 1; y += gridRowStep) target_.drawLine(0, y, width, y, gridColour);
}

void PlotCanvas::copyToSnapshot() {
  if (store_.copyImage(drawingImage, snapshotImage) != 0) {
    snapshotTouched_ = drawingTouched_;
  } else {
    snapshotTouched_.forgetAll();
  }
}

void PlotCanvas::presentCanvas() {
  if (store_.showPending(imageControlId)) {
    presentOwed_ = true;
    return;
  }
  presentOwed_ = false;
  stopDrawing();
  copyToSnapshot();
  store_.showImage(imageControlId, drawingImage);
  startDrawing();
}

void PlotCanvas::finishPresent() {
  if (presentOwed_ && !store_.showPending(imageControlId)) presentCanvas();
}

void PlotCanvas::settleSnapshot() {
  if (!presentOwed_) return;
  presentOwed_ = false;
  stopDrawing();
  copyToSnapshot();
  startDrawing();
}

void PlotCanvas::presentAndClear() {
  presentOwed_ = false;
  stopDrawing();
  if (store_.swapImages(drawingImage, snapshotImage)) {
    std::swap(drawingTouched_, snapshotTouched_);
  } else {
    copyToSnapshot();
  }
  store_.showImage(imageControlId, snapshotImage);
  startDrawing();
  clearCanvas();
}

void PlotCanvas::showCanvas() {
  stopDrawing();
  store_.showImage(imageControlId, drawingImage);
  startDrawing();
}

void PlotCanvas::showSnapshot() {
  settleSnapshot();
  stopDrawing();
  store_.showImage(imageControlId, snapshotImage);
  startDrawing();
}

}  // namespace kurvlux
