#include "recording/recorder.hpp"

#include <utility>

#include "recording/safe_save.hpp"
#include "text/file_name_text.hpp"

namespace kurvlux {

std::string recordingDescription(const std::string& program, TextView port, std::int32_t baudRate,
                                 const WallTime& start, RecordingForm form) {
  return program + " recording\n" + "port: " + fileNameFromText(port) + "\n" +
         "baud: " + std::to_string(baudRate) + "\n" + "start: " + isoTime(start) + "\n" + "form: " +
         (form == RecordingForm::csv ? "table: sample,time_s,value (arrival of the sample's burst)"
                                     : "the bytes as read, one per sample") +
         "\n";
}

Text stoppedRecordingText(int error, const std::string& path) {
  return u"Aufzeichnung angehalten: " + fileErrorText(error) +
         u"\nWas bis dahin geschrieben wurde, steht in " + textFromFileName(path) + u".";
}

Recorder::Recorder(FileLayer& files, RecorderClocks clocks, std::string program)
    : files_(files), clocks_(std::move(clocks)), program_(std::move(program)) {}

Recorder::~Recorder() { stop(); }

int Recorder::start(const std::string& path, bool replace) {
  auto recording = std::make_unique<StreamRecording>(files_, path);
  if (const int result = recording->open(replace); result != 0) return result;
  stop();
  recording_ = std::move(recording);
  if (onEmergencyView) onEmergencyView(&recording_->emergencyView());
  begun_ = false;
  if (isConnected_) begin();
  if (recording_ && onChange) onChange();
  return 0;
}

int Recorder::release() {
  const int result = recording_->finish();
  if (onEmergencyView) onEmergencyView(nullptr);
  recording_.reset();
  if (onChange) onChange();
  return result;
}

int Recorder::stop() { return recording_ ? release() : 0; }

void Recorder::begin() {
  begun_ = true;
  startMicroseconds_ = clocks_.microseconds();
  const std::string description =
      recordingDescription(program_, port_, baudRate_, clocks_.now(), recording_->form());
  if (const int result = saveFileSafely(files_, sideTextPath(recording_->path()), description); result != 0) {
    failed(result);
    return;
  }
  recording_->begin();
}

void Recorder::connected(TextView port, std::int32_t baudRate) {
  isConnected_ = true;
  port_ = Text(port);
  baudRate_ = baudRate;
  if (recording_ && !begun_) begin();
}

void Recorder::received(const std::uint8_t* bytes, std::size_t count) {
  if (!recording_ || !begun_) return;
  recording_->append(bytes, count, clocks_.microseconds() - startMicroseconds_);
  if (recording_->error() != 0) failed(recording_->error());
}

void Recorder::disconnected() {
  isConnected_ = false;
  if (!recording_ || !begun_) return;
  const std::string path = recording_->path();
  if (const int result = stop(); result != 0 && onFailure) onFailure(stoppedRecordingText(result, path));
}

void Recorder::failed(int error) {
  const std::string path = recording_->path();
  release();
  if (onFailure) onFailure(stoppedRecordingText(error, path));
}

}  // namespace kurvlux
