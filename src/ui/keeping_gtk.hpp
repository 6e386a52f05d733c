// What the Linux program keeps of what it shows: the picture as a PNG or on
// the clipboard, the values behind it, and the recording of the stream, all
// reached from the canvas's menu; the title says when a recording runs.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "recording/recorder.hpp"
#include "render/image_store_gtk.hpp"
#include "render/plotter.hpp"
#include "ui/canvas_menu_gtk.hpp"
#include "ui/main_window_gtk.hpp"

namespace kurvlux {

// The clocks of a recording: GLib's monotonic time and the local time.
RecorderClocks recorderClocksGtk();

// Starts the recording the command line asks for; false, with the reason on
// standard error, when the file exists (without --overwrite) or cannot be made.
bool startCommandLineRecording(Recorder& recorder, const std::string& path, bool overwrite);

class KeepingGtk {
 public:
  KeepingGtk(MainWindowGtk& window, ControlTableGtk& controls, ImageStoreGtk& images, const Plotter& plotter,
             Recorder& recorder, FileLayer& files, std::string program);
  ~KeepingGtk();
  KeepingGtk(const KeepingGtk&) = delete;
  KeepingGtk& operator=(const KeepingGtk&) = delete;

 private:
  void savePicture();
  void copyPicture();
  void saveValues();
  void toggleRecording();
  std::string recordingLabel() const;
  void showTitle();
  // A box beside the window that lets the loop go on while it is open.
  void showNotice(const Text& text);
  // The save dialog; `chosen` gets the file name the user accepted.
  void chooseFile(const char* title, GUserDirectory folder, const std::string& suggested,
                  std::function<void(std::string)> chosen);
  // The save dialog, then `bytes` saved under the name chosen (with the
  // extension added); a failure says so, starting with `failure`.
  void saveAs(const char* title, GUserDirectory folder, const char* extension, std::string bytes,
              const char16_t* failure);
  void saveBytes(const std::string& path, const std::string& bytes, const char16_t* failure);
  GdkPixbuf* shownPixbuf();
  std::string pictureBytes(GdkPixbuf* pixbuf);

  MainWindowGtk& window_;
  ControlTableGtk& controls_;
  ImageStoreGtk& images_;
  const Plotter& plotter_;
  Recorder& recorder_;
  FileLayer& files_;
  std::string program_;
  std::unique_ptr<CanvasMenuGtk> menu_;
  GtkFileChooserNative* dialog_ = nullptr;
  std::function<void(std::string)> chosen_;
};

}  // namespace kurvlux
