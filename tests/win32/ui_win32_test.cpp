// The window shell against the real platform: geometry, contents and states
// of the controls, the status bar's texts and progress drawing, the event
// pump and the message box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

#include "acquisition/plot_modes.hpp"
#include "text/wide_text_win32.hpp"
#include "ui/control_layout.hpp"
#include "ui/info_message.hpp"
#include "ui/status_layout.hpp"
#include "ui/tooltip_win32.hpp"
#include "ui/user_interface_win32.hpp"

namespace kurvlux {
namespace {

std::wstring statusText(HWND bar, int field, LRESULT* result = nullptr) {
  const LRESULT length = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field), 0);
  std::wstring buffer(static_cast<std::size_t>(LOWORD(length)) + 1, L'\0');
  const LRESULT answer = SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(field),
                                      reinterpret_cast<LPARAM>(buffer.data()));
  if (result) *result = answer;
  buffer.resize(LOWORD(answer));
  return buffer;
}

RECT rectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class UiShell : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui = new UserInterfaceWin32(plotModeNames); }
  static void TearDownTestSuite() {
    delete ui;
    ui = nullptr;
  }
  // Handles whatever the set-up left pending so a test starts from quiet.
  static void drain() {
    for (int i = 0; i < 10000 && ui->eventPump().fetchEvent() != 0; ++i) {
    }
  }
  static HWND bar() { return ui->statusBars().statusBarHandle(statusBarId); }
  // The window that takes the keyboard focus for a control: the edit field
  // of an editable combo box, the control itself otherwise.
  static HWND focusWindowOf(int id) {
    const HWND control = ui->controls().controlHandle(id);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(control, &info) && info.hwndItem != nullptr && info.hwndItem != control) {
      return info.hwndItem;
    }
    return control;
  }
  static UserInterfaceWin32* ui;
};

UserInterfaceWin32* UiShell::ui = nullptr;

TEST_F(UiShell, MainWindowHasTheFixedClientSizeAndStyle) {
  const HWND window = ui->mainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ui->windows().windowHandle(mainWindowId), window);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 1000);
  EXPECT_EQ(client.bottom, 279);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_TRUE(IsWindowVisible(window));
  wchar_t title[64]{};
  GetWindowTextW(window, title, 64);
  EXPECT_EQ(textFromWide(title), Text(windowTitle));
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
  // The status bar runs along the bottom over the full width.
  RECT barRect = rectInParent(bar());
  EXPECT_EQ(GetParent(bar()), window);
  EXPECT_EQ(barRect.left, 0);
  EXPECT_EQ(barRect.right, 1000);
  EXPECT_EQ(barRect.bottom, 279);
}

TEST_F(UiShell, ControlsStandInTheStatusBarWithTheirGeometry) {
  for (const ControlLayout& layout : controlLayouts) {
    SCOPED_TRACE(layout.id);
    const HWND control = ui->controls().controlHandle(layout.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), bar());
    EXPECT_EQ(GetDlgCtrlID(control), layout.id);
    const RECT rect = rectInParent(control);
    EXPECT_EQ(rect.left, layout.x);
    EXPECT_EQ(rect.top, 3);
    EXPECT_EQ(rect.right - rect.left, layout.width);
    EXPECT_EQ(rect.bottom - rect.top, 18);
    EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    if (layout.type == ControlType::toggleButton) {
      EXPECT_EQ(ui->controls().controlText(layout.id), Text(layout.caption));
      EXPECT_EQ(ui->controls().controlState(layout.id), 0);
      EXPECT_EQ(GetWindowLongPtrW(control, GWL_STYLE) & 0xFFFF, BS_AUTOCHECKBOX | BS_PUSHLIKE);
    } else {
      const bool editable = layout.type == ControlType::editableComboBox;
      COMBOBOXINFO info{};
      info.cbSize = sizeof(info);
      ASSERT_TRUE(GetComboBoxInfo(control, &info));
      EXPECT_EQ(info.hwndItem != nullptr && info.hwndItem != control, editable);
      const LONG_PTR comboStyle = GetWindowLongPtrW(control, GWL_STYLE);
      EXPECT_EQ(comboStyle & CBS_DROPDOWNLIST, editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
      EXPECT_EQ((comboStyle & WS_TABSTOP) != 0, !editable);
      if (editable) {
        EXPECT_NE(GetWindowLongPtrW(info.hwndItem, GWL_STYLE) & WS_TABSTOP, 0);
      }
    }
  }
}

