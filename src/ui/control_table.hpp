// The identifier table of the controls: one record per control, holding the
// platform's handle of the control and the operations of its kind. Windows
// and GTK each use it with their own handle type and add what their window
// system does differently (enabling, tooltips), so the program's logic
// cannot tell the two apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/controls.hpp"

namespace kurvlux {

// One shared table of operations per kind of control (combo box, button,
// image control); an empty slot means the kind has no such operation.
template <typename Handle>
struct ControlKindOf {
  std::intptr_t (*state)(Handle control) = nullptr;
  void (*setState)(Handle control, std::intptr_t value) = nullptr;
  Text (*text)(Handle control) = nullptr;
  void (*setText)(Handle control, TextView text) = nullptr;
  void (*addItem)(Handle control, int position, TextView text) = nullptr;
};

template <typename Handle>
struct ControlRecordOf {
  Handle handle = nullptr;
  const ControlKindOf<Handle>* kind = nullptr;
};

template <typename Handle>
class ControlTable : public Controls {
 public:
  using Kind = ControlKindOf<Handle>;
  using Record = ControlRecordOf<Handle>;

  void registerControl(int id, Handle handle, const Kind& kind) {
    if (id < 0) return;
    if (static_cast<std::size_t>(id) >= records_.size()) records_.resize(static_cast<std::size_t>(id) + 1);
    records_[static_cast<std::size_t>(id)] = Record{handle, &kind};
  }

  // nullptr for an identifier that names no control.
  const Record* find(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= records_.size()) return nullptr;
    const Record& record = records_[static_cast<std::size_t>(id)];
    return record.handle != nullptr && record.kind != nullptr ? &record : nullptr;
  }

  Handle controlHandle(int id) const {
    const Record* record = find(id);
    return record ? record->handle : nullptr;
  }

  std::intptr_t controlState(int id) override {
    const Record* record = find(id);
    return record && record->kind->state ? record->kind->state(record->handle) : 0;
  }

  void setControlState(int id, std::intptr_t value) override {
    const Record* record = find(id);
    if (record && record->kind->setState) record->kind->setState(record->handle, value);
  }

  Text controlText(int id) override {
    const Record* record = find(id);
    return record && record->kind->text ? record->kind->text(record->handle) : Text();
  }

  void setControlText(int id, TextView text) override {
    const Record* record = find(id);
    if (record && record->kind->setText) record->kind->setText(record->handle, text);
  }

  void addControlItem(int id, int position, TextView text) override {
    const Record* record = find(id);
    if (record && record->kind->addItem) record->kind->addItem(record->handle, position, text);
  }

 private:
  std::vector<Record> records_;
};

}  // namespace kurvlux
