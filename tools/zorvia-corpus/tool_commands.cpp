#include "tool_commands.h"

namespace zorvia::tool {

extern const ToolCommand kImportCommand;
extern const ToolCommand kFilesCommand;
extern const ToolCommand kRemoveFileCommand;
extern const ToolCommand kRemoveWordsCommand;

const std::vector<const ToolCommand*>& AllCommands() {
    static const std::vector<const ToolCommand*> commands = {
        &kImportCommand,
        &kFilesCommand,
        &kRemoveFileCommand,
        &kRemoveWordsCommand,
    };
    return commands;
}

}  // namespace zorvia::tool
