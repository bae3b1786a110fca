// The analysis commands after a concordance: collocates, ngrams, dispersion
// and keywords. Each reads the corpus through a read-only connection on a
// worker thread, as the analysis window does, and writes its table as TSV,
// CSV or aligned columns.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/collocates.h"
#include "analysis/dispersion.h"
#include "analysis/keywords.h"
#include "analysis/kwic.h"
#include "analysis/ngrams.h"
#include "analysis_command.h"
#include "corpus/database_files.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

constexpr int kMaxCount = 999999999;

// --limit N, or every row.
bool ReadLimit(const ParsedOptions& options, std::size_t& limit) {
    limit = static_cast<std::size_t>(-1);
    const auto it = options.values.find("--limit");
    if (it == options.values.end()) return true;
    int value = 0;
    if (!ParseNumber(it->second, 1, kMaxCount, value)) {
        PrintError("--limit must be a whole number from 1, not '" + it->second + "'");
        return false;
    }
    limit = static_cast<std::size_t>(value);
    return true;
}

// --min, a whole number from 1, into `min` when given.
bool ReadMin(const ParsedOptions& options, std::int64_t& min) {
    const auto it = options.values.find("--min");
    if (it == options.values.end()) return true;
    int value = 0;
    if (!ParseNumber(it->second, 1, kMaxCount, value)) {
        PrintError("--min must be a whole number from 1, not '" + it->second + "'");
        return false;
    }
    min = value;
    return true;
}

// The node: the positional arguments, which must name one word of the
// corpus (cut by the corpus's word rule).
std::optional<std::u16string> ReadNode(ToolContext& context, const ParsedOptions& options, const char* command) {
    std::string typed;
    for (const std::string& word : options.positional) typed += (typed.empty() ? "" : " ") + word;
    const std::u16string node = NodeInWordsOf(context.db.WordRule(), Utf8ToWide(typed));
    if (!SingleWordNode(node)) {
        PrintError(std::string(command) + " needs one word" +
                   (SingleWordNode(Utf8ToWide(typed)) ? " (the corpus's word rule cuts '" + typed + "' into several)"
                                                      : ""));
        return std::nullopt;
    }
    return node;
}

// Runs `job` on a reader of the corpus.
template <typename Job>
JobResult RunOnCorpus(ToolContext& context, Job job) {
    return RunInterruptible([&](std::stop_token stop) {
        CCorpusReader reader;
        if (!reader.Open(context.databasePath, stop)) return JobResult::Failed(reader.ErrorText());
        NullJobProgress progress;
        return job(reader, stop, progress);
    });
}

int WriteOrFail(const ITableModel& table, const ParsedOptions& options, std::size_t limit) {
    if (WriteTableOutput(table, options, limit)) return 0;
    PrintError("cannot write the output");
    return kExitFailed;
}

int RunCollocatesCommand(ToolContext& context, const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {{"--span", true}, {"--min", true}, {"--sort", true}, {"--limit", true}});
    std::size_t limit = 0;
    if (!options || !ReadLimit(*options, limit)) return kExitUsage;
    const auto node = ReadNode(context, *options, "collocates");
    if (!node) return kExitUsage;
    CollocateRequest request;
    request.node = *node;
    if (const auto it = options->values.find("--span"); it != options->values.end()) {
        const std::size_t comma = it->second.find(',');
        if (comma == std::string::npos ||
            !ParseNumber(it->second.substr(0, comma), 0, kMaxCollocateSpan, request.left) ||
            !ParseNumber(it->second.substr(comma + 1), 0, kMaxCollocateSpan, request.right) ||
            request.left + request.right == 0) {
            PrintError("--span takes L,R, each from 0 to 20 and not both 0, not '" + it->second + "'");
            return kExitUsage;
        }
    }
    if (!ReadMin(*options, request.minO)) return kExitUsage;
    std::optional<int> sortColumn;
    if (const auto it = options->values.find("--sort"); it != options->values.end()) {
        sortColumn = CollocateColumnByName(it->second);
        if (!sortColumn) {
            PrintError("--sort takes one of word_upper, O, O_L, O_R, f(c), MI, T, LL, logDice, not '" + it->second +
                       "'");
            return kExitUsage;
        }
    }
    CCollocateTable table;
    const JobResult result = RunOnCorpus(context, [&](CCorpusReader& reader, std::stop_token stop, IJobProgress& p) {
        return RunCollocates(reader, request, stop, p, table);
    });
    if (!result.done()) return ExitFor(result);
    if (sortColumn) table.SetOrder(*table.OrderBy(*sortColumn, table.IsNumberColumn(*sortColumn)));
    if (table.nodeFrequency == 0) std::fprintf(stderr, "no occurrences of '%s'\n", WideToUtf8(*node).c_str());
    return WriteOrFail(table, *options, limit);
}

