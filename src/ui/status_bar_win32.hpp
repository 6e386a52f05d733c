// The status bars of the program's windows: text fields and progress fields
// along the bottom of the parent window.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "text/convert.hpp"
#include "ui/status_bar.hpp"

namespace kurvlux {

enum class StatusFieldKind { text = 0, image = 1, progress = 2 };

struct StatusField {
  StatusFieldKind kind = StatusFieldKind::text;
  int width = 0;  // or sharedFieldWidth
  int flags = 0;  // text flags, or the appearance of a progress field
  int value = 0;
  int minimum = 0;
  int maximum = 100;
  HWND progressControl = nullptr;
};

class StatusBarWin32;

struct StatusBarRecord {
  int id = 0;
  HWND handle = nullptr;
  HWND parent = nullptr;
  std::vector<StatusField> fields;
  int parentWidth = 0;
  int parentHeight = 0;
};

class StatusBarWin32 final : public StatusBar {
 public:
  StatusBarWin32() = default;
  StatusBarWin32(const StatusBarWin32&) = delete;
  StatusBarWin32& operator=(const StatusBarWin32&) = delete;
  ~StatusBarWin32() override;

  // A bar along the bottom of parent, without size grip and without fields;
  // it becomes the bar that addStatusField adds to. 0 on failure.
  HWND createStatusBar(int id, HWND parent);
  // Appends a text field of that width (or sharedFieldWidth) to the bar
  // created last and lays the bar out again.
  void addStatusField(int width);
  void setStatusText(int bar, int field, TextView text, int flags) override;
  void setStatusProgress(int bar, int field, int value, int appearance, int minimum, int maximum) override;
  HWND statusBarHandle(int id) const;

  // Visual styles in effect: progress fields are real progress controls and
  // right-aligned texts keep a few blanks off the edge. Decided when the
  // first bar is created.
  bool themedControls() const { return themed_; }
  // Lets a test take the other drawing path than the platform would choose.
  void overrideThemedControls(bool themed) {
    themed_ = themed;
    themedDecided_ = true;
  }
  const StatusField* field(int bar, int index) const;

 private:
  static LRESULT CALLBACK parentHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR table);
  static LRESULT CALLBACK barHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR table);
  StatusBarRecord* find(int id) const;
  StatusBarRecord* findByHandle(HWND bar) const;
  StatusField* fieldOf(int bar, int index, StatusBarRecord** record) const;
  void layout(StatusBarRecord& record);
  void parentSized(HWND parent, int width, int height);
  bool drawField(const DRAWITEMSTRUCT& item);

  std::map<int, std::unique_ptr<StatusBarRecord>> records_;
  int currentBar_ = -1;
  bool themed_ = false;
  bool themedDecided_ = false;
};

}  // namespace kurvlux
