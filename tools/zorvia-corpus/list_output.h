// Argument and output helpers of the commands that list corpus contents
// (search, words): the --limit and --tsv options, terminal columns, and
// fields for tab-separated output.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvia::tool {

struct ListOptions {
    std::vector<std::string> positional;
    int limit = 0;
    bool tsv = false;
};

// Reads `args` (after the command name): --limit N or --limit=N (a whole
// number from 1), --tsv, "--" to end the options, everything else
// positional. Prints the problem and gives nothing on a bad argument.
std::optional<ListOptions> ParseListOptions(const std::vector<std::string>& args, int defaultLimit);

// Columns a text takes on a terminal: wide and full-width characters two,
// combining marks and format characters none.
int DisplayWidth(std::u16string_view text);

// Exactly `width` columns: the end of the text kept, its beginning cut, and
// blanks put in front (a right-aligned context).
std::u16string FitKeepingEnd(std::u16string_view text, int width);

// Exactly `width` columns: the beginning kept, the end cut, blanks after.
std::u16string FitKeepingStart(std::u16string_view text, int width);

// The text on one line: tabs, line feeds, carriage returns and other control
// characters become spaces, so one record stays one line of one field.
std::u16string OneLineField(std::u16string_view text);

}  // namespace zorvia::tool
