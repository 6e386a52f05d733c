// Saves are taken from the picture and values at the moment they are asked
// for, so the display may go on while the dialog is open: the dialog does
// not block the loop, and a paused display saves what it shows.
#include "ui/keeping_gtk.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include "recording/file_naming.hpp"
#include "recording/safe_save.hpp"
#include "recording/values_table.hpp"
#include "text/file_name_text.hpp"
#include "text/utf8_text.hpp"
#include "ui/control_layout.hpp"
#include "ui/info_message.hpp"

namespace kurvlux {

namespace {

WallTime localNow() {
  GDateTime* now = g_date_time_new_now_local();
  WallTime time{g_date_time_get_year(now),
                g_date_time_get_month(now),
                g_date_time_get_day_of_month(now),
                g_date_time_get_hour(now),
                g_date_time_get_minute(now),
                g_date_time_get_second(now),
                static_cast<int>(g_date_time_get_utc_offset(now) / G_TIME_SPAN_MINUTE)};
  g_date_time_unref(now);
  return time;
}

std::string folderOf(GUserDirectory kind) {
  const char* folder = g_get_user_special_dir(kind);
  if (folder && g_file_test(folder, G_FILE_TEST_IS_DIR)) return folder;
  return g_get_home_dir();
}

}  // namespace

RecorderClocks recorderClocksGtk() {
  return {[] { return std::int64_t{g_get_monotonic_time()}; }, localNow};
}

bool startCommandLineRecording(Recorder& recorder, const std::string& path, bool overwrite) {
  const int result = recorder.start(path, overwrite);
  if (result == 0) return true;
  if (result == -EEXIST) {
    g_printerr("kurvlux: %s exists; --overwrite replaces it\n", path.c_str());
  } else {
    g_printerr("kurvlux: cannot record into %s: %s\n", path.c_str(), std::strerror(-result));
  }
  return false;
}

KeepingGtk::KeepingGtk(MainWindowGtk& window, ControlTableGtk& controls, ImageStoreGtk& images,
                       const Plotter& plotter, Recorder& recorder, FileLayer& files, std::string program)
    : window_(window),
      controls_(controls),
      images_(images),
      plotter_(plotter),
      recorder_(recorder),
      files_(files),
      program_(std::move(program)) {
  recorder_.onChange = [this] { showTitle(); };
  recorder_.onFailure = [this](const Text& text) { showNotice(text); };
  GtkWidget* canvas = controls_.controlWidget(imageControlId);
  if (window_.window() && canvas) {
    menu_ = std::make_unique<CanvasMenuGtk>(
        window_.window(), canvas,
        CanvasMenuActions{[this] { savePicture(); }, [this] { copyPicture(); }, [this] { saveValues(); },
                          [this] { toggleRecording(); }, [this] { return recordingLabel(); }});
  }
  showTitle();
}

KeepingGtk::~KeepingGtk() {
  recorder_.onChange = nullptr;
  recorder_.onFailure = nullptr;
  if (dialog_) {
    gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(dialog_));
    g_object_unref(dialog_);
  }
}

void KeepingGtk::showTitle() {
  if (!window_.window()) return;
  Text title = windowTitle;
  if (const StreamRecording* recording = recorder_.recording()) {
    title += u" – Aufzeichnung: " + textFromFileName(baseName(recording->path()));
  }
  gtk_window_set_title(window_.window(), utf8FromText(title).c_str());
}

std::string KeepingGtk::recordingLabel() const {
  const StreamRecording* recording = recorder_.recording();
  if (!recording) return "Aufzeichnung starten …";
  return utf8FromText(u"Aufzeichnung beenden (" + textFromFileName(baseName(recording->path())) + u", " +
                      sizeText(recording->size()) + u")");
}

void KeepingGtk::showNotice(const Text& text) {
  if (window_.ending()) return;
  GtkWidget* box =
      gtk_message_dialog_new(window_.window(), GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_WARNING,
                             GTK_BUTTONS_OK, "%s", utf8FromText(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), utf8FromText(windowTitle).c_str());
  g_signal_connect(box, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
  gtk_widget_show(box);
}

void KeepingGtk::chooseFile(const char* title, GUserDirectory folder, const std::string& suggested,
                            std::function<void(std::string)> chosen) {
  // One dialog at a time; it is modal to the window anyway.
  if (dialog_ || !window_.window()) return;
  dialog_ = gtk_file_chooser_native_new(title, window_.window(), GTK_FILE_CHOOSER_ACTION_SAVE, "_Speichern",
                                        "_Abbrechen");
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog_);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  gtk_file_chooser_set_current_folder(chooser, folderOf(folder).c_str());
  gtk_file_chooser_set_current_name(chooser, suggested.c_str());
  chosen_ = std::move(chosen);
  const auto onResponse = +[](GtkNativeDialog* dialog, gint response, gpointer self) {
    auto* keeping = static_cast<KeepingGtk*>(self);
    std::string path;
    if (response == GTK_RESPONSE_ACCEPT) {
      if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
        path = name;
        g_free(name);
      }
    }
    auto chosen = std::move(keeping->chosen_);
    keeping->dialog_ = nullptr;
    g_object_unref(dialog);
    if (!path.empty() && chosen) chosen(path);
  };
  g_signal_connect(dialog_, "response", G_CALLBACK(onResponse), this);
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(dialog_), TRUE);
  gtk_native_dialog_show(GTK_NATIVE_DIALOG(dialog_));
}

