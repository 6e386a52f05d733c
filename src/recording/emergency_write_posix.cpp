#include "recording/emergency_write_posix.hpp"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kurvlux {

namespace {

std::atomic<EmergencyView*> kept{nullptr};

}  // namespace

void keepForEmergency(EmergencyView* view) { kept.store(view); }

void writeOutRecordingInEmergency(bool onLoopThread) {
  EmergencyView* view = kept.load();
  if (!view) return;
  view->stopped.store(true);
  while (!onLoopThread && view->changing.load()) {
    constexpr timespec aMoment{0, 1'000'000};
    nanosleep(&aMoment, nullptr);
  }
  const int file = view->file.load();
  if (file < 0) return;
  const int savedErrno = errno;
  struct stat status {};
  if (::fstat(file, &status) == 0) {
    // The loop may have been stopped in the middle of writing the buffer:
    // the file's size says how much of it got there.
    const std::int64_t already = status.st_size - view->bufferStart.load();
    std::size_t at = already > 0 ? static_cast<std::size_t>(already) : 0;
    const std::size_t committed = view->committed.load();
    while (at < committed) {
      const ssize_t written = ::write(file, view->buffer + at, committed - at);
      if (written <= 0) break;
      at += static_cast<std::size_t>(written);
    }
    ::fsync(file);
  }
  errno = savedErrno;
}

}  // namespace kurvlux
