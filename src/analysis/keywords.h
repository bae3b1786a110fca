// Keywords: the words whose rate in the open corpus (the target) differs
// from their rate in another corpus (the reference) by log-likelihood, with
// the log ratio of the two rates as the size of the difference.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/sorted_table.h"

namespace zorvia {

struct KeywordRequest {
    bool negative = false;  // the words rarer in the target instead
    double minLl = 3.84;    // p < 0.05
};

struct KeywordRow {
    std::string word;  // word_upper
    std::int64_t o1 = 0;
    std::int64_t o2 = 0;
    double ll = 0;
    double logRatio = 0;
};

class CKeywordTable : public CSortableTable {
public:
    enum Column { kWord, kO1, kO2, kLl, kLogRatio, kColumnCount };

    // Rows in any order; stored by LL (largest first), then word_upper.
    void SetRows(std::vector<KeywordRow> rows);
    const KeywordRow& Row(std::size_t row) const { return m_rows[StoredRow(row)]; }
    std::int64_t targetTokens = 0;     // N1
    std::int64_t referenceTokens = 0;  // N2

    std::vector<TableColumn> Columns() const override;
    std::size_t RowCount() const override { return m_rows.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override;
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override;
    bool IsNumberColumn(int column) const override { return column != kWord; }
    int CompareStored(std::size_t a, std::size_t b, int column) const override;

private:
    std::vector<KeywordRow> m_rows;
};

// What a path given as the reference is; a message for the user when it
// cannot be one.
std::optional<std::u16string> ReferenceCorpusProblem(const std::u16string& path);

// Compares the corpus of `target` with that of `reference`, both read-only.
JobResult RunKeywords(CCorpusReader& target, CCorpusReader& reference, const KeywordRequest& request,
                      std::stop_token stop, IJobProgress& progress, CKeywordTable& table);

}  // namespace zorvia
