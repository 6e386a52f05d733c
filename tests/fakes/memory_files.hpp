// Files in memory behind the FileLayer interface, with a real disk's faults planted on request: a write that
// takes only part or fails with an errno value, a rename that fails, a file removed while open.
#pragma once

#include <cerrno>
#include <map>
#include <string>

#include "recording/file_layer.hpp"

namespace kurvlux::fakes {

class MemoryFiles final : public FileLayer {
 public:
  // Contents by name; what a write puts into an open file shows at once.
  std::map<std::string, std::string> files;
  // Faults: write number `failingWrite` (from 1) fails; each takes at most `writeLimit`.
  int failingWrite = 0;
  int writeError = -ENOSPC;
  std::size_t writeLimit = static_cast<std::size_t>(-1);
  int renameError = 0;
  int createError = 0;
  int writes = 0;
  int syncs = 0;

  int createFile(const std::string& path, bool replace) override {
    if (createError != 0) return createError;
    if (!replace && files.count(path) != 0) return -EEXIST;
    files[path].clear();
    open_[next_] = path;
    return next_++;
  }
  std::int64_t writeFile(int file, const std::uint8_t* bytes, std::size_t count) override {
    ++writes;
    if (writes == failingWrite) return writeError;
    const std::size_t taken = count < writeLimit ? count : writeLimit;
    if (!open_.count(file)) return -EBADF;
    // A removed file still takes writes, as a Linux file does; they go nowhere.
    if (!removed_.count(file)) files[open_[file]].append(reinterpret_cast<const char*>(bytes), taken);
    return static_cast<std::int64_t>(taken);
  }
  int syncFile(int) override { return ++syncs, 0; }
  int closeFile(int file) override { return open_.erase(file) == 1 ? 0 : -EBADF; }
  int fileLinked(int file) override { return removed_.count(file) ? 0 : 1; }
  int renameFile(const std::string& from, const std::string& to) override {
    if (renameError != 0) return renameError;
    if (!files.count(from)) return -ENOENT;
    files[to] = files[from];
    files.erase(from);
    return 0;
  }
  int removeFile(const std::string& path) override {
    for (auto& [file, name] : open_) if (name == path) removed_[file] = true;
    return files.erase(path) == 1 ? 0 : -ENOENT;
  }
  bool fileExists(const std::string& path) override { return files.count(path) != 0; }
  int openFiles() const { return static_cast<int>(open_.size()); }

 private:
  std::map<int, std::string> open_;
  std::map<int, bool> removed_;
  int next_ = 3;
};

}  // namespace kurvlux::fakes
