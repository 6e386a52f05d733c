// A table row is written digit by digit rather than through a formatting
// library: at 1,843,200 baud that is 184,320 rows a second in the loop's
// thread, and the time column is the same for a whole burst.
#include "recording/stream_recording.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace kurvlux {

namespace {

constexpr std::string_view csvHeader = "sample,time_s,value\n";
// The longest row: a 19-digit sample number, the time, a value, commas, newline.
constexpr std::size_t longestRow = 20 + 1 + 26 + 1 + 3 + 1;

// Writes the decimal digits of `value` ending just before `end`; returns
// where they start.
char* digitsBefore(char* end, std::uint64_t value) {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

// "12.000345": seconds with six decimals.
std::size_t formatSeconds(char* text, std::int64_t microseconds) {
  const std::uint64_t time = microseconds < 0 ? 0 : static_cast<std::uint64_t>(microseconds);
  char digits[32];
  char* end = digits + sizeof digits;
  char* start = digitsBefore(end, time % 1000000);
  while (end - start < 6) *--start = '0';
  *--start = '.';
  start = digitsBefore(start, time / 1000000);
  const auto length = static_cast<std::size_t>(end - start);
  std::memcpy(text, start, length);
  return length;
}

// One change of the buffer or the file by the loop, which an emergency
// write on another thread waits for.
class BufferChange {
 public:
  explicit BufferChange(EmergencyView& view) : view_(view) {
    view_.changing.store(true);
    if (view_.stopped.load()) {
      // The handler writes the buffer out and ends the process: touching it
      // now could write a block twice.
      view_.changing.store(false);
      for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
  }
  ~BufferChange() { view_.changing.store(false); }
  BufferChange(const BufferChange&) = delete;
  BufferChange& operator=(const BufferChange&) = delete;

 private:
  EmergencyView& view_;
};

}  // namespace

StreamRecording::StreamRecording(FileLayer& files, std::string path, std::size_t bufferSize)
    : files_(files),
      path_(std::move(path)),
      form_(recordingForm(path_)),
      buffer_(std::max(bufferSize, 2 * longestRow)) {
  emergency_.buffer = buffer_.data();
}

StreamRecording::~StreamRecording() { finish(); }

int StreamRecording::open(bool replace) {
  const int file = files_.createFile(path_, replace);
  if (file < 0) return file;
  file_ = file;
  emergency_.file = file;
  return 0;
}

void StreamRecording::begin() {
  if (form_ != RecordingForm::csv || file_ < 0) return;
  const BufferChange change(emergency_);
  std::memcpy(buffer_.data() + length_, csvHeader.data(), csvHeader.size());
  length_ += csvHeader.size();
  emergency_.committed.store(length_);
}

void StreamRecording::append(const std::uint8_t* bytes, std::size_t count, std::int64_t microseconds) {
  if (file_ < 0) return;
  const BufferChange change(emergency_);
  if (form_ == RecordingForm::csv) {
    appendCsv(bytes, count, microseconds);
  } else {
    while (count > 0 && file_ >= 0) {
      const std::size_t part = std::min(count, buffer_.size() - length_);
      std::memcpy(buffer_.data() + length_, bytes, part);
      length_ += part;
      bytes += part;
      count -= part;
      samples_ += static_cast<std::int64_t>(part);
      if (length_ == buffer_.size()) writeOut();
    }
  }
  emergency_.committed.store(length_);
}

void StreamRecording::appendCsv(const std::uint8_t* bytes, std::size_t count, std::int64_t microseconds) {
  char time[32];
  time[0] = ',';
  const std::size_t timeLength = 1 + formatSeconds(time + 1, microseconds);
  time[timeLength] = ',';
  for (std::size_t i = 0; i < count && file_ >= 0; ++i) {
    if (buffer_.size() - length_ < longestRow) writeOut();
    char* row = reinterpret_cast<char*>(buffer_.data() + length_);
    char number[24];
    char* numberEnd = number + sizeof number;
    char* numberStart = digitsBefore(numberEnd, static_cast<std::uint64_t>(samples_));
    const auto numberLength = static_cast<std::size_t>(numberEnd - numberStart);
    std::memcpy(row, numberStart, numberLength);
    row += numberLength;
    std::memcpy(row, time, timeLength + 1);
    row += timeLength + 1;
    char value[4];
    char* valueStart = digitsBefore(value + 3, bytes[i]);
    const auto valueLength = static_cast<std::size_t>(value + 3 - valueStart);
    std::memcpy(row, valueStart, valueLength);
    row += valueLength;
    *row++ = '\n';
    length_ = static_cast<std::size_t>(reinterpret_cast<std::uint8_t*>(row) - buffer_.data());
    ++samples_;
  }
}

void StreamRecording::writeOut() {
  if (file_ < 0 || length_ == 0) return;
  const int result = writeAll(files_, file_, buffer_.data(), length_);
  if (result != 0) {
    fail(result);
    return;
  }
  written_ += static_cast<std::int64_t>(length_);
  length_ = 0;
  // In this order, so that a handler running in between never writes the
  // block a second time: nothing committed, then the new start.
  emergency_.committed.store(0);
  emergency_.bufferStart.store(written_);
  // A file removed while it is written takes everything after with it.
  if (files_.fileLinked(file_) == 0) fail(fileRemovedError);
}

void StreamRecording::fail(int error) {
  error_ = error;
  emergency_.file = -1;
  files_.closeFile(file_);
  file_ = -1;
}

int StreamRecording::finish() {
  if (file_ < 0) return error_;
  const BufferChange change(emergency_);
  writeOut();
  if (file_ < 0) return error_;
  const int synced = files_.syncFile(file_);
  emergency_.file = -1;
  const int closed = files_.closeFile(file_);
  file_ = -1;
  error_ = synced != 0 ? synced : closed;
  return error_;
}

}  // namespace kurvlux
