#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_convert.h"

namespace zorvia {

namespace {

bool InitialTraceState() {
    const char* value = std::getenv("ZORVIA_TRACE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

bool& Enabled() {
    static bool enabled = InitialTraceState();
    return enabled;
}

TraceSink g_sink = nullptr;

}  // namespace

bool TraceEnabled() { return Enabled() || g_sink != nullptr; }
void SetTraceEnabled(bool enabled) { Enabled() = enabled; }
void SetTraceSinkForTesting(TraceSink sink) { g_sink = sink; }

void Trace(const char* format, ...) {
    if (!TraceEnabled()) return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    if (g_sink != nullptr) {
        g_sink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::string TraceText(const std::u16string& text) { return WideToUtf8(text); }

}  // namespace zorvia
