// System calls that a signal may cut short. A handler installed anywhere in
// the process (GTK's, a debugger's, a test's) makes a waiting call return
// EINTR; that says nothing about the device, so the call is simply made again.
#pragma once

#include <cerrno>

namespace kurvlux {

template <typename Call>
auto retryOnSignal(Call call) {
  auto result = call();
  while (result == -1 && errno == EINTR) result = call();
  return result;
}

}  // namespace kurvlux
