// The collocates of a node: the words in the tokens around its occurrences.
// The window of an occurrence is the `left` tokens before it and the
// `right` tokens after it in the same file. Overlapping windows are merged:
// the window area is the set of positions that lie in the window of at least
// one occurrence, the node's own positions left out, and each position
// counts once. For each word c of the area: O positions hold it, O_L / O_R
// of them lie in a left / right window (a position in both counts in both),
// and the measures of ScoreCollocate relate O to f(c), f(node), W (the
// positions of the area) and N.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/sorted_table.h"
#include "analysis/statistics.h"

namespace zorvia {

inline constexpr int kMaxCollocateSpan = 20;

struct CollocateRequest {
    std::u16string node;  // one word, compared by its fold
    int left = 5;
    int right = 5;
    std::int64_t minO = 1;
};

struct CollocateRow {
    std::string word;  // word_upper
    std::int64_t o = 0;
    std::int64_t oLeft = 0;
    std::int64_t oRight = 0;
    std::int64_t fc = 0;
    CollocateScores scores;
};

class CCollocateTable : public CSortableTable {
public:
    enum Column { kWord, kO, kOLeft, kORight, kFc, kMi, kT, kLl, kLogDice, kColumnCount };

    // Rows in any order; they are stored by LL, then O (both largest
    // first), then word_upper.
    void SetRows(std::vector<CollocateRow> rows);
    const CollocateRow& Row(std::size_t row) const { return m_rows[StoredRow(row)]; }

    std::int64_t nodeFrequency = 0;  // f(node)
    std::int64_t windowArea = 0;     // W
    std::int64_t corpusTokens = 0;   // N

    std::vector<TableColumn> Columns() const override;
    std::size_t RowCount() const override { return m_rows.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override;
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override;
    bool IsNumberColumn(int column) const override { return column != kWord; }
    int CompareStored(std::size_t a, std::size_t b, int column) const override;

private:
    std::string Field(const CollocateRow& row, int column) const;
    std::vector<CollocateRow> m_rows;
};

// The column of an export header name ("word_upper", "O", ..., "logDice").
std::optional<int> CollocateColumnByName(std::string_view name);

// The node as the analyses other than the KWIC table take it: one word,
// folded, as UTF-8; nothing when it is empty or holds several words.
std::optional<std::string> SingleWordNode(std::u16string_view node);

JobResult RunCollocates(CCorpusReader& reader, const CollocateRequest& request, std::stop_token stop,
                        IJobProgress& progress, CCollocateTable& table);

}  // namespace zorvia
