// The window events recorded while a message is dispatched, waiting for the
// main loop's next fetch.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace kurvlux {

struct EventRecord {
  std::int32_t number = 0;
  int window = -1;
  int control = -1;
  int kind = 0;
  std::intptr_t data1 = 0;
  std::intptr_t data2 = 0;
};

class EventQueue {
 public:
  // A run of identical low-numbered events (a window dragged across the
  // screen, a close button clicked twice) is kept as one record, so the loop
  // that fetches one event per pass does not fall behind.
  void record(const EventRecord& event);
  // The oldest record, removed from the queue; nothing when empty.
  std::optional<EventRecord> take();
  bool empty() const { return records_.empty(); }
  std::size_t size() const { return records_.size(); }

 private:
  std::deque<EventRecord> records_;
};

}  // namespace kurvlux
