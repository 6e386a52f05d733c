// The file operations that saving and recording go through: POSIX calls in
// the Linux program, a recording fake in the tests, so that a full disk or a
// failing rename can be played through without one. Every call answers a
// count or 0 on success and a negative errno value on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kurvlux {

class FileLayer {
 public:
  virtual ~FileLayer() = default;
  // Opens a new file for writing and returns its number; an existing file is
  // refused (-EEXIST) unless `replace`, which empties it.
  virtual int createFile(const std::string& path, bool replace) = 0;
  // Bytes written, perhaps fewer than asked.
  virtual std::int64_t writeFile(int file, const std::uint8_t* bytes, std::size_t count) = 0;
  virtual int syncFile(int file) = 0;
  virtual int closeFile(int file) = 0;
  // 1 while the open file still has a name, 0 once it was removed.
  virtual int fileLinked(int file) = 0;
  virtual int renameFile(const std::string& from, const std::string& to) = 0;
  virtual int removeFile(const std::string& path) = 0;
  virtual bool fileExists(const std::string& path) = 0;
};

// Writes all of `bytes`, going on after short writes. A write that takes
// nothing at all counts as a full disk.
int writeAll(FileLayer& files, int file, const std::uint8_t* bytes, std::size_t count);

}  // namespace kurvlux
