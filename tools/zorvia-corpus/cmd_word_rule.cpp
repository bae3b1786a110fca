// The word rule of a corpus: printed, or set while the corpus holds no file.
#include <cstdio>
#include <string>
#include <vector>

#include "corpus/word_rule.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

int RunWordRule(ToolContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        PrintError("word-rule: at most one rule expected (separators or mecab)");
        return 2;
    }
    if (args.size() == 1) {
        const auto kind = ParseWordRuleName(Utf8ToWide(args[0]));
        if (!kind) {
            PrintError("word-rule: unknown rule '" + args[0] + "' (separators or mecab)");
            return 2;
        }
        const WordRuleChangeOutcome outcome = SetCorpusWordRule(context.db, *kind, context.mecabDictionary);
        if (outcome.result != WordRuleChange::Set) {
            std::string message = WideToUtf8(outcome.message);
            for (char& c : message)
                if (c == '\n') c = ' ';
            PrintError("word-rule: " + message);
            return 1;
        }
    }
    CWordRule& rule = context.db.WordRule();
    if (!rule.IsReadable()) {
        PrintError("word-rule: " + WideToUtf8(rule.Problem()));
        return 1;
    }
    std::printf("%s\n", WideToUtf8(WordRuleName(rule.Kind())).c_str());
    return 0;
}

}  // namespace

extern const ToolCommand kWordRuleCommand = {
    "word-rule", "[separators|mecab]  print the word rule; set it while the corpus holds no file", &RunWordRule};

}  // namespace zorvia::tool
