// The control table and the start contents of the combo boxes.
#include "ui/control_layout.hpp"

namespace kurvlux {

const char16_t* const connectCaption = u"Verbinden";
const char16_t* const defaultBaudText = u"250000";
const char16_t* const thresholdOffText = u"aus";

namespace {
constexpr int controlTop = 3;
constexpr int controlHeight = 18;
}  // namespace

const std::array<ControlLayout, 7> controlLayouts{{
    {portBoxId, ControlType::editableComboBox, editableComboFlags, 480, controlTop, 70, controlHeight,
     nullptr, u"verfügbare COM-Ports"},
    {baudBoxId, ControlType::editableComboBox, editableComboFlags, 560, controlTop, 70, controlHeight,
     nullptr, u"Baudrate"},
    {connectToggleId, ControlType::toggleButton, toggleButtonFlags, 640, controlTop, 70, controlHeight,
     connectCaption, u"Verbindung mit COM-Gerät herstellen"},
    {modeListId, ControlType::listComboBox, listComboFlags, 720, controlTop, 110, controlHeight, nullptr,
     u"Plottmodus"},
    {thresholdBoxId, ControlType::editableComboBox, editableComboFlags, 840, controlTop, 50, controlHeight,
     nullptr, u"Triggerschwelle"},
    {pauseToggleId, ControlType::toggleButton, toggleButtonFlags, 900, controlTop, 50, controlHeight,
     u"Pause", u"Plottvorgang pausieren"},
    {infoToggleId, ControlType::toggleButton, toggleButtonFlags, 955, controlTop, 40, controlHeight, u"Info",
     u"Informationen"},
}};

void fillControlContents(Controls& controls, ModeNames modeNames) {
  constexpr int atEnd = -1;
  for (const std::int32_t rate : baudRates) controls.addControlItem(baudBoxId, atEnd, formatDecimal(rate));
  controls.setControlText(baudBoxId, defaultBaudText);

  for (const char16_t* name : modeNames) controls.addControlItem(modeListId, atEnd, name);
  if (!modeNames.empty()) controls.setControlText(modeListId, modeNames.front());

  controls.addControlItem(thresholdBoxId, atEnd, thresholdOffText);
  for (int level = 0; level <= 255; ++level)
    controls.addControlItem(thresholdBoxId, atEnd, formatDecimal(level));
  controls.setControlText(thresholdBoxId, thresholdOffText);

  for (const ControlLayout& layout : controlLayouts) controls.setControlTooltip(layout.id, layout.tooltip);
}

}  // namespace kurvlux
