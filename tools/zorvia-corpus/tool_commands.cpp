#include "tool_commands.h"

namespace zorvia::tool {

extern const ToolCommand kOptimizeCommand;
extern const ToolCommand kSearchCommand;
extern const ToolCommand kWordsCommand;

extern const ToolCommand kStatsCommand;
extern const ToolCommand kWordListCommand;
extern const ToolCommand kDefragCommand;

const std::vector<const ToolCommand*>& AllCommands() {
    static const std::vector<const ToolCommand*> commands = {
        &kSearchCommand,
        &kWordsCommand,
        &kOptimizeCommand,
        &kStatsCommand,
        &kWordListCommand,
        &kDefragCommand,
    };
    return commands;
}

}  // namespace zorvia::tool
