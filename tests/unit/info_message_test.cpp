#include "ui/info_message.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/recording_controls.hpp"
#include "fakes/recording_event_pump.hpp"

namespace kurvlux {
namespace {

const Text rule(85, u'-');

TEST(InfoText, KeepsEveryTabBlankAndLineEnd) {
  const Text info = infoText();
  EXPECT_EQ(info.rfind(u"Name:\t\t\tKurvlux [Vevi Version]\r\nVersion: \t\t\t1.0.0.0\r\n", 0), 0u);
  EXPECT_NE(info.find(u"\r\n\r\n" + rule + u"\r\n\r\nDieses Programm"), Text::npos);
  EXPECT_NE(info.find(u"als Binärdaten. Die vertikale Auflösung beträgt 8 Bit"), Text::npos);
  EXPECT_NE(info.find(u"KHz-Bereich. \r\n\r\nRaster-Abstand vertikal:\t32 Pixel"), Text::npos);
  EXPECT_NE(info.find(u"einfache Triggerung  möglich (pos. Flanke)\r\n\r\n" + rule + u"\r\n\r\n"),
            Text::npos);
  EXPECT_TRUE(info.ends_with(rule + u"\r\n\r\n"));
  EXPECT_EQ(info.find(rule + u"-"), Text::npos) << "a rule of more than 85 hyphens";
}

TEST(SketchText, IsTheBoardExample) {
  const Text sketch = sketchText();
  EXPECT_EQ(sketch.rfind(u"Beispiel für den Arduino-Sketch:\r\n" + rule + u"\r\n\r\n// Definiert", 0), 0u);
  EXPECT_NE(sketch.find(u"    Serial.begin(250000);\r\n}\r\n\r\n\r\nvoid loop() {\r\n"), Text::npos);
  EXPECT_TRUE(sketch.ends_with(u"    Serial.write(analogRead(0)/4);\r\n}\r\n\r\n" + rule + u"\r\n"));
}

TEST(InfoSequence, ReleasesTheButtonBeforeTheFirstBox) {
  fakes::RecordingControls controls;
  controls.add(infoToggleId).state = 1;
  fakes::RecordingEventPump pump;
  std::vector<std::intptr_t> buttonWhileOpen;
  pump.whileMessageOpen = [&] { buttonWhileOpen.push_back(controls.controlState(infoToggleId)); };

  runInfoSequence(controls, pump);

  ASSERT_EQ(pump.messages.size(), 2u);
  EXPECT_EQ(pump.messages[0].title, u"Kurvlux v1.0 [Vevi Version]");
  EXPECT_EQ(pump.messages[1].title, u"Kurvlux v1.0 [Vevi Version]");
  EXPECT_EQ(pump.messages[0].text, infoText());
  EXPECT_EQ(pump.messages[1].text, sketchText());
  EXPECT_EQ(pump.messages[0].font, MessageFont::proportional);
  EXPECT_EQ(pump.messages[1].font, MessageFont::fixedWidth);
  EXPECT_EQ(buttonWhileOpen, (std::vector<std::intptr_t>{0, 0}));
}

TEST(InfoSequence, DoesNothingWhileTheButtonIsReleased) {
  fakes::RecordingControls controls;
  controls.add(infoToggleId).state = 0;
  fakes::RecordingEventPump pump;
  runInfoSequence(controls, pump);
  EXPECT_TRUE(pump.messages.empty());
  EXPECT_TRUE(controls.log.empty());
}

}  // namespace
}  // namespace kurvlux
