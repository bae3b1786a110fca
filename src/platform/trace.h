// Diagnostic lines. They go to standard output only when tracing is on
// (ZORVIA_TRACE=1 in the environment or --trace on the command line); a
// window program's standard output is a terminal or the journal, and nothing
// depends on these lines.
#pragma once

#include <string>

namespace zorvia {

bool TraceEnabled();
void SetTraceEnabled(bool enabled);

// printf-style; %s arguments are UTF-8.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// UTF-8 form of a wide text for a %s of Trace.
std::string TraceText(const std::u16string& text);

// Tests collect the lines instead of printing them.
using TraceSink = void (*)(const std::string& line);
void SetTraceSinkForTesting(TraceSink sink);  // nullptr restores stdout

}  // namespace zorvia
