// The commands of the corpus tool. Each lives in its own cmd_*.cpp file;
// add new ones to AllCommands() in tool_commands.cpp.
#pragma once

#include <vector>

#include "tool.h"

namespace zorvia::tool {

const std::vector<const ToolCommand*>& AllCommands();

}  // namespace zorvia::tool
