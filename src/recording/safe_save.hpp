// Saving a whole file so that its name never shows a half-written one: the
// bytes go into a new file beside it, onto the disk, and only then take the
// name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "recording/file_layer.hpp"

namespace kurvlux {

// 0, or the negative errno value of the step that failed; the temporary file
// is gone either way and the target keeps what it held before.
int saveFileSafely(FileLayer& files, const std::string& path, std::string_view bytes);

}  // namespace kurvlux
