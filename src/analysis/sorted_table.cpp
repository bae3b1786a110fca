#include "analysis/sorted_table.h"

#include <algorithm>
#include <numeric>

namespace zorvia {

namespace {
// Thrown from inside the sort only, to leave it when a stop is asked for.
struct SortStopped {};
constexpr unsigned kComparesPerStopCheck = 1 << 16;
}  // namespace

std::optional<std::vector<std::uint32_t>> CSortableTable::OrderBy(int column, bool descending,
                                                                  std::stop_token stop) const {
    std::vector<std::uint32_t> order(RowCount());
    std::iota(order.begin(), order.end(), 0u);
    unsigned compares = 0;
    try {
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (++compares % kComparesPerStopCheck == 0 && stop.stop_requested()) throw SortStopped{};
            const int result = CompareStored(a, b, column);
            return descending ? result > 0 : result < 0;
        });
    } catch (const SortStopped&) {
        return std::nullopt;
    }
    return order;
}

void CSortableTable::SetOrder(std::vector<std::uint32_t> order) {
    if (order.empty() || order.size() == RowCount()) m_order = std::move(order);
}

}  // namespace zorvia
