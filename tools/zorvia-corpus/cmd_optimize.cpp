// optimize: the index that speeds up completing hits on a large corpus.
#include <cstdio>

#include "platform/text_convert.h"
#include "tool.h"
#include "wordlist/word_list.h"

namespace zorvia::tool {

namespace {

int RunOptimize(ToolContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) {
        PrintError("optimize takes no arguments");
        return 2;
    }
    if (!CreateSearchIndex(context.db)) {
        PrintError("cannot create the index word_lid: " + WideToUtf8(context.db.GetErrorText()));
        return 1;
    }
    std::printf("index word_lid is in place\n");
    return 0;
}

}  // namespace

extern const ToolCommand kOptimizeCommand = {
    "optimize", "  add the index that speeds up searches on large corpora", &RunOptimize};

}  // namespace zorvia::tool
