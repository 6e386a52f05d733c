#include "ui/event_queue.hpp"

namespace kurvlux {

void EventQueue::record(const EventRecord& event) {
  // Numbers above 65536 carry their meaning in the data words, so those
  // records are never merged.
  constexpr std::int32_t collapsibleBelow = 65537;
  if (!records_.empty()) {
    const EventRecord& newest = records_.back();
    if (newest.number < collapsibleBelow && newest.number == event.number && newest.window == event.window &&
        newest.control == event.control && newest.kind == event.kind) {
      return;
    }
  }
  records_.push_back(event);
}

std::optional<EventRecord> EventQueue::take() {
  if (records_.empty()) return std::nullopt;
  EventRecord oldest = records_.front();
  records_.pop_front();
  return oldest;
}

}  // namespace kurvlux
