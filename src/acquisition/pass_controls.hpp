// The controls as one pass of the main loop sees them. A control changes only
// while window messages are handled (the event fetch, the info boxes) or when
// the program itself writes it, so within a pass each state and text is
// asked of the window once and answered from that reading afterwards.
#pragma once

#include <cstdint>
#include <map>

#include "ui/controls.hpp"

namespace kurvlux {

class PassControls final : public Controls {
 public:
  explicit PassControls(Controls& controls) : controls_(controls) {}

  // Called where messages may have been handled: every reading is asked anew.
  void forgetReadings();

  std::intptr_t controlState(int id) override;
  void setControlState(int id, std::intptr_t value) override;
  Text controlText(int id) override;
  void setControlText(int id, TextView text) override;
  void disableControl(int id, int flag) override;
  void addControlItem(int id, int position, TextView text) override;
  void setControlTooltip(int id, TextView text) override;

 private:
  struct Reading {
    bool hasState = false;
    std::intptr_t state = 0;
    bool hasText = false;
    Text text;
  };

  Controls& controls_;
  std::map<int, Reading> readings_;
};

}  // namespace kurvlux
