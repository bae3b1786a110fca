// What the analysis commands share: the job on a worker thread that Ctrl+C
// stops, the exit status of its result, their options, and the table
// written as TSV, CSV or aligned for reading.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/job.h"
#include "analysis/table_model.h"

namespace zorvia::tool {

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// Runs `work` on a worker thread; Ctrl+C asks it to stop.
JobResult RunInterruptible(const std::function<JobResult(std::stop_token)>& work);

// 0 when done; otherwise the message on standard error and 1, or 130 after
// Ctrl+C.
int ExitFor(const JobResult& result);

// A whole number from `min` to `max`.
bool ParseNumber(const std::string& text, int min, int max, int& value);

struct KnownOption {
    const char* name;  // "--span"
    bool takesValue;
};

// The arguments after the command name: options as --name VALUE or
// --name=VALUE, flags as --name, "--" ends the options, the rest positional.
// --tsv and --csv are always known and exclude each other. Prints the
// problem and gives nothing on an unknown option or a missing value.
struct ParsedOptions {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    bool Has(const std::string& name) const { return flags.contains(name) || values.contains(name); }
};
std::optional<ParsedOptions> ParseOptions(const std::vector<std::string>& args, const std::vector<KnownOption>& known);

// The first `limit` rows: --tsv or --csv with a first line of column names,
// otherwise aligned columns for reading. False when the output cannot be
// written.
bool WriteTableOutput(const ITableModel& table, const ParsedOptions& options, std::size_t limit);

}  // namespace zorvia::tool
