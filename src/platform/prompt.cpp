#include "platform/prompt.h"

#include "platform/file_status.h"

namespace zorvia {

std::optional<std::u16string> PromptForFile(IUserPrompt& prompt, const FileRequest& request) {
    auto path = prompt.ChooseFile(request);
    if (!path || path->empty()) return std::nullopt;
    if (!request.save && !PathExists(*path)) return std::nullopt;
    return path;
}

}  // namespace zorvia
