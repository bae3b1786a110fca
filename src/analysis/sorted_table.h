// A table whose rows are stored in their default order and shown in the
// order of any column: a click on a column's header in the window, --sort
// in the corpus tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "analysis/table_model.h"

namespace zorvia {

class CSortableTable : public ITableModel {
public:
    // Numbers are sorted largest first on the first click, text A to Z.
    virtual bool IsNumberColumn(int column) const = 0;
    // Compares stored rows a and b by `column` ascending: < 0, 0 or > 0.
    virtual int CompareStored(std::size_t a, std::size_t b, int column) const = 0;

    // The display order by `column`, equal rows in default order; nothing
    // when `stop` is asked for first. Reads only the stored rows, so that it
    // can run on a worker thread while the window draws the table.
    std::optional<std::vector<std::uint32_t>> OrderBy(int column, bool descending, std::stop_token stop = {}) const;
    // An order from OrderBy; an empty one is the default order.
    void SetOrder(std::vector<std::uint32_t> order);

protected:
    // The stored row shown as row `row`.
    std::size_t StoredRow(std::size_t row) const { return m_order.empty() ? row : m_order[row]; }

private:
    std::vector<std::uint32_t> m_order;
};

// a <=> b for numbers.
template <typename T>
int CompareValues(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace zorvia
