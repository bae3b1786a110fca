#include "platform/prompt.h"

#include <array>

#include "platform/file_status.h"
#include "platform/program_dir.h"

namespace zorvia {

namespace {

// One folder per kind, for the life of the process.
std::array<std::u16string, 4>& RecentFolders() {
    static std::array<std::u16string, 4> folders;
    return folders;
}

}  // namespace

std::u16string RecentFolder(FileKind kind) { return RecentFolders()[static_cast<std::size_t>(kind)]; }

void RememberFileFolder(FileKind kind, const std::u16string& path) {
    if (kind == FileKind::Other) return;
    const auto slash = path.find_last_of(u'/');
    if (slash == std::u16string::npos) return;
    RecentFolders()[static_cast<std::size_t>(kind)] = path.substr(0, slash + 1);
}

std::optional<std::u16string> PromptForFile(IUserPrompt& prompt, const FileRequest& request) {
    FileRequest asked = request;
    if (asked.initialFolder.empty() && asked.kind != FileKind::Other) {
        asked.initialFolder = RecentFolder(asked.kind);
        if (asked.initialFolder.empty()) asked.initialFolder = HomeDirectory();
    }
    auto path = prompt.ChooseFile(asked);
    if (!path || path->empty()) return std::nullopt;
    if (!request.save && !PathExists(*path)) return std::nullopt;
    RememberFileFolder(asked.kind, *path);
    return path;
}

}  // namespace zorvia
