// words: the word list, most frequent first: the whole corpus, or the words
// beginning with a prefix (which, as in the word list, may hold * ? [ ]).
#include <algorithm>
#include <cstdio>

#include "list_output.h"
#include "platform/text_convert.h"
#include "tool.h"
#include "wordlist/word_list.h"

namespace zorvia::tool {

namespace {

constexpr int kDefaultLimit = 20;

int RunWords(ToolContext& context, const std::vector<std::string>& args) {
    const auto options = ParseListOptions(args, kDefaultLimit);
    if (!options) return 2;
    if (options->positional.size() > 1) {
        PrintError("words takes at most one prefix");
        return 2;
    }
    const StatementCheck check(context.db);
    const std::vector<WordListRow> rows =
        options->positional.empty()
            ? QueryFrequencyTable(context.db, options->limit)
            : QueryWordsStartingWith(context.db, Utf8ToWide(options->positional[0]), options->limit);
    if (check.Failed()) return 1;

    int wordWidth = 1;
    std::size_t countWidth = 1;
    for (const WordListRow& row : rows) {
        wordWidth = std::max(wordWidth, DisplayWidth(OneLineField(row.word)));
        countWidth = std::max(countWidth, FormatInt(row.count).size());
    }
    for (const WordListRow& row : rows) {
        const std::u16string word = OneLineField(row.word);
        const std::u16string record =
            options->tsv ? word + u"\t" + FormatInt(row.count)
                         : FitKeepingStart(word, wordWidth) + u"  " +
                               FormatInt(row.count, static_cast<int>(countWidth));
        std::printf("%s\n", WideToUtf8(record).c_str());
    }
    return 0;
}

}  // namespace

extern const ToolCommand kWordsCommand = {
    "words", "[PREFIX] [--limit N] [--tsv]  the most frequent words that begin with PREFIX", &RunWords};

}  // namespace zorvia::tool
