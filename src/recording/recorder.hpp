// The recording as the program runs it: started from the menu or the
// command line, it begins at the next connection (at once when connected),
// takes every byte the loop reads, and ends with the connection, the user's
// stop, a write that fails, or the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "acquisition/stream_sink.hpp"
#include "recording/stream_recording.hpp"

namespace kurvlux {

struct RecorderClocks {
  // Any steady clock in microseconds: only differences count.
  std::function<std::int64_t()> microseconds;
  std::function<WallTime()> now;
};

class Recorder final : public StreamSink {
 public:
  // `program` names the program and its version in the description beside.
  Recorder(FileLayer& files, RecorderClocks clocks, std::string program);
  ~Recorder() override;

  // Claims the file (an existing one only with `replace`): 0 or -errno, and
  // nothing changes on failure.
  int start(const std::string& path, bool replace);
  // Writes out what is held and closes the file; 0 or the error it met.
  int stop();
  bool active() const { return recording_ != nullptr; }
  // The running recording, null while there is none.
  const StreamRecording* recording() const { return recording_.get(); }

  // Told after a recording started or stopped, whatever stopped it.
  std::function<void()> onChange;
  // Told why a recording stopped on its own, in the window's words.
  std::function<void(const Text&)> onFailure;
  // Told of the running recording's emergency view, and with null before it
  // goes.
  std::function<void(EmergencyView*)> onEmergencyView;

  void connected(TextView port, std::int32_t baudRate) override;
  void received(const std::uint8_t* bytes, std::size_t count) override;
  void disconnected() override;
  bool timesBursts() const override { return recording_ && recording_->form() == RecordingForm::csv; }

 private:
  void begin();
  void failed(int error);
  // Ends the recording: finish() before the object goes; its result.
  int release();

  FileLayer& files_;
  RecorderClocks clocks_;
  std::string program_;
  std::unique_ptr<StreamRecording> recording_;
  bool isConnected_ = false;
  bool begun_ = false;
  Text port_;
  std::int32_t baudRate_ = 0;
  std::int64_t startMicroseconds_ = 0;
};

// The description written beside a recording: program, port, baud rate and
// start, one "key: value" line each.
std::string recordingDescription(const std::string& program, TextView port, std::int32_t baudRate,
                                 const WallTime& start, RecordingForm form);
// "Aufzeichnung angehalten: …" with the reason and where the file is.
Text stoppedRecordingText(int error, const std::string& path);

}  // namespace kurvlux
