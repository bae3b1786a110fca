#include "tool_commands.h"

namespace zorvia::tool {

extern const ToolCommand kOptimizeCommand;
extern const ToolCommand kSearchCommand;
extern const ToolCommand kWordsCommand;

const std::vector<const ToolCommand*>& AllCommands() {
    static const std::vector<const ToolCommand*> commands = {
        &kSearchCommand,
        &kWordsCommand,
        &kOptimizeCommand,
    };
    return commands;
}

}  // namespace zorvia::tool
