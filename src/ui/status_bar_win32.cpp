// Status bars. Without visual styles a progress field is drawn by the parent
// (owner-drawn); with them it is a real progress control laid over the field.
#include "ui/status_bar_win32.hpp"

#include <commctrl.h>
#include <shlwapi.h>

#include "text/wide_text_win32.hpp"
#include "ui/status_layout.hpp"

namespace kurvlux {

namespace {

constexpr int maximumFields = 256;
constexpr std::size_t fieldTableStep = 8;
constexpr int minimumBarHeight = 18;
constexpr UINT_PTR hookId = 0x4B4C;

// Version of the common controls as major * 65536 + minor; a library too old
// to tell counts as version 1.
DWORD commonControlsVersion() {
  const HMODULE library = LoadLibraryW(L"comctl32.dll");
  if (library == nullptr) return 1;
  DWORD version = 1;
  using GetVersionFunction = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  const auto getVersion =
      reinterpret_cast<GetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
  if (getVersion != nullptr) {
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (SUCCEEDED(getVersion(&info))) version = (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
  }
  FreeLibrary(library);
  return version;
}

// The theme library is asked at run time: systems without it simply draw
// without visual styles.
bool applicationThemed() {
  const HMODULE library = LoadLibraryW(L"uxtheme.dll");
  if (library == nullptr) return false;
  using IsThemedFunction = BOOL(WINAPI*)();
  const auto isThemed =
      reinterpret_cast<IsThemedFunction>(reinterpret_cast<void*>(GetProcAddress(library, "IsAppThemed")));
  const bool themed = isThemed != nullptr && isThemed() != FALSE;
  FreeLibrary(library);
  return themed;
}

WPARAM drawingType(int flags) {
  switch (statusBorder(flags)) {
    case StatusBorder::raised:
      return SBT_POPOUT;
    case StatusBorder::none:
      return SBT_NOBORDERS;
    case StatusBorder::sunken:
      break;
  }
  return 0;
}

RECT fieldRect(HWND bar, int index) {
  RECT rect{};
  SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void placeProgressControl(HWND bar, int index, HWND control) {
  const RECT rect = fieldRect(bar, index);
  const PixelRect inset =
      progressControlRect(PixelRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
  MoveWindow(control, inset.x, inset.y, inset.width, inset.height, TRUE);
}

}  // namespace

StatusBarWin32::~StatusBarWin32() {
  for (auto& [id, record] : records_) {
    if (IsWindow(record->handle)) RemoveWindowSubclass(record->handle, barHook, hookId);
    if (IsWindow(record->parent)) RemoveWindowSubclass(record->parent, parentHook, hookId);
  }
}

HWND StatusBarWin32::createStatusBar(int id, HWND parent) {
  if (!themedDecided_) {
    themed_ = applicationThemed() && commonControlsVersion() > 0x5FFFF;
    themedDecided_ = true;
  }
  const HWND bar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, L"", parent, static_cast<UINT>(id));
  if (bar == nullptr) return nullptr;
  auto record = std::make_unique<StatusBarRecord>();
  record->id = id;
  record->handle = bar;
  record->parent = parent;
  record->fields.reserve(fieldTableStep);
  records_[id] = std::move(record);
  currentBar_ = id;

  // Re-installing the same hook only updates it, so a parent with several
  // bars is hooked once.
  SetWindowSubclass(parent, parentHook, hookId, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(bar, barHook, hookId, reinterpret_cast<DWORD_PTR>(this));

  SendMessageW(bar, SB_SETMINHEIGHT, minimumBarHeight, 0);
  SendMessageW(bar, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(parent, &client);
  SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  return bar;
}

void StatusBarWin32::addStatusField(int width) {
  StatusBarRecord* record = find(currentBar_);
  if (record == nullptr || record->fields.size() >= maximumFields) return;
  if (record->fields.size() == record->fields.capacity())
    record->fields.reserve(record->fields.size() + fieldTableStep);
  StatusField field;
  field.width = width;
  record->fields.push_back(field);
  layout(*record);
}

void StatusBarWin32::setStatusText(int bar, int index, TextView text, int flags) {
  StatusBarRecord* record = nullptr;
  StatusField* field = fieldOf(bar, index, &record);
  if (field == nullptr) return;
  if (field->progressControl != nullptr) ShowWindow(field->progressControl, SW_HIDE);
  field->kind = StatusFieldKind::text;
  field->flags = flags;
  const std::wstring composed = wideText(composeStatusText(text, flags, themed_));
  SendMessageW(record->handle, SB_SETTEXTW, static_cast<WPARAM>(index) | drawingType(flags),
               reinterpret_cast<LPARAM>(composed.c_str()));
  if (statusBorder(flags) == StatusBorder::none) {
    // The field may have been drawn with a border before.
    const RECT rect = fieldRect(record->handle, index);
    InvalidateRect(record->handle, &rect, TRUE);
  }
}

void StatusBarWin32::setStatusProgress(int bar, int index, int value, int appearance, int minimum,
                                       int maximum) {
  StatusBarRecord* record = nullptr;
  StatusField* field = fieldOf(bar, index, &record);
  if (field == nullptr) return;
  const bool controlExisted = field->progressControl != nullptr;
  if (themed_ && !controlExisted) {
    field->progressControl = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                                             record->handle, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  field->kind = StatusFieldKind::progress;
  field->flags = appearance;
  field->value = value;
  if (minimum != keepProgressBound) field->minimum = minimum;
  if (maximum != keepProgressBound) field->maximum = maximum;

  const WPARAM type = drawingType(appearance);
  if (field->progressControl != nullptr) {
    SendMessageW(field->progressControl, PBM_SETRANGE32, static_cast<WPARAM>(field->minimum), field->maximum);
    SendMessageW(field->progressControl, PBM_SETPOS, static_cast<WPARAM>(value), 0);
    if (controlExisted && IsWindowVisible(field->progressControl)) return;
    SendMessageW(record->handle, SB_SETTEXTW, static_cast<WPARAM>(index) | type,
                 reinterpret_cast<LPARAM>(L""));
    placeProgressControl(record->handle, index, field->progressControl);
    ShowWindow(field->progressControl, SW_SHOWNA);
    return;
  }
  SendMessageW(record->handle, SB_SETTEXTW, static_cast<WPARAM>(index) | type | SBT_OWNERDRAW, 0);
  const RECT rect = fieldRect(record->handle, index);
  InvalidateRect(record->handle, &rect, TRUE);
}

HWND StatusBarWin32::statusBarHandle(int id) const {
  const StatusBarRecord* record = find(id);
  return record ? record->handle : nullptr;
}

const StatusField* StatusBarWin32::field(int bar, int index) const {
  StatusBarRecord* record = nullptr;
  return fieldOf(bar, index, &record);
}

StatusBarRecord* StatusBarWin32::find(int id) const {
  auto it = records_.find(id);
  return it == records_.end() ? nullptr : it->second.get();
}

StatusBarRecord* StatusBarWin32::findByHandle(HWND bar) const {
  for (const auto& [id, record] : records_) {
    if (record->handle == bar) return record.get();
  }
  return nullptr;
}

// An index past the bar's fields is ignored rather than written past the table.
StatusField* StatusBarWin32::fieldOf(int bar, int index, StatusBarRecord** record) const {
  *record = find(bar);
  if (*record == nullptr || index < 0 || static_cast<std::size_t>(index) >= (*record)->fields.size()) {
    return nullptr;
  }
  return &(*record)->fields[static_cast<std::size_t>(index)];
}

void StatusBarWin32::layout(StatusBarRecord& record) {
  if (record.fields.empty()) return;
  RECT client{};
  GetClientRect(record.handle, &client);
  const LONG_PTR parentStyle = GetWindowLongPtrW(record.parent, GWL_STYLE);
  const int available = statusAvailableWidth(client.right, client.bottom, (parentStyle & WS_THICKFRAME) != 0,
                                             IsZoomed(record.parent) != FALSE);
  std::vector<int> widths;
  widths.reserve(record.fields.size());
  for (const StatusField& field : record.fields) widths.push_back(field.width);
  std::vector<int> edges = statusRightEdges(widths, available);
  SendMessageW(record.handle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  if (!themed_) return;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (record.fields[i].progressControl != nullptr) {
      placeProgressControl(record.handle, static_cast<int>(i), record.fields[i].progressControl);
    }
  }
}

void StatusBarWin32::parentSized(HWND parent, int width, int height) {
  for (auto& [id, record] : records_) {
    if (record->parent != parent) continue;
    if (record->parentWidth == width && record->parentHeight == height) continue;
    SendMessageW(record->handle, WM_SIZE, 0, 0);
    layout(*record);
    InvalidateRect(record->handle, nullptr, TRUE);
    record->parentWidth = width;
    record->parentHeight = height;
  }
}

bool StatusBarWin32::drawField(const DRAWITEMSTRUCT& item) {
  const StatusBarRecord* record = findByHandle(item.hwndItem);
  if (record == nullptr || item.itemID >= record->fields.size()) return false;
  const StatusField& field = record->fields[item.itemID];
  if (field.kind != StatusFieldKind::progress) return true;
  RECT inner = item.rcItem;
  InflateRect(&inner, -1, -1);
  const int fill = progressFillWidth(field.value, field.minimum, field.maximum, inner.right - inner.left);
  if (fill > 0 && inner.bottom > inner.top) {
    RECT filled{inner.left, inner.top, inner.left + fill, inner.bottom};
    FillRect(item.hDC, &filled, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  return true;
}

LRESULT CALLBACK StatusBarWin32::parentHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
  auto* table = reinterpret_cast<StatusBarWin32*>(data);
  switch (message) {
    case WM_SIZE:
      if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
        table->parentSized(window, LOWORD(lParam), HIWORD(lParam));
      }
      break;
    case WM_DRAWITEM:
      if (table->drawField(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, parentHook, hookId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK StatusBarWin32::barHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    auto* table = reinterpret_cast<StatusBarWin32*>(data);
    RemoveWindowSubclass(window, barHook, hookId);
    if (StatusBarRecord* record = table->findByHandle(window)) {
      if (table->currentBar_ == record->id) table->currentBar_ = -1;
      table->records_.erase(record->id);
    }
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace kurvlux
