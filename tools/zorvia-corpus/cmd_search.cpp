// search: the concordance of a word as key-word-in-context lines, read the
// way the concordance list reads them (the context runs on into the lines
// before and after).
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "concordance/kwic_item.h"
#include "list_output.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

constexpr int kDefaultLimit = 50;
// Columns of each context in the aligned output.
constexpr int kContextWidth = 36;

int RunSearch(ToolContext& context, const std::vector<std::string>& args) {
    const auto options = ParseListOptions(args, kDefaultLimit);
    if (!options) return 2;
    if (options->positional.size() != 1 || options->positional[0].empty()) {
        PrintError(options->positional.empty() ? "search needs a word" : "search takes exactly one non-empty word");
        return 2;
    }
    const std::u16string word = Utf8ToWide(options->positional[0]);
    CCorpusDatabase& db = context.db;

    const StatementCheck check(db);
    std::vector<ConcordanceHit> hits = SearchConcordance(db, word, options->limit);
    if (check.Failed()) return 1;
    LineCache cache;
    std::vector<std::string> records;
    std::map<int, std::u16string> fileNames;  // by oid
    for (std::size_t i = 0; i < hits.size(); ++i) {
        ConcordanceHit& hit = hits[i];
        // An occurrence that cannot be shown (its line is gone) keeps its
        // number, as in the list.
        const auto text = PrepareKwicItem(db, hit, cache, word, static_cast<int>(i));
        if (!text) continue;
        auto file = fileNames.find(hit.oid);
        if (file == fileNames.end())
            file = fileNames.emplace(hit.oid, FileNameOfPath(LookupFilePath(db, hit.oid))).first;

        const std::u16string number = FormatInt(static_cast<std::int64_t>(i) + 1);
        // Machine-readable output carries the stored line number (from 0), as
        // every export does; the aligned form is for reading and counts from 1.
        std::u16string record;
        if (options->tsv) {
            record = number + u"\t" + OneLineField(text->left) + u"\t" + OneLineField(text->key) + u"\t" +
                     OneLineField(text->right) + u"\t" + OneLineField(file->second) + u"\t" +
                     FormatInt(std::int64_t{hit.line_no});
        } else {
            const std::u16string lineNumber = FormatInt(std::int64_t{hit.line_no} + 1);
            record = FormatInt(static_cast<std::int64_t>(i) + 1, 4) + u"  " +
                     FitKeepingEnd(OneLineField(text->left), kContextWidth) + OneLineField(text->key) +
                     FitKeepingStart(OneLineField(text->right), kContextWidth) + u"  " +
                     OneLineField(file->second) + u":" + lineNumber;
        }
        records.push_back(WideToUtf8(record));
    }
    // The lines are printed only when every lookup behind them succeeded.
    if (check.Failed()) return 1;
    for (const std::string& record : records) std::printf("%s\n", record.c_str());
    if (hits.empty() && !options->tsv) std::fprintf(stderr, "no occurrences of '%s'\n", options->positional[0].c_str());
    return 0;
}

}  // namespace

extern const ToolCommand kSearchCommand = {
    "search", "WORD [--limit N] [--tsv]  the occurrences of WORD as key-word-in-context lines", &RunSearch};

}  // namespace zorvia::tool
