#include "platform/file_status.h"

#include <sys/stat.h>

#include "platform/text_convert.h"

namespace zorvia {

std::string NativePath(const std::u16string& path) { return WideToUtf8(path); }

bool PathExists(const std::u16string& path) {
    if (path.empty()) return false;
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0;
}

std::optional<std::int64_t> FileSizeOf(const std::u16string& path) {
    struct stat st;
    if (path.empty() || stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

}  // namespace zorvia
