// Listing the serial devices with sp_list_ports.
#include "serial/port_discovery_libserialport.hpp"

#include <libserialport.h>

#include "text/file_name_text.hpp"

namespace kurvlux {

std::vector<Text> discoverSerialDevices() {
  std::vector<Text> devices;
  sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK) return devices;
  for (sp_port** port = list; *port != nullptr; ++port) {
    const char* name = sp_get_port_name(*port);
    if (name != nullptr && *name != '\0') devices.push_back(textFromFileName(name));
  }
  sp_free_port_list(list);
  return devices;
}

}  // namespace kurvlux
