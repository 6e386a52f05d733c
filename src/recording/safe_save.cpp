#include "recording/safe_save.hpp"

#include <cerrno>

namespace kurvlux {

int writeAll(FileLayer& files, int file, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const std::int64_t written = files.writeFile(file, bytes, count);
    if (written < 0) return static_cast<int>(written);
    if (written == 0) return -ENOSPC;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return 0;
}

int saveFileSafely(FileLayer& files, const std::string& path, std::string_view bytes) {
  // A name beside the target, so the rename stays on one file system; one
  // left over by a crash is not touched, the next number is taken instead.
  constexpr int attempts = 100;
  std::string temporary;
  int file = -EEXIST;
  for (int attempt = 0; attempt < attempts && file == -EEXIST; ++attempt) {
    temporary = path + ".kurvlux-" + std::to_string(attempt) + ".tmp";
    file = files.createFile(temporary, false);
  }
  if (file < 0) return file;
  int result = writeAll(files, file, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (result == 0) result = files.syncFile(file);
  const int closed = files.closeFile(file);
  if (result == 0) result = closed;
  if (result == 0) result = files.renameFile(temporary, path);
  if (result != 0) files.removeFile(temporary);
  return result;
}

}  // namespace kurvlux
