// The info texts are assembled piece by piece at each showing; the pieces are
// kept apart so each line's tabs, blanks and line ends stay easy to check.
#include "ui/info_message.hpp"

#include <initializer_list>

namespace kurvlux {

const char16_t* const windowTitle = u"Kurvlux v1.0 [Vevi Version]";

namespace {

constexpr const char16_t* rule =
    u"-------------------------------------------------------------------------------------";

Text joined(std::initializer_list<TextView> pieces) {
  Text text;
  for (const TextView piece : pieces) text += piece;
  return text;
}

}  // namespace

Text infoText() {
  return joined({
      u"Name:\t\t\tKurvlux [Vevi Version]\r\n",
      u"Version: \t\t\t1.0.0.0\r\n",
      u"erstellt am: \t\t15.04.2013\r\n",
      u"letztes Update: \t\t15.04.2013\r\n",
      // No single author: the program belongs to its project, which is also
      // the place to reach its developers.
      u"erstellt von: \t\t",
      u"Kurvlux-Projekt",
      u"\r\n",
      u"E-Mail: \t\t\t",
      u"über die Projektseite von Kurvlux",
      u"\r\n\r\n",
      rule,
      u"\r\n\r\n",
      u"Dieses Programm liest die empfangenen Daten byteweise ein und interpretiert sie als "
      u"Binärdaten. ",
      u"Die vertikale Auflösung beträgt 8 Bit (256 Zustände), da immer nur ein Byte ausgewertet "
      u"und dargestellt wird. ",
      u"Die Software dient zum Messen von Spannungsverläufen bis in den unteren KHz-Bereich. ",
      u"\r\n\r\n",
      u"Raster-Abstand vertikal:\t32 Pixel (Gesamt: 8 Linien)\r\n",
      u"Raster-Abstand horizontal:\t50 Pixel (Gesamt: 20 Linien)\r\n",
      u"Breite des Graphen:\t\t1000 Pixel (jeder Pixel stellt ein Messwert dar)\r\n",
      u"Höhe des Graphen:\t\t256 Pixel (jeder Pixel stellt ein Zustand dar)\r\n",
      u"Typische Zeitauflösung:\t50µs/Pixel (ist für den Arduino möglich)\r\n",
      u"maximale Zeitauflösung:\t5,4µs/Pixel (ist für max. darstellbar)\r\n",
      u"Triggerung:\t\teinfache Triggerung  möglich (pos. Flanke)\r\n\r\n",
      rule,
      u"\r\n\r\n",
  });
}

Text sketchText() {
  return joined({
      u"Beispiel für den Arduino-Sketch:\r\n",
      rule,
      u"\r\n",
      u"\r\n",
      u"// Definiert die Bitnamen (sbi -> SetBit = 1, cbi -> ClearBit = 0)\r\n",
      u"#ifndef cbi\r\n",
      u"#define cbi(sfr, bit) (_SFR_BYTE(sfr) &= ~_BV(bit))\r\n",
      u"#endif\r\n",
      u"#ifndef sbi\r\n",
      u"#define sbi(sfr, bit) (_SFR_BYTE(sfr) |= _BV(bit))\r\n",
      u"#endif\r\n",
      u"\r\n\r\n",
      u"void setup() {\r\n",
      u"    // Setzt den ADC-Divisor von 128 Bit auf 16 Bit. Die Genauigkeit\r\n",
      u"    // sinkt etwas, aber die Geschwindigkeit steigt um das 6,5-fache.\r\n",
      u"    sbi(ADCSRA,ADPS2);\r\n",
      u"    cbi(ADCSRA,ADPS1);\r\n",
      u"    cbi(ADCSRA,ADPS0);\r\n",
      u"\r\n",
      u"    // serielle Übertragung starten\r\n",
      u"    Serial.begin(250000);\r\n",
      u"}\r\n",
      u"\r\n\r\n",
      u"void loop() {\r\n",
      u"    // Analog-Pin 0 einlesen, auf 8 Bit skalieren und übertragen\r\n",
      u"    Serial.write(analogRead(0)/4);\r\n",
      u"}\r\n\r\n",
      rule,
      u"\r\n",
  });
}

void runInfoSequence(Controls& controls, EventPump& pump) {
  if (controls.controlState(infoToggleId) != 1) return;
  // The button pops out before the first box opens, so it never looks stuck.
  controls.setControlState(infoToggleId, 0);
  pump.showMessage(windowTitle, infoText(), MessageFont::proportional);
  // Code reads best with its indentation kept in columns.
  pump.showMessage(windowTitle, sketchText(), MessageFont::fixedWidth);
}

}  // namespace kurvlux
