#include "platform/tick.h"

#include <chrono>

namespace zorvia {

namespace {
TickSource g_source = nullptr;
}

std::uint32_t GetTickCount32() {
    if (g_source != nullptr) return g_source();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SetTickSourceForTesting(TickSource source) { g_source = source; }

}  // namespace zorvia
