// What the Linux throughput runs read and how they print it: settings from
// the environment, a process's CPU time, medians and lists.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kurvlux {

inline long environmentNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value ? std::strtol(value, nullptr, 10) : fallback;
}

// User plus system CPU seconds the process has used.
inline double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  double ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i >= 14) ticks += std::strtod(field.c_str(), nullptr);
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// How often the process's threads gave up the processor of their own accord
// (a wait that slept), summed over its threads.
inline long voluntarySwitches(pid_t pid) {
  long total = 0;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task/";
  std::error_code gone;
  for (const auto& task : std::filesystem::directory_iterator(tasks, gone)) {
    std::ifstream status(task.path() / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
        total += std::strtol(line.c_str() + 24, nullptr, 10);
    }
  }
  return total;
}

template <typename Number>
std::string joined(const std::vector<Number>& values) {
  std::string text;
  for (Number v : values) text += (text.empty() ? "" : ",") + std::to_string(v);
  return text;
}

// The value `share` of the way up the sorted values: 0.5 the median, 0.99
// the 99th percentile.
template <typename Number>
Number quantile(std::vector<Number> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace kurvlux