int RunNgramsCommand(ToolContext& context, const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {{"--n", true}, {"--min", true}, {"--word", true}, {"--limit", true}});
    std::size_t limit = 0;
    if (!options || !ReadLimit(*options, limit)) return kExitUsage;
    if (!options->positional.empty()) {
        PrintError("ngrams takes no word; use --word WORD");
        return kExitUsage;
    }
    NgramRequest request;
    if (const auto it = options->values.find("--n");
        it != options->values.end() && !ParseNumber(it->second, kMinNgramLength, kMaxNgramLength, request.n)) {
        PrintError("--n must be a whole number from 2 to 6, not '" + it->second + "'");
        return kExitUsage;
    }
    if (!ReadMin(*options, request.minFrequency)) return kExitUsage;
    if (const auto it = options->values.find("--word"); it != options->values.end()) {
        request.word = NodeInWordsOf(context.db.WordRule(), Utf8ToWide(it->second));
        if (!SingleWordNode(request.word)) {
            PrintError("--word takes one word, not '" + it->second + "'");
            return kExitUsage;
        }
    }
    CNgramTable table(request.n);
    const JobResult result = RunOnCorpus(context, [&](CCorpusReader& reader, std::stop_token stop, IJobProgress& p) {
        return RunNgrams(reader, request, stop, p, table);
    });
    if (!result.done()) return ExitFor(result);
    return WriteOrFail(table, *options, limit);
}

int RunDispersionCommand(ToolContext& context, const std::vector<std::string>& args) {
    const auto options = ParseOptions(args, {{"--svg", true}});
    if (!options) return kExitUsage;
    const auto node = ReadNode(context, *options, "dispersion");
    if (!node) return kExitUsage;
    CDispersionTable table;
    const JobResult result = RunOnCorpus(context, [&](CCorpusReader& reader, std::stop_token stop, IJobProgress& p) {
        return RunDispersion(reader, *node, stop, p, table);
    });
    if (!result.done()) return ExitFor(result);
    if (const auto it = options->values.find("--svg"); it != options->values.end()) {
        const JobResult written = WriteDispersionSvg(table, Utf8ToWide(it->second));
        if (!written.done()) return ExitFor(written);
    }
    if (!WriteTableOutput(table, *options, table.RowCount()) ||
        std::fprintf(stdout, "# %s\n", table.Summary().c_str()) < 0 || std::fflush(stdout) != 0) {
        PrintError("cannot write the output");
        return kExitFailed;
    }
    return 0;
}

int RunKeywordsCommand(ToolContext& context, const std::vector<std::string>& args) {
    const auto options =
        ParseOptions(args, {{"--reference", true}, {"--negative", false}, {"--min-ll", true}, {"--limit", true}});
    std::size_t limit = 0;
    if (!options || !ReadLimit(*options, limit)) return kExitUsage;
    const auto reference = options->values.find("--reference");
    if (reference == options->values.end() || !options->positional.empty()) {
        PrintError("keywords takes --reference REF and no other argument");
        return kExitUsage;
    }
    KeywordRequest request;
    request.negative = options->Has("--negative");
    if (const auto it = options->values.find("--min-ll"); it != options->values.end()) {
        const std::string& text = it->second;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), request.minLl);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(request.minLl) ||
            request.minLl < 0) {
            PrintError("--min-ll must be a number from 0, not '" + text + "'");
            return kExitUsage;
        }
    }
    const std::u16string referencePath = Utf8ToWide(reference->second);
    // Refused as the window refuses it, in the words of the tool's other
    // read-only commands.
    if (const CorpusFileProbe probe = ProbeCorpusFile(referencePath); probe.state != CorpusFileState::Corpus) {
        const std::string why = probe.state == CorpusFileState::Missing ? "no such file"
                                : !probe.errorText.empty()              ? WideToUtf8(probe.errorText)
                                                                        : "not a corpus database";
        PrintError("cannot read " + reference->second + ": " + why);
        return kExitFailed;
    }
    CKeywordTable table;
    const JobResult result = RunOnCorpus(context, [&](CCorpusReader& target, std::stop_token stop, IJobProgress& p) {
        CCorpusReader other;
        if (!other.Open(referencePath, stop)) return JobResult::Failed(other.ErrorText());
        return RunKeywords(target, other, request, stop, p, table);
    });
    if (!result.done()) return ExitFor(result);
    return WriteOrFail(table, *options, limit);
}

}  // namespace

extern const ToolCommand kCollocatesCommand = {
    "collocates", "WORD [--span L,R] [--min N] [--sort COL] [--limit N] [--tsv|--csv]  (words around the node)",
    &RunCollocatesCommand, true};
extern const ToolCommand kNgramsCommand = {
    "ngrams", "[--n N] [--min F] [--word WORD] [--limit N] [--tsv|--csv]  (clusters of N words)", &RunNgramsCommand,
    true};
extern const ToolCommand kDispersionCommand = {
    "dispersion", "WORD [--svg FILE] [--tsv|--csv]  (hits per file and Juilland's D)", &RunDispersionCommand, true};
extern const ToolCommand kKeywordsCommand = {
    "keywords", "--reference REF [--negative] [--min-ll X] [--limit N] [--tsv|--csv]  (words set apart from REF)",
    &RunKeywordsCommand, true};

}  // namespace zorvia::tool
