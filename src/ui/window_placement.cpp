#include "ui/window_placement.hpp"

#include <algorithm>

namespace kurvlux {

WindowPlacement centredPlacement(int outerWidth, int outerHeight, int screenWidth, int screenHeight) {
  const int width = std::min(outerWidth, screenWidth);
  const int height = std::min(outerHeight, screenHeight);
  return WindowPlacement{(screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
}

}  // namespace kurvlux
