// Records every status-bar call in order and keeps the latest field contents.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/status_bar.hpp"

namespace kurvlux::fakes {

struct StatusCall {
  int bar = 0;
  int field = 0;
  bool progress = false;
  Text text;  // text calls
  int flags = 0;  // text flags, or progress appearance
  int value = 0, minimum = 0, maximum = 0;  // progress calls
  bool operator==(const StatusCall&) const = default;
};

inline StatusCall textCall(int field, TextView text, int flags) {
  return StatusCall{1, field, false, Text(text), flags, 0, 0, 0};
}
inline StatusCall progressCall(int field, int value, int minimum, int maximum) {
  return StatusCall{1, field, true, Text(), 0, value, minimum, maximum};
}

class RecordingStatusBar final : public StatusBar {
 public:
  void setStatusText(int bar, int field, TextView text, int flags) override {
    calls.push_back(StatusCall{bar, field, false, Text(text), flags, 0, 0, 0});
    texts[field] = Text(text);
  }
  void setStatusProgress(int bar, int field, int value, int appearance, int minimum,
                         int maximum) override {
    calls.push_back(StatusCall{bar, field, true, Text(), appearance, value, minimum, maximum});
  }
  std::string text(int field) const {
    auto it = texts.find(field);
    return it == texts.end() ? std::string() : latin1FromText(it->second);
  }

  std::vector<StatusCall> calls;
  std::map<int, Text> texts;
};

}  // namespace kurvlux::fakes
