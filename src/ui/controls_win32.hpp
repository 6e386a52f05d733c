// The identifier table of the controls on Windows: the shared table over
// window handles, with enabling and tooltips done the Windows way.
#pragma once

#include <windows.h>

#include "ui/control_table.hpp"

namespace kurvlux {

using ControlKind = ControlKindOf<HWND>;
using ControlRecord = ControlRecordOf<HWND>;

class ControlTableWin32 final : public ControlTable<HWND> {
 public:
  // The window that receives newly created controls (the main window).
  HWND container() const { return container_; }
  void setContainer(HWND window) { container_ = window; }

  void disableControl(int id, int flag) override;
  void setControlTooltip(int id, TextView text) override;

 private:
  HWND container_ = nullptr;
};

}  // namespace kurvlux
