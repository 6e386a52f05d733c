// One recording of the bytes read from the port, buffered in memory and
// written out in large blocks: as a table of sample number, arrival time and
// value (.csv), or as the bytes themselves. It lives in the loop's thread;
// only its emergency view is read from a signal handler.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recording/file_layer.hpp"
#include "recording/file_naming.hpp"

namespace kurvlux {

// The buffer as far as it holds whole bursts, for a handler that must write
// it out when the process is about to end: the file's size tells how much
// of it already reached the file.
struct EmergencyView {
  std::atomic<int> file{-1};
  const std::uint8_t* buffer = nullptr;
  std::atomic<std::size_t> committed{0};
  // Where the buffer's first byte goes in the file.
  std::atomic<std::int64_t> bufferStart{0};
  // The handler may run on another thread than the loop's: it sets
  // `stopped`, then waits while `changing` says the loop is in the middle of
  // changing the buffer or the file; once `stopped` is set, the loop starts
  // no change again (the process is about to end).
  std::atomic<bool> changing{false};
  std::atomic<bool> stopped{false};
};

class StreamRecording {
 public:
  static constexpr std::size_t defaultBufferSize = 1 << 16;
  StreamRecording(FileLayer& files, std::string path, std::size_t bufferSize = defaultBufferSize);
  ~StreamRecording();
  StreamRecording(const StreamRecording&) = delete;
  StreamRecording& operator=(const StreamRecording&) = delete;

  // Creates the file (an existing one only with `replace`); 0 or -errno.
  int open(bool replace);
  // The first row: the table's header, nothing for raw bytes.
  void begin();
  // One burst of bytes as it came from the port, with the microseconds from
  // the recording's start to its arrival.
  void append(const std::uint8_t* bytes, std::size_t count, std::int64_t microseconds);
  // What the buffer holds onto the file, then onto the disk, and the file
  // closed; the result of the first step that failed, 0 when all went well.
  int finish();

  // 0 while all is written; the first error otherwise, after which nothing
  // more is written and the file is closed.
  int error() const { return error_; }
  const std::string& path() const { return path_; }
  RecordingForm form() const { return form_; }
  // Bytes in the file and in the buffer together.
  std::int64_t size() const { return written_ + static_cast<std::int64_t>(length_); }
  std::int64_t samples() const { return samples_; }
  EmergencyView& emergencyView() { return emergency_; }

 private:
  void writeOut();
  void fail(int error);
  void appendCsv(const std::uint8_t* bytes, std::size_t count, std::int64_t microseconds);

  FileLayer& files_;
  std::string path_;
  RecordingForm form_;
  std::vector<std::uint8_t> buffer_;
  std::size_t length_ = 0;
  int file_ = -1;
  int error_ = 0;
  std::int64_t written_ = 0;
  std::int64_t samples_ = 0;
  EmergencyView emergency_;
};

}  // namespace kurvlux
