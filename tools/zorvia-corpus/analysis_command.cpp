#include "analysis_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "analysis/table_export.h"
#include "list_output.h"
#include "platform/text_convert.h"
#include "tool.h"

namespace zorvia::tool {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) { g_interrupted = 1; }
}  // namespace

JobResult RunInterruptible(const std::function<JobResult(std::stop_token)>& work) {
    g_interrupted = 0;
    struct sigaction action {}, previous {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    JobResult result;
    std::atomic<bool> finished = false;
    {
        std::jthread worker([&](std::stop_token stop) {
            result = work(stop);
            finished = true;
        });
        while (!finished) {
            if (g_interrupted) worker.request_stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    sigaction(SIGINT, &previous, nullptr);
    return result;
}

int ExitFor(const JobResult& result) {
    if (result.outcome == JobOutcome::Stopped) {
        PrintError("interrupted");
        return kExitInterrupted;
    }
    if (result.outcome == JobOutcome::Failed) {
        PrintError(WideToUtf8(result.errorText));
        return kExitFailed;
    }
    return 0;
}

bool ParseNumber(const std::string& text, int min, int max, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return value >= min && value <= max;
}

std::optional<ParsedOptions> ParseOptions(const std::vector<std::string>& args, const std::vector<KnownOption>& known) {
    ParsedOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> value;
        if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
        }
        if (arg == "--tsv" || arg == "--csv") {
            options.flags.insert(arg);
            continue;
        }
        const auto match = std::find_if(known.begin(), known.end(), [&](const KnownOption& o) { return arg == o.name; });
        if (match == known.end() || (!match->takesValue && value)) {
            PrintError("unknown option '" + args[i] + "'");
            return std::nullopt;
        }
        if (!match->takesValue) {
            options.flags.insert(arg);
            continue;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                PrintError(arg + " needs a value");
                return std::nullopt;
            }
            value = args[++i];
        }
        options.values[arg] = *value;
    }
    if (options.flags.contains("--tsv") && options.flags.contains("--csv")) {
        PrintError("--tsv and --csv exclude each other");
        return std::nullopt;
    }
    return options;
}

bool WriteTableOutput(const ITableModel& table, const ParsedOptions& options, std::size_t limit) {
    if (options.Has("--tsv") || options.Has("--csv"))
        return WriteTable(table, stdout, options.Has("--csv") ? TableFormat::Csv : TableFormat::Tsv, true, limit);
    // Aligned: each column as wide as its widest field, numbers on the right.
    const std::vector<TableColumn> columns = table.Columns();
    const std::size_t rows = std::min(table.RowCount(), limit);
    std::vector<std::vector<std::u16string>> cells;
    std::vector<std::string> fields = table.ExportHeader();
    std::vector<int> widths(fields.size(), 0);
    const auto add = [&] {
        std::vector<std::u16string> line;
        for (std::size_t c = 0; c < fields.size(); ++c) {
            line.push_back(OneLineField(Utf8ToWide(fields[c])));
            widths[c] = std::max(widths[c], DisplayWidth(line.back()));
        }
        cells.push_back(std::move(line));
    };
    add();
    for (std::size_t row = 0; row < rows; ++row) {
        table.ExportRow(row, fields);
        add();
    }
    std::string out;
    for (const auto& line : cells) {
        std::u16string text;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const bool right = c < columns.size() && columns[c].rightAligned;
            const std::u16string padding(static_cast<std::size_t>(widths[c] - DisplayWidth(line[c])), u' ');
            if (c > 0) text += u"  ";
            text += right ? padding + line[c] : (c + 1 < line.size() ? line[c] + padding : line[c]);
        }
        out += WideToUtf8(text);
        out.push_back('\n');
    }
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
}

}  // namespace zorvia::tool
