#include "platform/program_dir.h"

#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_status.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

std::u16string& Override() {
    static std::u16string value;
    return value;
}

std::u16string WithSeparator(std::u16string directory) {
    if (directory.empty() || directory.back() != u'/') directory.push_back(u'/');
    return directory;
}

bool IsRegularFile(const std::u16string& path) {
    struct stat status {};
    return stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// ../share/zorvia-concordancer/ of the program directory, without the "..".
std::u16string InstalledDataDirectory() {
    std::u16string parent = ProgramDirectory();
    while (parent.size() > 1 && parent.back() == u'/') parent.pop_back();
    const auto slash = parent.rfind(u'/');
    parent = slash == std::u16string::npos ? u"../" : parent.substr(0, slash + 1);
    return parent + u"share/" + kInstallDirectoryName + u"/";
}

// An XDG base directory: the variable's value when it is an absolute path
// (relative ones are invalid and ignored), otherwise its default under the
// home directory.
std::u16string XdgDirectory(const char* variable, const char16_t* defaultUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return WithSeparator(Utf8ToWide(value));
    return HomeDirectory() + defaultUnderHome;
}

}  // namespace

std::u16string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return WithSeparator(Utf8ToWide(home));
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return WithSeparator(Utf8ToWide(entry->pw_dir));
    return u"/";
}

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
    Override() = directory.empty() ? directory : WithSeparator(directory);
}

ProgramLayout CurrentLayout() {
    if (IsRegularFile(ProgramDirectory() + kStyleSheetName)) return ProgramLayout::Portable;
    if (IsRegularFile(InstalledDataDirectory() + kStyleSheetName)) return ProgramLayout::Installed;
    return ProgramLayout::Portable;
}

std::u16string DataDirectory() {
    return CurrentLayout() == ProgramLayout::Installed ? InstalledDataDirectory() : ProgramDirectory();
}

std::u16string SettingsDirectory() {
    if (CurrentLayout() == ProgramLayout::Portable) return ProgramDirectory();
    return XdgDirectory("XDG_CONFIG_HOME", u".config/") + kInstallDirectoryName + u"/";
}

std::u16string DefaultCorpusDirectory() {
    if (CurrentLayout() == ProgramLayout::Portable) return ProgramDirectory();
    return XdgDirectory("XDG_DATA_HOME", u".local/share/") + kInstallDirectoryName + u"/";
}

bool CreateDirectories(const std::u16string& directory) {
    const std::string path = NativePath(directory);
    for (std::size_t end = path.find('/', 1); end != std::string::npos; end = path.find('/', end + 1)) {
        if (mkdir(path.substr(0, end).c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace zorvia
