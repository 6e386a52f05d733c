#include "recording/file_naming.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace kurvlux {

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), text.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) {
                      const auto lower = [](char c) {
                        return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
                      };
                      return lower(a) == lower(b);
                    });
}

}  // namespace

std::string isoTime(const WallTime& time) {
  const int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second, time.offsetMinutes < 0 ? '-' : '+',
                offset / 60, offset % 60);
  return text;
}

std::string suggestedFileName(const WallTime& time, std::string_view extension) {
  char text[40];
  std::snprintf(text, sizeof text, "kurvlux-%04d-%02d-%02d-%02d%02d%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text + std::string(extension);
}

std::string withExtension(std::string_view name, std::string_view extension) {
  if (endsWithIgnoringCase(name, extension)) return std::string(name);
  return std::string(name) + std::string(extension);
}

std::string_view baseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

RecordingForm recordingForm(std::string_view path) {
  return endsWithIgnoringCase(baseName(path), ".csv") ? RecordingForm::csv : RecordingForm::raw;
}

std::string recordingFileName(std::string_view name) {
  const std::string_view base = baseName(name);
  // A leading dot names a hidden file, not an extension.
  const std::size_t dot = base.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(name) + ".csv";
  return std::string(name);
}

std::string sideTextPath(std::string_view path) { return std::string(path) + ".txt"; }

Text sizeText(std::int64_t bytes) {
  if (bytes < 1000) return formatDecimal(bytes) + u" Bytes";
  constexpr const char16_t* units[] = {u" kB", u" MB", u" GB", u" TB"};
  std::int64_t unit = 1000;
  int index = 0;
  while (index < 3 && bytes >= unit * 1000 - unit / 20) {
    unit *= 1000;
    ++index;
  }
  // One decimal, rounded half up, written with a comma.
  const std::int64_t tenths = (bytes * 10 + unit / 2) / unit;
  return formatDecimal(tenths / 10) + u"," + formatDecimal(tenths % 10) + units[index];
}

Text fileErrorText(int error) {
  if (error == fileRemovedError) return u"Die Datei wurde gelöscht.";
  switch (-error) {
    case ENOSPC:
      return u"Der Datenträger ist voll.";
    case EACCES:
    case EPERM:
      return u"Keine Berechtigung zum Schreiben.";
    case EROFS:
      return u"Der Datenträger ist schreibgeschützt.";
    case ENOENT:
      return u"Der Ordner existiert nicht.";
    case EEXIST:
      return u"Die Datei existiert bereits.";
    case EIO:
      return u"Ein- oder Ausgabefehler (Datenträger entfernt?).";
    case EFBIG:
      return u"Die Datei ist zu groß für den Datenträger.";
    default:
      return u"Schreibfehler " + formatDecimal(-error) + u".";
  }
}

}  // namespace kurvlux
