// The file layer over POSIX calls, for the Linux program.
#pragma once

#include "recording/file_layer.hpp"

namespace kurvlux {

class FileLayerPosix final : public FileLayer {
 public:
  int createFile(const std::string& path, bool replace) override;
  std::int64_t writeFile(int file, const std::uint8_t* bytes, std::size_t count) override;
  int syncFile(int file) override;
  int closeFile(int file) override;
  int fileLinked(int file) override;
  // Renames, then puts the folder's new entry onto the disk as well.
  int renameFile(const std::string& from, const std::string& to) override;
  int removeFile(const std::string& path) override;
  bool fileExists(const std::string& path) override;
};

}  // namespace kurvlux