// The dialog asked before overwriting the name as typed; a name that only
// the added extension makes is not overwritten without asking either.
void KeepingGtk::saveBytes(const std::string& path, const std::string& bytes, const char16_t* failure) {
  const int result = saveFileSafely(files_, path, bytes);
  if (result != 0) showNotice(failure + fileErrorText(result) + u"\n" + textFromFileName(path));
}

GdkPixbuf* KeepingGtk::shownPixbuf() {
  const std::optional<PixelImage> picture = images_.shownPicture(imageControlId);
  if (!picture) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, picture->width, picture->height);
  if (!pixbuf) return nullptr;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture->height; ++y) {
    // The image's rows run bottom-up, blue first.
    const std::uint8_t* source =
        picture->pixels.data() + static_cast<std::size_t>(picture->height - 1 - y) * picture->rowLength;
    guchar* target = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < picture->width; ++x, source += 3, target += 3) {
      target[0] = source[2];
      target[1] = source[1];
      target[2] = source[0];
    }
  }
  return pixbuf;
}

std::string KeepingGtk::pictureBytes(GdkPixbuf* pixbuf) {
  const std::string port = utf8FromText(controls_.controlText(portBoxId));
  const std::string baud = utf8FromText(controls_.controlText(baudBoxId));
  const std::string mode = utf8FromText(controls_.controlText(modeListId));
  const std::string threshold = utf8FromText(controls_.controlText(thresholdBoxId));
  const std::string time = isoTime(localNow());
  char* keys[] = {const_cast<char*>("tEXt::Software"),
                  const_cast<char*>("tEXt::Port"),
                  const_cast<char*>("tEXt::Baud rate"),
                  const_cast<char*>("tEXt::Plot mode"),
                  const_cast<char*>("tEXt::Threshold"),
                  const_cast<char*>("tEXt::Creation Time"),
                  nullptr};
  char* values[] = {const_cast<char*>(program_.c_str()),
                    const_cast<char*>(port.c_str()),
                    const_cast<char*>(baud.c_str()),
                    const_cast<char*>(mode.c_str()),
                    const_cast<char*>(threshold.c_str()),
                    const_cast<char*>(time.c_str()),
                    nullptr};
  gchar* buffer = nullptr;
  gsize size = 0;
  std::string bytes;
  if (gdk_pixbuf_save_to_bufferv(pixbuf, &buffer, &size, "png", keys, values, nullptr))
    bytes.assign(buffer, size);
  g_free(buffer);
  return bytes;
}

void KeepingGtk::saveAs(const char* title, GUserDirectory folder, const char* extension, std::string bytes,
                        const char16_t* failure) {
  chooseFile(title, folder, suggestedFileName(localNow(), extension),
             [this, extension, bytes = std::move(bytes), failure](const std::string& chosen) {
               const std::string path = withExtension(chosen, extension);
               if (path != chosen && files_.fileExists(path)) {
                 showNotice(failure + fileErrorText(-EEXIST) + u"\n" + textFromFileName(path));
                 return;
               }
               saveBytes(path, bytes, failure);
             });
}

void KeepingGtk::savePicture() {
  GdkPixbuf* pixbuf = shownPixbuf();
  if (!pixbuf) return;
  std::string bytes = pictureBytes(pixbuf);
  g_object_unref(pixbuf);
  if (!bytes.empty()) {
    saveAs("Bild speichern", G_USER_DIRECTORY_PICTURES, ".png", std::move(bytes),
           u"Bild nicht gespeichert: ");
  }
}

void KeepingGtk::copyPicture() {
  GdkPixbuf* pixbuf = shownPixbuf();
  if (!pixbuf) return;
  gtk_clipboard_set_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), pixbuf);
  g_object_unref(pixbuf);
}

void KeepingGtk::saveValues() {
  saveAs("Werte speichern", G_USER_DIRECTORY_DOCUMENTS, ".csv", valuesTable(plotter_.shownValues().values()),
         u"Werte nicht gespeichert: ");
}

void KeepingGtk::toggleRecording() {
  if (recorder_.active()) {
    const std::string path = recorder_.recording()->path();
    if (const int result = recorder_.stop(); result != 0) showNotice(stoppedRecordingText(result, path));
    return;
  }
  chooseFile("Aufzeichnung starten", G_USER_DIRECTORY_DOCUMENTS, suggestedFileName(localNow(), ".csv"),
             [this](const std::string& chosen) {
               const std::string path = recordingFileName(chosen);
               // The dialog asked about the name as typed, not about one the
               // added extension makes.
               if (const int result = recorder_.start(path, path == chosen); result != 0) {
                 showNotice(u"Aufzeichnung nicht gestartet: " + fileErrorText(result) + u"\n" +
                            textFromFileName(path));
               }
             });
}

}  // namespace kurvlux
