// The seven input controls of the main window: where they stand, what they
// show, and what the combo boxes hold right after start.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "text/convert.hpp"
#include "ui/controls.hpp"

namespace kurvlux {

enum class ControlType { editableComboBox, listComboBox, toggleButton };

// Flags handed to the control constructors.
constexpr int editableComboFlags = 0x42;   // drop-down with an edit field that scrolls
constexpr int listComboFlags = 0;          // drop-down list without an edit field
constexpr int toggleButtonFlags = 0x1003;  // a check box that looks like a push button

// The connect toggle's caption while released; the main loop writes it back
// whenever the connection ends.
extern const char16_t* const connectCaption;

struct ControlLayout {
  int id;
  ControlType type;
  int flags;
  // In the status bar's client coordinates once the control has been moved there.
  int x, y, width, height;
  const char16_t* caption;  // toggle buttons only
  const char16_t* tooltip;
};

// Creation order, which is also the order of the moves into the status bar
// and of the tooltips.
extern const std::array<ControlLayout, 7> controlLayouts;

// 43000, not 43200: that is the rate the list has always offered.
constexpr std::array<std::int32_t, 24> baudRates{
    100,   110,   300,   600,   1200,   2400,   4800,   7200,   9600,   14400,  19200,  28800,
    38400, 43000, 56000, 57600, 115200, 128000, 230400, 250000, 256000, 460800, 921600, 1843200};

// The defaults the loop reads until the user changes them.
extern const char16_t* const defaultBaudText;
extern const char16_t* const thresholdOffText;

// The mode list's items; the first is selected at start.
using ModeNames = std::span<const char16_t* const>;

// Fills the baud, mode and threshold boxes, sets their start texts and the
// tooltips of all seven controls. The port box is filled later by the port
// discovery.
void fillControlContents(Controls& controls, ModeNames modeNames);

}  // namespace kurvlux
