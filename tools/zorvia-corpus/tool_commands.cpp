#include "tool_commands.h"

namespace zorvia::tool {

extern const ToolCommand kImportCommand;
extern const ToolCommand kFilesCommand;
extern const ToolCommand kRemoveFileCommand;
extern const ToolCommand kRemoveWordsCommand;
extern const ToolCommand kOptimizeCommand;
extern const ToolCommand kSearchCommand;
extern const ToolCommand kWordsCommand;

extern const ToolCommand kStatsCommand;
extern const ToolCommand kWordListCommand;
extern const ToolCommand kDefragCommand;
extern const ToolCommand kKwicCommand;
extern const ToolCommand kExportVrtCommand;
extern const ToolCommand kCollocatesCommand;
extern const ToolCommand kNgramsCommand;
extern const ToolCommand kDispersionCommand;
extern const ToolCommand kKeywordsCommand;
extern const ToolCommand kWordRuleCommand;

const std::vector<const ToolCommand*>& AllCommands() {
    static const std::vector<const ToolCommand*> commands = {
        &kImportCommand,
        &kFilesCommand,
        &kRemoveFileCommand,
        &kRemoveWordsCommand,
        &kSearchCommand,
        &kWordsCommand,
        &kOptimizeCommand,
        &kStatsCommand,
        &kWordListCommand,
        &kDefragCommand,
        &kKwicCommand,
        &kCollocatesCommand,
        &kNgramsCommand,
        &kDispersionCommand,
        &kKeywordsCommand,
        &kExportVrtCommand,
        &kWordRuleCommand,
    };
    return commands;
}

}  // namespace zorvia::tool
