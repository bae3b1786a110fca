#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorvia {

// True when a file or directory of that name exists.
bool PathExists(const std::u16string& path);

// Size in bytes of a file, or nothing when its status cannot be read.
std::optional<std::int64_t> FileSizeOf(const std::u16string& path);

// The path as the file system takes it (UTF-8 on this platform).
std::string NativePath(const std::u16string& path);

}  // namespace zorvia
