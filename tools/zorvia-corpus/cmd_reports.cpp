// The report commands: the counts of the version page, the complete word
// list and the defragmentation, as plain text for scripts.

#include <cstdio>
#include <string>
#include <vector>

#include "corpus/defrag.h"
#include "html/report_pages.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

bool NoArguments(const char* command, const std::vector<std::string>& args) {
    if (args.empty()) return true;
    PrintError(std::string(command) + " takes no arguments");
    return false;
}

int RunStats(ToolContext& context, const std::vector<std::string>& args) {
    if (!NoArguments("stats", args)) return 2;
    const StatementCheck check(context.db);
    const CorpusCounts counts = QueryCorpusCounts(context.db, false, nullptr);
    if (check.Failed()) return 1;
    std::printf("files\t%d\nlines\t%d\nwords\t%d\nunique words\t%d\n", counts.files, counts.lines, counts.words,
                counts.uniqueWords);
    return 0;
}

int RunWordList(ToolContext& context, const std::vector<std::string>& args) {
    if (!NoArguments("wordlist", args)) return 2;
    const StatementCheck check(context.db);
    const std::vector<WordCount> words = QueryCompleteWordList(context.db);
    if (check.Failed()) return 1;
    for (const WordCount& entry : words) {
        std::printf("%s\t%d\n", WideToUtf8(entry.word).c_str(), entry.count);
    }
    return 0;
}

int RunDefragCommand(ToolContext& context, const std::vector<std::string>& args) {
    if (!NoArguments("defrag", args)) return 2;
    const DefragResult result = RunDefrag(context.db, context.databasePath);
    const DefragFigures figures = ComputeDefragFigures(result.beforeBytes, result.afterBytes);
    std::printf("before\t%lld KB\nafter\t%lld KB\ndecrease\t%s %%\n", static_cast<long long>(figures.beforeKb),
                static_cast<long long>(figures.afterKb), WideToUtf8(FormatFixed2(figures.decreasePercent)).c_str());
    if (!result.vacuumSucceeded) {
        PrintError("VACUUM failed: " + WideToUtf8(result.errorText));
        return 1;
    }
    return 0;
}

}  // namespace

extern const ToolCommand kStatsCommand = {"stats", "  counts of files, lines, words and unique words",
                                          RunStats};
extern const ToolCommand kWordListCommand = {"wordlist", "  every word with its count, most frequent first (TSV)",
                                      RunWordList};
extern const ToolCommand kDefragCommand = {"defrag", "  compact the database file; sizes before and after",
                                           RunDefragCommand};

}  // namespace zorvia::tool
