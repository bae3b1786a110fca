#include "tool_commands.h"

namespace zorvia::tool {

const std::vector<const ToolCommand*>& AllCommands() {
    static const std::vector<const ToolCommand*> commands = {
    };
    return commands;
}

}  // namespace zorvia::tool
