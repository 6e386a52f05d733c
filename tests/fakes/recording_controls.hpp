// A small, honest stand-in for the window's controls: it keeps what it is
// told, answers from that, and logs every change so a test can say which
// calls a step made.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/controls.hpp"

namespace kurvlux::fakes {

struct FakeControl {
  std::intptr_t state = 0;
  Text text;
  bool disabled = false;
  std::vector<Text> items;
  Text tooltip;
};

class RecordingControls final : public Controls {
 public:
  // Only identifiers that were added name a control; others do nothing.
  FakeControl& add(int id) { return controls_[id]; }
  FakeControl& at(int id) { return controls_.at(id); }
  bool has(int id) const { return controls_.count(id) != 0; }

  std::intptr_t controlState(int id) override {
    auto it = controls_.find(id);
    return it == controls_.end() ? 0 : it->second.state;
  }
  void setControlState(int id, std::intptr_t value) override {
    log.push_back("state " + std::to_string(id) + " " + std::to_string(value));
    if (auto it = controls_.find(id); it != controls_.end()) it->second.state = value;
  }
  Text controlText(int id) override {
    auto it = controls_.find(id);
    return it == controls_.end() ? Text() : it->second.text;
  }
  void setControlText(int id, TextView text) override {
    log.push_back("text " + std::to_string(id) + " " + latin1FromText(text));
    if (auto it = controls_.find(id); it != controls_.end()) it->second.text = Text(text);
  }
  void disableControl(int id, int flag) override {
    log.push_back("disable " + std::to_string(id) + " " + std::to_string(flag != 0));
    if (auto it = controls_.find(id); it != controls_.end()) it->second.disabled = flag != 0;
  }
  void addControlItem(int id, int position, TextView text) override {
    auto it = controls_.find(id);
    if (it == controls_.end()) return;
    auto& items = it->second.items;
    if (position < 0 || static_cast<std::size_t>(position) >= items.size()) {
      items.emplace_back(text);
    } else {
      items.insert(items.begin() + position, Text(text));
    }
  }
  void setControlTooltip(int id, TextView text) override {
    if (auto it = controls_.find(id); it != controls_.end()) it->second.tooltip = Text(text);
  }

  std::vector<std::string> log;

 private:
  std::map<int, FakeControl> controls_;
};

}  // namespace kurvlux::fakes
