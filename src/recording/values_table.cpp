#include "recording/values_table.hpp"

namespace kurvlux {

std::string valuesTable(const std::vector<std::uint8_t>& values) {
  std::string table = "column,value\n";
  for (std::size_t column = 0; column < values.size(); ++column) {
    table += std::to_string(column) + "," + std::to_string(values[column]) + "\n";
  }
  return table;
}

}  // namespace kurvlux
