// Readings of one pass; any write to a control drops what was read of it,
// since setting a combo box's text can change its selection and the reverse.
#include "acquisition/pass_controls.hpp"

namespace kurvlux {

void PassControls::forgetReadings() { readings_.clear(); }

std::intptr_t PassControls::controlState(int id) {
  Reading& reading = readings_[id];
  if (!reading.hasState) {
    reading.state = controls_.controlState(id);
    reading.hasState = true;
  }
  return reading.state;
}

Text PassControls::controlText(int id) {
  Reading& reading = readings_[id];
  if (!reading.hasText) {
    reading.text = controls_.controlText(id);
    reading.hasText = true;
  }
  return reading.text;
}

void PassControls::setControlState(int id, std::intptr_t value) {
  readings_.erase(id);
  controls_.setControlState(id, value);
}

void PassControls::setControlText(int id, TextView text) {
  readings_.erase(id);
  controls_.setControlText(id, text);
}

void PassControls::disableControl(int id, int flag) { controls_.disableControl(id, flag); }

void PassControls::addControlItem(int id, int position, TextView text) {
  readings_.erase(id);
  controls_.addControlItem(id, position, text);
}

void PassControls::setControlTooltip(int id, TextView text) { controls_.setControlTooltip(id, text); }

}  // namespace kurvlux
