// The values behind the picture as a table: one row per canvas column from
// the left, with the same plain layout as a recording (comma, dot, "\n").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kurvlux {

// "column,value" and a row for each value.
std::string valuesTable(const std::vector<std::uint8_t>& values);

}  // namespace kurvlux