TEST_F(UiShell, ComboBoxesHoldTheirListsAndStartTexts) {
  ControlTableWin32& controls = ui->controls();
  struct Expect {
    int id;
    LRESULT count;
    const char16_t* text;
    std::intptr_t state;
  };
  for (const Expect& e : {Expect{baudBoxId, 24, u"250000", -1}, Expect{modeListId, 8, u"Oszilloskop", 0},
                          Expect{thresholdBoxId, 257, u"aus", -1}, Expect{portBoxId, 0, u"", -1}}) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(SendMessageW(controls.controlHandle(e.id), CB_GETCOUNT, 0, 0), e.count);
    EXPECT_EQ(controls.controlText(e.id), Text(e.text));
    EXPECT_EQ(controls.controlState(e.id), e.state);
  }
  wchar_t item[16]{};
  SendMessageW(controls.controlHandle(thresholdBoxId), CB_GETLBTEXT, 256, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(textFromWide(item), u"255");
  SendMessageW(controls.controlHandle(baudBoxId), CB_GETLBTEXT, 13, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(textFromWide(item), u"43000");
  // Identifiers without a control answer 0 and empty.
  EXPECT_EQ(controls.controlState(13), 0);
  EXPECT_EQ(controls.controlText(4), u"");
}

TEST_F(UiShell, ListOnlyBoxMatchesIgnoringCaseAndKeepsSelectionOtherwise) {
  ControlTableWin32& controls = ui->controls();
  controls.setControlState(modeListId, 3);
  EXPECT_EQ(controls.controlText(modeListId), u"Plot (0.1s)");
  controls.setControlText(modeListId, u"oszilloskop");
  EXPECT_EQ(controls.controlState(modeListId), 0);
  controls.setControlText(modeListId, u"PLOT (2.0S)");
  EXPECT_EQ(controls.controlState(modeListId), 6);
  controls.setControlText(modeListId, u"Plot (3.0s)");
  EXPECT_EQ(controls.controlState(modeListId), 6);
  controls.setControlText(modeListId, u"Plot");  // a prefix is no match
  EXPECT_EQ(controls.controlState(modeListId), 6);
  controls.setControlText(modeListId, u"");
  EXPECT_EQ(controls.controlState(modeListId), -1);
  EXPECT_EQ(controls.controlText(modeListId), u"");
  controls.setControlText(modeListId, u"Oszilloskop");
  EXPECT_EQ(controls.controlState(modeListId), 0);
}

TEST_F(UiShell, EditableBoxTakesAnyTextWithoutTouchingTheSelection) {
  ControlTableWin32& controls = ui->controls();
  controls.setControlState(thresholdBoxId, 5);
  EXPECT_EQ(controls.controlText(thresholdBoxId), u"4");
  for (const char16_t* text : {u"17", u"abc", u"", u"aus"}) {
    controls.setControlText(thresholdBoxId, text);
    EXPECT_EQ(controls.controlText(thresholdBoxId), Text(text));
    EXPECT_EQ(controls.controlState(thresholdBoxId), 5) << latin1FromText(text);
  }
  controls.setControlState(thresholdBoxId, -1);
  controls.setControlText(thresholdBoxId, u"aus");
  EXPECT_EQ(controls.controlState(thresholdBoxId), -1);

  // The port box: items appended, item 0 chosen shows its text.
  controls.addControlItem(portBoxId, -1, u"COM3");
  controls.addControlItem(portBoxId, -1, u"COM7");
  controls.addControlItem(portBoxId, 0, u"COM1");
  controls.setControlState(portBoxId, 0);
  EXPECT_EQ(controls.controlText(portBoxId), u"COM1");
  controls.setControlState(portBoxId, 2);
  EXPECT_EQ(controls.controlText(portBoxId), u"COM7");
}

TEST_F(UiShell, ToggleFlipsWhenThePumpDispatchesTheClick) {
  drain();
  ControlTableWin32& controls = ui->controls();
  const HWND pause = controls.controlHandle(pauseToggleId);
  PostMessageW(pause, BM_CLICK, 0, 0);
  EXPECT_EQ(controls.controlState(pauseToggleId), 0);
  EXPECT_EQ(ui->eventPump().fetchEvent(), static_cast<int>(BM_CLICK));
  EXPECT_EQ(controls.controlState(pauseToggleId), 1);
  controls.setControlState(pauseToggleId, 0);
  EXPECT_EQ(controls.controlState(pauseToggleId), 0);
  controls.setControlText(connectToggleId, u"Trennen");
  EXPECT_EQ(controls.controlText(connectToggleId), u"Trennen");
  controls.setControlText(connectToggleId, connectCaption);
  controls.disableControl(baudBoxId, 1);
  EXPECT_FALSE(IsWindowEnabled(controls.controlHandle(baudBoxId)));
  controls.disableControl(baudBoxId, 0);
  EXPECT_TRUE(IsWindowEnabled(controls.controlHandle(baudBoxId)));
}

TEST_F(UiShell, StatusBarShowsItsFieldsAndTexts) {
  int edges[8]{};
  ASSERT_EQ(SendMessageW(bar(), SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 5);
  EXPECT_EQ(std::vector<int>(edges, edges + 5), (std::vector<int>{70, 170, 270, 390, 470}));
  ASSERT_FALSE(ui->statusBars().themedControls()) << "this platform was expected to draw without styles";
  LRESULT result = 0;
  EXPECT_EQ(statusText(bar(), 0, &result), L"\t0 FPS");
  EXPECT_EQ(HIWORD(result), 0);
  EXPECT_EQ(statusText(bar(), 1), L"\t0 Werte/s");
  EXPECT_EQ(statusText(bar(), 2), L"\t0 ms/DIV");
  EXPECT_EQ(statusText(bar(), 3, &result), L"\t\tCOM-Auslastung: ");
  EXPECT_EQ(HIWORD(result), SBT_NOBORDERS);
  EXPECT_EQ(ui->statusBars().field(statusBarId, 4)->kind, StatusFieldKind::progress);

  ui->statusBars().setStatusText(statusBarId, 1, u"3 Werte/s", statusRaised | statusCentred);
  EXPECT_EQ(statusText(bar(), 1, &result), L"\t3 Werte/s");
  EXPECT_EQ(HIWORD(result), SBT_POPOUT);
  ui->statusBars().setStatusText(statusBarId, 1, u"0 Werte/s", statusCentred);
  // Field indexes beyond the bar and bars that do not exist are ignored.
  ui->statusBars().setStatusText(statusBarId, 5, u"x", 0);
  ui->statusBars().setStatusText(7, 0, u"x", 0);
  ui->statusBars().setStatusProgress(statusBarId, 9, 1, 0, 0, 10);
  EXPECT_EQ(statusText(bar(), 0), L"\t0 FPS");
}

// The owner-drawn progress field, drawn into a bitmap through the parent's
// WM_DRAWITEM just as the status bar asks for it.
std::vector<int> highlightedColumns(HWND parent, HWND bar, int field, int fieldWidth, int fieldHeight) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 100;
  info.bmiHeader.biHeight = -30;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  std::fill_n(static_cast<std::uint32_t*>(bits), 100 * 30, 0x00123456u);
  DRAWITEMSTRUCT item{};
  item.CtlType = 0;
  item.CtlID = statusBarId;
  item.itemID = static_cast<UINT>(field);
  item.hwndItem = bar;
  item.hDC = memory;
  item.rcItem = RECT{0, 0, fieldWidth, fieldHeight};
  SendMessageW(parent, WM_DRAWITEM, statusBarId, reinterpret_cast<LPARAM>(&item));
  GdiFlush();
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const std::uint32_t pixel = (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
  std::vector<int> columns;
  const auto* row = static_cast<const std::uint32_t*>(bits) + 100 * (fieldHeight / 2);
  for (int x = 0; x < 100; ++x) {
    if ((row[x] & 0xFFFFFF) == pixel) columns.push_back(x);
  }
  // Top and bottom rows stay free: the fill keeps one pixel off every edge.
  const auto* top = static_cast<const std::uint32_t*>(bits);
  const auto* bottom = top + 100 * (fieldHeight - 1);
  for (int x = 0; x < 100; ++x) {
    if ((top[x] & 0xFFFFFF) == pixel || (bottom[x] & 0xFFFFFF) == pixel) columns.push_back(-1);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return columns;
}

TEST_F(UiShell, OwnerDrawnProgressFillsItsShareOfTheInnerWidth) {
  StatusBarWin32& bars = ui->statusBars();
  struct Case {
    int value, minimum, maximum, filled;
  };
  // A field 78 wide has an inner width of 76.
  for (const Case& c : {Case{5, 0, 10, 38}, Case{0, 0, 10, 0}, Case{10, 0, 10, 76}, Case{25000, 0, 10, 76},
                        Case{1, 0, 3, 25}}) {
    bars.setStatusProgress(statusBarId, 4, c.value, 0, c.minimum, c.maximum);
    const std::vector<int> columns = highlightedColumns(ui->mainWindow(), bar(), 4, 78, 20);
    SCOPED_TRACE(c.value);
    ASSERT_EQ(static_cast<int>(columns.size()), c.filled);
    if (c.filled > 0) {
      EXPECT_EQ(columns.front(), 1);
      EXPECT_EQ(columns.back(), c.filled);
    }
  }
  // -65535 keeps the stored bound.
  bars.setStatusProgress(statusBarId, 4, 5, 0, keepProgressBound, keepProgressBound);
  EXPECT_EQ(bars.field(statusBarId, 4)->maximum, 3);
  EXPECT_EQ(bars.field(statusBarId, 4)->minimum, 0);
  EXPECT_EQ(bars.field(statusBarId, 4)->progressControl, nullptr);
  bars.setStatusProgress(statusBarId, 4, 0, 0, 0, 10);
  // The real field: inner width of the owner-drawn field 4.
  RECT rect{};
  SendMessageW(bar(), SB_GETRECT, 4, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(rect.right, 470);
  std::printf("field 4 rectangle: %ld..%ld x %ld..%ld\n", rect.left, rect.right, rect.top, rect.bottom);
}

TEST_F(UiShell, ThemedProgressIsAControlLaidIntoTheField) {
  // A child window as the parent: a second top-level window would cost
  // seconds of mapping and unmapping under an X server without a window manager.
  const HWND parent = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 600, 100,
                                      ui->mainWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  StatusBarWin32 bars;
  bars.overrideThemedControls(true);
  const HWND themedBar = bars.createStatusBar(2, parent);
  ASSERT_NE(themedBar, nullptr);
  for (const int width : {70, 100, 100, 120, 80}) bars.addStatusField(width);
  bars.setStatusText(2, 3, u"COM-Auslastung: ", 10);
  EXPECT_EQ(statusText(themedBar, 3), L"\t\tCOM-Auslastung:     ");

  bars.setStatusProgress(2, 4, 300, 0, 0, 25000);
  const HWND progress = bars.field(2, 4)->progressControl;
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(GetParent(progress), themedBar);
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_NE(GetWindowLongPtrW(progress, GWL_STYLE) & PBS_SMOOTH, 0);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 300);
  PBRANGE range{};
  SendMessageW(progress, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 25000);
  RECT field{};
  SendMessageW(themedBar, SB_GETRECT, 4, reinterpret_cast<LPARAM>(&field));
  const RECT placed = rectInParent(progress);
  EXPECT_EQ(placed.left, field.left + 2);
  EXPECT_EQ(placed.top, field.top + 3);
  EXPECT_EQ(placed.right - placed.left, field.right - field.left - 8);
  EXPECT_EQ(placed.bottom - placed.top, field.bottom - field.top - 6);

  // A text hides the control, the next progress shows it again, the same one.
  bars.setStatusText(2, 4, u"x", 4);
  EXPECT_FALSE(IsWindowVisible(progress));
  bars.setStatusProgress(2, 4, 7, 0, keepProgressBound, 10);
  EXPECT_EQ(bars.field(2, 4)->progressControl, progress);
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 7);
  SendMessageW(progress, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iHigh, 10);
  // While visible, only range and position change.
  bars.setStatusProgress(2, 4, 9, 0, 0, 10);
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 9);
  EXPECT_EQ(statusText(themedBar, 4), L"");
  DestroyWindow(parent);
  EXPECT_EQ(bars.statusBarHandle(2), nullptr) << "a destroyed bar leaves the table";
}

TEST_F(UiShell, SharedFieldsFollowTheParentsSize) {
  const HWND parent = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 600, 100,
                                      ui->mainWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  StatusBarWin32 bars;
  bars.overrideThemedControls(true);
  const HWND sharedBar = bars.createStatusBar(4, parent);
  ASSERT_NE(sharedBar, nullptr);
  bars.addStatusField(100);
  bars.addStatusField(sharedFieldWidth);
  bars.addStatusField(sharedFieldWidth);
  bars.setStatusProgress(4, 2, 1, 0, 0, 2);
  int edges[4]{};
  ASSERT_EQ(SendMessageW(sharedBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{100, 350, 600}));
  SetWindowPos(parent, nullptr, 0, 0, 401, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_EQ(SendMessageW(sharedBar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 3);
  EXPECT_EQ(std::vector<int>(edges, edges + 3), (std::vector<int>{100, 250, 400}));
  // The progress control moved along with its field.
  RECT field{};
  SendMessageW(sharedBar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&field));
  EXPECT_EQ(rectInParent(bars.field(4, 2)->progressControl).left, field.left + 2);
  EXPECT_EQ(rectInParent(sharedBar).right, 401);
  DestroyWindow(parent);
}

TEST_F(UiShell, OneTooltipWindowServesEveryControl) {
  const HWND tooltips = tooltipWindowHandle();
  ASSERT_NE(tooltips, nullptr);
  EXPECT_NE(GetWindowLongPtrW(tooltips, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetWindowLongPtrW(tooltips, GWL_STYLE) & (WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX),
            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX);
  // Seven controls plus the edit fields of the three editable boxes.
  const LRESULT tools = SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0);
  EXPECT_EQ(tools, 10);
  auto tipOf = [&](HWND tool) {
    wchar_t text[80]{};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageW(tooltips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    return textFromWide(text);
  };
  const HWND connect = ui->controls().controlHandle(connectToggleId);
  EXPECT_EQ(tipOf(connect), u"Verbindung mit COM-Gerät herstellen");
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  GetComboBoxInfo(ui->controls().controlHandle(portBoxId), &info);
  EXPECT_EQ(tipOf(info.hwndItem), u"verfügbare COM-Ports");
  // Setting a tip again replaces it instead of adding a tool.
  ui->controls().setControlTooltip(portBoxId, u"anders");
  EXPECT_EQ(tipOf(info.hwndItem), u"anders");
  EXPECT_EQ(SendMessageW(tooltips, TTM_GETTOOLCOUNT, 0, 0), tools);
  ui->controls().setControlTooltip(portBoxId, u"verfügbare COM-Ports");
}

// The tip learns where the pointer rests from the mouse messages the event
// fetch hands it; without them it never appears.
TEST_F(UiShell, RestingPointerOverAControlShowsItsTip) {
  const HWND tooltips = tooltipWindowHandle();
  const HWND connect = ui->controls().controlHandle(connectToggleId);
  ShowWindow(ui->mainWindow(), SW_SHOW);
  drain();
  SendMessageW(tooltips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(10, 0));
  POINT centre{10, 8};
  POINT onScreen = centre;
  ClientToScreen(connect, &onScreen);
  SetCursorPos(onScreen.x, onScreen.y);
  ASSERT_EQ(WindowFromPoint(onScreen), connect);
  ASSERT_FALSE(IsWindowVisible(tooltips));
  PostMessageW(connect, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
  // The tip waits for a timer, a few hundred passes of the loop; a busy
  // machine may take many more.
  for (int pass = 0; pass < 2000 && !IsWindowVisible(tooltips); ++pass) {
    ui->eventPump().fetchEvent();
    Sleep(5);
  }
  EXPECT_TRUE(IsWindowVisible(tooltips));
  SetCursorPos(0, 0);
  SendMessageW(tooltips, TTM_POP, 0, 0);
  SendMessageW(tooltips, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(-1, 0));
  drain();
}

TEST_F(UiShell, FetchNeverWaitsAndReturnsTheCloseEventOnce) {
  EventPumpWin32& pump = ui->eventPump();
  drain();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pump.fetchEvent(), 0);

  // A posted close request is the removed message itself.
  PostMessageW(ui->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(pump.fetchEvent(), closeEvent);
  EXPECT_EQ(pump.currentEvent().number, closeEvent);
  EXPECT_TRUE(IsWindow(ui->mainWindow())) << "closing must not destroy the window";
  drain();

  // Close requests delivered while something else is dispatched collapse.
  for (int i = 0; i < 3; ++i) SendMessageW(ui->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(pump.fetchEvent(), closeEvent);
  EXPECT_EQ(pump.currentEvent().window, mainWindowId);
  int closes = 0;
  for (int i = 0; i < 1000; ++i) {
    const int event = pump.fetchEvent();
    if (event == 0) break;
    if (event == closeEvent) ++closes;
  }
  EXPECT_EQ(closes, 0);

  // A window move is recorded and queued behind a close.
  SendMessageW(ui->mainWindow(), WM_CLOSE, 0, 0);
  SendMessageW(ui->mainWindow(), WM_MOVE, 0, 0);
  EXPECT_EQ(pump.fetchEvent(), closeEvent);
  EXPECT_EQ(pump.fetchEvent(), 3);

  pump.pauseMilliseconds(2);
  pump.pauseMilliseconds(-5);
  // The Windows loop polls: an idle pass's wait without a deadline returns,
  // with a port open and without one (after the 3 ms pause), though no
  // message waits; a real wait would hang here.
  pump.waitForInput(0x5150, noDeadline);
  pump.waitForInput(0, noDeadline);
  const std::uint32_t before = pump.tickCount();
  EXPECT_LE(elapsedSince(before, ui->clock().tickCount()), 60000u);
}

TEST_F(UiShell, ClockStepsByTheMillisecond) {
  // The rates in the status bar count over one second of this clock; the
  // system timer's 16 ms steps would stretch that second. A busy machine
  // takes the processor away now and then, which makes a long step, so the
  // fine steps are counted among many: the system timer makes none.
  Clock& clock = ui->clock();
  std::uint32_t last = clock.tickCount();
  int fineSteps = 0;
  for (int steps = 0; steps < 500 && fineSteps < 15;) {
    const std::uint32_t now = clock.tickCount();
    if (now != last) {
      if (elapsedSince(last, now) <= 2) ++fineSteps;
      last = now;
      ++steps;
    }
  }
  EXPECT_EQ(fineSteps, 15);
}

TEST_F(UiShell, TabCyclesThroughTheSevenControls) {
  drain();
  const HWND window = ui->mainWindow();
  SetForegroundWindow(window);
  SetActiveWindow(window);
  drain();
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  GetComboBoxInfo(ui->controls().controlHandle(baudBoxId), &info);
  SetFocus(info.hwndItem);
  ASSERT_EQ(GetFocus(), info.hwndItem);

  std::vector<HWND> visited;
  for (int i = 0; i < 7; ++i) {
    cycleFocus(window, true);
    visited.push_back(GetFocus());
  }
  // Left to right along the row, starting after the baud box and wrapping.
  std::vector<HWND> expected;
  for (const int id : {connectToggleId, modeListId, thresholdBoxId, pauseToggleId, infoToggleId, portBoxId,
                       baudBoxId}) {
    expected.push_back(focusWindowOf(id));
  }
  EXPECT_EQ(visited, expected);
  for (int i = 5; i >= 0; --i) {
    cycleFocus(window, false);
    EXPECT_EQ(GetFocus(), visited[static_cast<std::size_t>(i)]);
  }
  // A focused window that is no tab stop keeps the focus on Tab; Shift+Tab
  // takes it to the last candidate, from which Tab wraps to the first.
  SetFocus(bar());
  cycleFocus(window, true);
  EXPECT_EQ(GetFocus(), bar());
  cycleFocus(window, false);
  const HWND last = GetFocus();
  cycleFocus(window, true);
  const HWND first = GetFocus();
  EXPECT_NE(first, last);
  EXPECT_NE(std::find(visited.begin(), visited.end(), first), visited.end());
  cycleFocus(window, false);
  EXPECT_EQ(GetFocus(), last);
  // The order follows the visible cycle: first comes right after last.
  const auto lastAt = std::find(visited.begin(), visited.end(), last) - visited.begin();
  EXPECT_EQ(visited[static_cast<std::size_t>((lastAt + 1) % 7)], first);

  // Through the pump: the Tab key reaches the accelerator, not the edit field.
  if (GetActiveWindow() == window) {
    const HWND before = GetFocus();
    const auto beforeAt = std::find(visited.begin(), visited.end(), before) - visited.begin();
    PostMessageW(before, WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(ui->eventPump().fetchEvent(), static_cast<int>(WM_KEYDOWN));
    EXPECT_EQ(GetFocus(), visited[static_cast<std::size_t>((beforeAt + 1) % 7)]);
  } else {
    ADD_FAILURE() << "the main window could not be activated";
  }
  drain();
}

TEST_F(UiShell, ReactivationGivesTheFocusBackOnlyToAControlThatCanTakeIt) {
  drain();
  const HWND window = ui->mainWindow();
  const HWND portEdit = focusWindowOf(portBoxId);
  for (const bool disabledMeanwhile : {false, true}) {
    SCOPED_TRACE(disabledMeanwhile);
    SetFocus(portEdit);
    ASSERT_EQ(GetFocus(), portEdit);
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    // The box, not its edit field, is what connecting disables.
    ui->controls().disableControl(portBoxId, disabledMeanwhile ? 1 : 0);
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), disabledMeanwhile ? nullptr : portEdit);
    ui->controls().disableControl(portBoxId, 0);
  }
  drain();
}

TEST_F(UiShell, MessageBoxDisablesTheOtherWindowsWhileOpen) {
  drain();
  // Another visible top-level window of the thread, and the tooltip (topmost).
  const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetForegroundWindow(ui->mainWindow());
  const HWND tooltips = tooltipWindowHandle();
  ASSERT_NE(tooltips, nullptr);
  ASSERT_NE(GetWindowLongPtrW(tooltips, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  bool otherDisabledWhileOpen = false;
  bool tooltipLoweredWhileOpen = false;
  bool boxFound = false;
  HWND boxOwner = nullptr;
  std::thread closer([&] {
    for (int i = 0; i < 500 && !boxFound; ++i) {
      Sleep(10);
      const HWND box = FindWindowW(L"#32770", L"Kurvlux v1.0 [Vevi Version]");
      if (box == nullptr) continue;
      boxFound = true;
      boxOwner = GetWindow(box, GW_OWNER);
      otherDisabledWhileOpen = !IsWindowEnabled(other);
      tooltipLoweredWhileOpen = (GetWindowLongPtrW(tooltips, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  });
  ui->eventPump().showMessage(windowTitle, u"Hallo", MessageFont::proportional);
  closer.join();
  ASSERT_TRUE(boxFound);
  EXPECT_TRUE(otherDisabledWhileOpen);
  EXPECT_TRUE(tooltipLoweredWhileOpen);
  if (GetForegroundWindow() == ui->mainWindow()) {
    EXPECT_EQ(boxOwner, ui->mainWindow());
  }
  EXPECT_TRUE(IsWindowEnabled(other));
  EXPECT_TRUE(IsWindowEnabled(ui->mainWindow()));
  EXPECT_NE(GetWindowLongPtrW(tooltips, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  // Left alone: it has no size, and unmapping a window costs two seconds
  // under an X server without a window manager. It goes with the process.
}

}  // namespace
}  // namespace kurvlux
