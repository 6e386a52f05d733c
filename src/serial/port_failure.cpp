// The box texts of a port that will not connect. Each names the device as
// the port box shows it and ends with the one thing to do next.
#include "serial/port_failure.hpp"

#include "text/file_name_text.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {

namespace {

// A name the system found too long would fill the box; its start is enough
// to recognise it.
constexpr std::size_t longestShownName = 60;

Text quoted(const Text& text) { return u"„" + text + u"“"; }

Text shownDevice(const PortFailure& failure) {
  Text name = textFromFileName(failure.device);
  if (failure.kind == PortFailureKind::nameTooLong && name.size() > longestShownName) {
    name = name.substr(0, longestShownName) + u"…";
  }
  return name;
}

constexpr const char16_t* tryAgain = u"klicken Sie dann noch einmal auf „Verbinden“.";
constexpr const char16_t* pickFromList =
    u"Öffnen Sie die Liste der Ports (das erste Auswahlfeld unten rechts) und wählen Sie das Board dort aus.";

Text permissionMessage(const PortFailure& failure, const Text& device) {
  Text text = u"Kurvlux darf " + device + u" nicht öffnen: Dem Benutzer " +
              quoted(textFromUtf8(failure.userName)) + u" fehlt die Berechtigung.\n\n";
  const std::optional<DeviceGroup>& group = failure.group;
  if (!group || !group->groupMayUse) {
    // Root's own devices, or a group that may not write either: there is no
    // group to join, only someone with root rights can open the device up.
    return text +
           u"Das Gerät ist nur für den Systemverwalter freigegeben, nicht für eine Gruppe, der Sie beitreten "
           u"könnten. Bitten Sie den Verwalter des Rechners, es freizugeben (zum Beispiel mit einer "
           u"udev-Regel, "
           u"die es der Gruppe „dialout“ gibt), und " +
           tryAgain;
  }
  const Text groupName = quoted(textFromUtf8(group->name));
  if (group->inSession) {
    return text + u"Das Gerät gehört der Gruppe " + groupName +
           u", und Sie sind in dieser Gruppe; trotzdem verweigert das System den Zugriff. Bitten Sie den "
           u"Verwalter des Rechners, die Rechte des Geräts zu prüfen, und " +
           tryAgain;
  }
  if (group->inDatabase) {
    return text + u"Das Gerät gehört der Gruppe " + groupName +
           u". Sie sind zwar schon in diese Gruppe aufgenommen, aber erst nach Ihrer Anmeldung: In dieser "
           u"Sitzung gilt sie noch nicht.\n\nMelden Sie sich ab und wieder an (oder starten Sie den Rechner "
           u"neu) und " +
           tryAgain;
  }
  return text + u"Das Gerät gehört der Gruppe " + groupName +
         u", und Sie sind nicht in dieser Gruppe. So nehmen Sie sich in die Gruppe auf (in einem Terminal, "
         u"mit Ihrem Passwort):\n\nsudo usermod -aG " +
         textFromUtf8(group->name) + u" " + textFromUtf8(failure.userName) +
         u"\n\nMelden Sie sich danach ab und wieder an (erst dann gilt die Gruppe) und " + tryAgain;
}

Text busyMessage(const PortFailure& failure, const Text& device) {
  if (!failure.holders.empty()) {
    return device + u" ist belegt, " + textFromUtf8(holdersPhrase(failure.holders, "gehalten von", "und")) +
           u".\n\nBeenden Sie dieses Programm oder trennen Sie es dort vom Gerät und " + tryAgain;
  }
  // Only here is unplugging the advice: a holder that can be named is
  // better ended than cut off.
  return device +
         u" ist belegt, aber kein Programm dieses Benutzers hat es geöffnet. Es hält wohl das Programm eines "
         u"anderen Benutzers oder des Systems (etwa ModemManager), oder ein beendetes Programm hat es "
         u"gesperrt zurückgelassen.\n\nZiehen Sie das Gerät ab, stecken Sie es wieder ein und " +
         tryAgain;
}

Text goneMessage(const PortFailure& failure, const Text& device) {
  const Text renamed = textFromFileName(failure.renamedTo);
  const bool lost = failure.kind == PortFailureKind::lost;
  Text text =
      lost ? u"Die Verbindung zu " + device +
                 u" ist abgebrochen: Das Gerät wurde abgezogen, neu gestartet oder antwortet nicht mehr."
           : device + u" gibt es nicht (mehr).";
  if (!renamed.empty()) {
    return text + u" Dasselbe Board ist jetzt unter dem Namen " + renamed + u" da.\n\nWählen Sie " + renamed +
           u" in der Liste der Ports und " + tryAgain;
  }
  return text +
         (lost ? u"\n\nStecken Sie es wieder ein, warten Sie einen Augenblick und "
               : u"\n\nIst das Board eingesteckt? Nach dem Einstecken oder einem Neustart bekommt es "
                 u"manchmal einen neuen Namen. ") +
         (lost ? Text(tryAgain) : Text(pickFromList));
}

}  // namespace

std::string holdersPhrase(const std::vector<PortHolder>& holders, const char* by, const char* joiner) {
  std::string phrase = by;
  for (std::size_t i = 0; i < holders.size(); ++i) {
    phrase += i == 0 ? std::string(" ") : i + 1 == holders.size() ? std::string(" ") + joiner + " " : ", ";
    phrase += printableFileName(holders[i].program) + " (PID " + std::to_string(holders[i].pid) + ")";
  }
  return phrase;
}

Text portFailureMessage(const PortFailure& failure) {
  const Text device = shownDevice(failure);
  switch (failure.kind) {
    case PortFailureKind::noPort:
      return u"Es ist kein Port gewählt.\n\nStecken Sie das Board ein. " + Text(pickFromList);
    case PortFailureKind::noPermission:
      return permissionMessage(failure, device);
    case PortFailureKind::busy:
      return busyMessage(failure, device);
    case PortFailureKind::gone:
    case PortFailureKind::lost:
      return goneMessage(failure, device);
    case PortFailureKind::notSerial:
      return device + u" ist keine serielle Schnittstelle, an der ein Board hängen kann.\n\n" + pickFromList;
    case PortFailureKind::ownTerminal:
      return device +
             u" ist das Terminal, in dem Kurvlux selbst läuft (oder ein Verweis darauf); das öffnet "
             u"Kurvlux nicht als Port.\n\n" +
             pickFromList;
    case PortFailureKind::nameTooLong:
      return u"Der Name " + device +
             u" ist zu lang für das System (höchstens 255 Zeichen je Ordner oder Datei).\n\n" + pickFromList;
    case PortFailureKind::settings:
      return device + u" lässt sich nicht mit " + formatDecimal(failure.baudRate) +
             u" Baud betreiben.\n\nWählen Sie eine Baudrate aus der Liste (der Beispiel-Sketch sendet mit "
             u"250000) und " +
             tryAgain;
    case PortFailureKind::other:
      break;
  }
  return device + u" lässt sich nicht öffnen. Das System meldet: " + textFromUtf8(failure.detail) +
         u".\n\nZiehen Sie das Gerät ab, stecken Sie es wieder ein und " + tryAgain;
}

}  // namespace kurvlux
