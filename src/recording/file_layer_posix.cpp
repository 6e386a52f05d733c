#include "recording/file_layer_posix.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "recording/file_naming.hpp"

namespace kurvlux {

namespace {

int failure() { return -errno; }

}  // namespace

int FileLayerPosix::createFile(const std::string& path, bool replace) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
  int file;
  do {
    file = ::open(path.c_str(), flags, 0666);
  } while (file < 0 && errno == EINTR);
  return file < 0 ? failure() : file;
}

std::int64_t FileLayerPosix::writeFile(int file, const std::uint8_t* bytes, std::size_t count) {
  ssize_t written;
  do {
    written = ::write(file, bytes, count);
  } while (written < 0 && errno == EINTR);
  return written < 0 ? failure() : written;
}

int FileLayerPosix::syncFile(int file) { return ::fsync(file) == 0 ? 0 : failure(); }

// The descriptor is gone after close whatever it answers; EINTR is no failure.
int FileLayerPosix::closeFile(int file) { return ::close(file) == 0 || errno == EINTR ? 0 : failure(); }

int FileLayerPosix::fileLinked(int file) {
  struct stat status {};
  if (::fstat(file, &status) != 0) return failure();
  return status.st_nlink > 0 ? 1 : 0;
}

int FileLayerPosix::renameFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return failure();
  const std::string_view name = baseName(to);
  const std::string folder = name.size() == to.size() ? "." : to.substr(0, to.size() - name.size());
  const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    ::fsync(directory);
    ::close(directory);
  }
  return 0;
}

int FileLayerPosix::removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : failure();
}

bool FileLayerPosix::fileExists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace kurvlux
