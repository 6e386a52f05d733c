// Dispatch of the control operations through each control's kind.
#include "ui/control_table_win32.hpp"

#include "ui/tooltip_win32.hpp"

namespace kurvlux {

void ControlTableWin32::registerControl(int id, HWND handle, const ControlKind& kind) {
  if (id < 0) return;
  if (static_cast<std::size_t>(id) >= records_.size()) records_.resize(static_cast<std::size_t>(id) + 1);
  records_[static_cast<std::size_t>(id)] = ControlRecord{handle, &kind};
}

const ControlRecord* ControlTableWin32::find(int id) const {
  if (id < 0 || static_cast<std::size_t>(id) >= records_.size()) return nullptr;
  const ControlRecord& record = records_[static_cast<std::size_t>(id)];
  return record.handle != nullptr && record.kind != nullptr ? &record : nullptr;
}

HWND ControlTableWin32::controlHandle(int id) const {
  const ControlRecord* record = find(id);
  return record ? record->handle : nullptr;
}

std::intptr_t ControlTableWin32::controlState(int id) {
  const ControlRecord* record = find(id);
  return record && record->kind->state ? record->kind->state(record->handle) : 0;
}

void ControlTableWin32::setControlState(int id, std::intptr_t value) {
  const ControlRecord* record = find(id);
  if (record && record->kind->setState) record->kind->setState(record->handle, value);
}

Text ControlTableWin32::controlText(int id) {
  const ControlRecord* record = find(id);
  return record && record->kind->text ? record->kind->text(record->handle) : Text();
}

void ControlTableWin32::setControlText(int id, TextView text) {
  const ControlRecord* record = find(id);
  if (record && record->kind->setText) record->kind->setText(record->handle, text);
}

void ControlTableWin32::disableControl(int id, int flag) {
  const ControlRecord* record = find(id);
  // Re-applying the state a control already has would change nothing on
  // screen, yet costs the loop a round through the window system per pass.
  if (record && (IsWindowEnabled(record->handle) != FALSE) != (flag == 0)) {
    EnableWindow(record->handle, flag == 0 ? TRUE : FALSE);
  }
}

void ControlTableWin32::addControlItem(int id, int position, TextView text) {
  const ControlRecord* record = find(id);
  if (record && record->kind->addItem) record->kind->addItem(record->handle, position, text);
}

void ControlTableWin32::setControlTooltip(int id, TextView text) {
  const ControlRecord* record = find(id);
  if (record) setTooltip(record->handle, text);
}

}  // namespace kurvlux
