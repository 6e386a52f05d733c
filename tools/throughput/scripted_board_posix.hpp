// A board the measurement drives itself: a pseudo-terminal whose far end the
// program opens, sending exactly the bytes it is given, when it is given
// them, and nothing in between.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kurvlux {

class ScriptedBoard {
 public:
  ScriptedBoard() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) device_ = ptsname(master_);
  }
  ~ScriptedBoard() {
    if (master_ >= 0) close(master_);
  }
  ScriptedBoard(const ScriptedBoard&) = delete;
  ScriptedBoard& operator=(const ScriptedBoard&) = delete;

  // The path the program opens; empty when no pseudo-terminal came.
  const std::string& device() const { return device_; }
  bool send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int master_ = -1;
  std::string device_;
};

}  // namespace kurvlux
