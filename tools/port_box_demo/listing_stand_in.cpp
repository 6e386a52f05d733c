// Stands in for libserialport's listing (loaded with LD_PRELOAD): the ports
// are the lines of the file KURVLUX_STAND_IN_PORTS names, read again at each
// listing, so a demo can plug boards in and take them out without hardware.
#include <libserialport.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

struct sp_port {
  char* name;
};

extern "C" enum sp_return sp_list_ports(struct sp_port*** list) {
  std::vector<std::string> names;
  std::ifstream file(std::getenv("KURVLUX_STAND_IN_PORTS") ? std::getenv("KURVLUX_STAND_IN_PORTS") : "");
  for (std::string line; std::getline(file, line);) {
    if (!line.empty()) names.push_back(line);
  }
  *list = static_cast<sp_port**>(std::calloc(names.size() + 1, sizeof(sp_port*)));
  for (std::size_t i = 0; i < names.size(); ++i) (*list)[i] = new sp_port{strdup(names[i].c_str())};
  return SP_OK;
}

extern "C" char* sp_get_port_name(const struct sp_port* port) { return port->name; }

extern "C" void sp_free_port_list(struct sp_port** list) {
  for (sp_port** port = list; *port != nullptr; ++port) {
    std::free((*port)->name);
    delete *port;
  }
  std::free(list);
}
