// The identifier table of the controls: one record per control, each with
// the operations of its kind. Every kind (combo box, button, image control)
// provides a ControlKind; an empty slot means the kind has no such operation.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/controls.hpp"

namespace kurvlux {

struct ControlKind {
  std::intptr_t (*state)(HWND control) = nullptr;
  void (*setState)(HWND control, std::intptr_t value) = nullptr;
  Text (*text)(HWND control) = nullptr;
  void (*setText)(HWND control, TextView text) = nullptr;
  void (*addItem)(HWND control, int position, TextView text) = nullptr;
};

struct ControlRecord {
  HWND handle = nullptr;
  const ControlKind* kind = nullptr;
};

class ControlTableWin32 final : public Controls {
 public:
  void registerControl(int id, HWND handle, const ControlKind& kind);
  HWND controlHandle(int id) const;
  const ControlRecord* find(int id) const;

  // The window that receives newly created controls (the main window).
  HWND container() const { return container_; }
  void setContainer(HWND window) { container_ = window; }

  std::intptr_t controlState(int id) override;
  void setControlState(int id, std::intptr_t value) override;
  Text controlText(int id) override;
  void setControlText(int id, TextView text) override;
  void disableControl(int id, int flag) override;
  void addControlItem(int id, int position, TextView text) override;
  void setControlTooltip(int id, TextView text) override;

 private:
  std::vector<ControlRecord> records_;
  HWND container_ = nullptr;
};

}  // namespace kurvlux
