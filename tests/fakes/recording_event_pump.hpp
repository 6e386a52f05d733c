// An event pump that returns scripted events, records pauses, waits and
// message boxes, and can run a hook when a box is "open" (the loop stands
// still then).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "ui/event_pump.hpp"

namespace kurvlux::fakes {

struct Wait {
  std::uintptr_t port = 0;
  int milliseconds = 0;
  bool operator==(const Wait&) const = default;
};

struct ShownMessage {
  Text title;
  Text text;
  MessageFont font = MessageFont::proportional;
};

class RecordingEventPump final : public EventPump {
 public:
  int fetchEvent() override {
    ++fetches;
    if (events.empty()) return 0;
    const int event = events.front();
    events.pop_front();
    return event;
  }
  void pauseMilliseconds(int milliseconds) override { pauses.push_back(milliseconds); }
  void waitForInput(std::uintptr_t port, int milliseconds) override { waits.push_back({port, milliseconds}); }
  bool plansWaits() const override { return plans; }
  bool canvasSeen() const override { return seen; }
  void showMessage(TextView title, TextView text, MessageFont font) override {
    messages.push_back(ShownMessage{Text(title), Text(text), font});
    if (whileMessageOpen) whileMessageOpen();
  }

  std::deque<int> events;
  std::vector<int> pauses;
  std::vector<Wait> waits;
  std::vector<ShownMessage> messages;
  std::function<void()> whileMessageOpen;
  int fetches = 0;
  bool plans = false;
  bool seen = true;
};

}  // namespace kurvlux::fakes
