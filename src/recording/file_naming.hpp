// Names and texts around the files the program keeps: the name a save
// dialog suggests, the extension it adds, the form a recording takes from
// its name, the size and the error as the window shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/convert.hpp"

namespace kurvlux {

// A moment of local time and its offset from UTC in minutes.
struct WallTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int offsetMinutes = 0;
};

// ISO 8601 with the offset: 2026-12-08T04:30:12+01:00.
std::string isoTime(const WallTime& time);
// kurvlux-2026-12-08-043012.png: sorts by time, and has no colon, which some
// file systems refuse.
std::string suggestedFileName(const WallTime& time, std::string_view extension);
// The name as typed with the extension added unless it ends in it already,
// in any case (a.PNG stays a.PNG).
std::string withExtension(std::string_view name, std::string_view extension);
// What follows the last slash.
std::string_view baseName(std::string_view path);

enum class RecordingForm { csv, raw };
// .csv in any case is a table; every other name keeps the bytes as they came.
RecordingForm recordingForm(std::string_view path);
// The name typed without any extension becomes a table.
std::string recordingFileName(std::string_view name);
// Beside a raw recording: the same name with .txt added.
std::string sideTextPath(std::string_view path);

// 0 Bytes, 999 Bytes, 1,0 kB, 12,3 MB, 1,5 GB (powers of 1000, German comma).
Text sizeText(std::int64_t bytes);
// A recording whose file lost its name while it was written.
constexpr int fileRemovedError = -0x10000;
// What a negative errno value (or fileRemovedError) means, in words for the window.
Text fileErrorText(int error);

}  // namespace kurvlux
