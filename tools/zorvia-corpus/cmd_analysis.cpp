// The analysis commands: kwic (every hit of a node with its contexts,
// sorted by tokens around it) and export-vrt (the corpus for a corpus
// server). Both read the corpus through a read-only connection on a worker
// thread, as the analysis window does; Ctrl+C stops them, and a stopped
// export leaves no file behind.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/kwic.h"
#include "analysis/table_export.h"
#include "analysis/vrt_export.h"
#include "analysis_command.h"
#include "list_output.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {

// Columns of each context in the aligned output.
constexpr int kContextWidth = 36;

struct KwicOptions {
    KwicRequest request;
    std::size_t limit = static_cast<std::size_t>(-1);
    bool tsv = false;
    bool csv = false;
};

std::optional<KwicOptions> ParseKwicOptions(const std::vector<std::string>& args) {
    KwicOptions options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        const std::size_t equals = arg.find('=');
        const bool takesValue = arg.rfind("--context", 0) == 0 || arg.rfind("--sort", 0) == 0 ||
                                arg.rfind("--limit", 0) == 0;
        if (takesValue) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
                arg = arg.substr(0, equals);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                PrintError(arg + " needs a value");
                return std::nullopt;
            }
        }
        int number = 0;
        if (arg == "--tsv") {
            options.tsv = true;
        } else if (arg == "--csv") {
            options.csv = true;
        } else if (arg == "--context") {
            if (!ParseNumber(value, 1, kMaxKwicReach, number)) {
                PrintError("--context must be a whole number from 1 to 20, not '" + value + "'");
                return std::nullopt;
            }
            options.request.context = number;
        } else if (arg == "--limit") {
            if (!ParseNumber(value, 1, 999999999, number)) {
                PrintError("--limit must be a whole number from 1, not '" + value + "'");
                return std::nullopt;
            }
            options.limit = static_cast<std::size_t>(number);
        } else if (arg == "--sort") {
            const auto keys = ParseKwicSortKeys(value);
            if (!keys) {
                PrintError("--sort takes keys L1..L20, K, R1..R20 and F separated by commas, not '" + value + "'");
                return std::nullopt;
            }
            options.request.keys = *keys;
        } else {
            PrintError("unknown option '" + arg + "'");
            return std::nullopt;
        }
    }
    if (options.tsv && options.csv) {
        PrintError("--tsv and --csv exclude each other");
        return std::nullopt;
    }
    std::string node;
    for (const std::string& word : words) node += (node.empty() ? "" : " ") + word;
    options.request.node = Utf8ToWide(node);
    if (ParseKwicNode(options.request.node).size() == 0) {
        PrintError("kwic needs a word");
        return std::nullopt;
    }
    return options;
}

void PrintAligned(const CKwicTable& table, std::size_t limit) {
    std::string out;
    const std::size_t rows = std::min(table.RowCount(), limit);
    for (std::size_t row = 0; row < rows; ++row) {
        const KwicHit& hit = table.Hit(row);
        const std::u16string record =
            FormatInt(hit.wid, 9) + u"  " + FitKeepingEnd(OneLineField(Utf8ToWide(table.LeftText(row))), kContextWidth) +
            u" " + OneLineField(Utf8ToWide(table.NodeText(row))) + u" " +
            FitKeepingStart(OneLineField(Utf8ToWide(table.RightText(row))), kContextWidth) + u"  " +
            OneLineField(FileNameOfPath(Utf8ToWide(table.FilePath(hit.oid)))) + u":" +
            FormatInt(std::int64_t{hit.lineNo} + 1);
        out += WideToUtf8(record);
        out.push_back('\n');
        if (out.size() >= (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

int RunKwicCommand(ToolContext& context, const std::vector<std::string>& args) {
    auto options = ParseKwicOptions(args);
    if (!options) return kExitUsage;
    options->request.node = NodeInWordsOf(context.db.WordRule(), options->request.node);
    CKwicTable table(options->request.context, static_cast<int>(ParseKwicNode(options->request.node).size()));
    NullJobProgress progress;
    const JobResult result = RunInterruptible([&](std::stop_token stop) {
        CCorpusReader reader;
        if (!reader.Open(context.databasePath, stop)) return JobResult::Failed(reader.ErrorText());
        return RunKwic(reader, options->request, stop, table, progress);
    });
    if (!result.done()) return ExitFor(result);
    if (options->tsv || options->csv) {
        if (!WriteTable(table, stdout, options->csv ? TableFormat::Csv : TableFormat::Tsv, true, options->limit)) {
            PrintError("cannot write the output");
            return kExitFailed;
        }
        return 0;
    }
    PrintAligned(table, options->limit);
    if (table.RowCount() == 0) std::fprintf(stderr, "no occurrences of '%s'\n", WideToUtf8(options->request.node).c_str());
    return 0;
}

// A count and a rate on standard error while the export runs, when that is
// a terminal.
class TerminalProgress : public IJobProgress {
public:
    void Report(const std::u16string& text, int) override {
        if (isatty(STDERR_FILENO) != 1) return;
        std::fprintf(stderr, "\r\033[K%s", WideToUtf8(text).c_str());
        m_shown = true;
    }
    ~TerminalProgress() override {
        if (m_shown) std::fprintf(stderr, "\r\033[K");
    }

private:
    bool m_shown = false;
};

int RunExportVrt(ToolContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty()) {
        PrintError("export-vrt takes exactly one output file");
        return kExitUsage;
    }
    VrtCounts counts;
    const auto start = std::chrono::steady_clock::now();
    JobResult result;
    {
        TerminalProgress progress;
        result = RunInterruptible([&](std::stop_token stop) {
            CCorpusReader reader;
            if (!reader.Open(context.databasePath, stop)) return JobResult::Failed(reader.ErrorText());
            return ExportVrt(reader, Utf8ToWide(args[0]), stop, progress, &counts);
        });
    }
    if (!result.done()) return ExitFor(result);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "%lld texts, %lld lines, %lld tokens in %.2f s\n", static_cast<long long>(counts.texts),
                 static_cast<long long>(counts.lines), static_cast<long long>(counts.tokens), seconds);
    return 0;
}

}  // namespace

extern const ToolCommand kKwicCommand = {
    "kwic", "WORD [--context N] [--sort KEY[,KEY...]] [--limit N] [--tsv|--csv]  (every hit, sorted)",
    &RunKwicCommand, true};
extern const ToolCommand kExportVrtCommand = {"export-vrt", "OUT.vrt  (the corpus for cwb-encode)", &RunExportVrt,
                                               true};

}  // namespace zorvia::tool
