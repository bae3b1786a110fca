#include "platform/program_dir.h"

#include <limits.h>
#include <unistd.h>

#include "platform/text_convert.h"

namespace zorvia {

namespace {
std::u16string& Override() {
    static std::u16string value;
    return value;
}
}  // namespace

std::u16string ProgramDirectory() {
    if (!Override().empty()) return Override();
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return u"./";
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return u"./";
    return Utf8ToWide(path.substr(0, slash + 1));
}

void SetProgramDirectoryForTesting(const std::u16string& directory) {
    std::u16string value = directory;
    if (!value.empty() && value.back() != u'/') value.push_back(u'/');
    Override() = value;
}

}  // namespace zorvia
