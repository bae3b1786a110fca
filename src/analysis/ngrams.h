// Clusters: contiguous runs of n tokens inside one stored line (a deleted
// token leaves no gap), keyed by the tokens' word_upper joined by single
// spaces, with how often each occurs and in how many files. Every n-gram of
// the corpus is counted exactly: the counts are kept in memory while they
// fit the budget; beyond it they go to temporary files by hash, and each
// part is counted on its own.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/sorted_table.h"

namespace zorvia {

inline constexpr int kMinNgramLength = 2;
inline constexpr int kMaxNgramLength = 6;

struct NgramRequest {
    int n = 3;
    std::int64_t minFrequency = 2;
    std::u16string word;  // when given, only the runs that hold this word
    // Bytes of counts held in memory before they go to temporary files.
    std::size_t memoryBudget = std::size_t{768} << 20;
    // Where the temporary files go: empty for $TMPDIR, or /tmp.
    std::string spillDirectory;
};

struct NgramRunInfo {
    std::int64_t tokens = 0;    // read
    std::int64_t distinct = 0;  // n-grams counted, before --min
    int spills = 0;             // times the counts went to temporary files
};

class CNgramTable : public CSortableTable {
public:
    enum Column { kNgram, kFrequency, kRange };
    explicit CNgramTable(int n = 3) : m_n(n) {}

    int N() const { return m_n; }
    std::string Key(std::size_t row) const { return KeyOfStored(StoredRow(row)); }
    // The word_upper of the i-th token of a row.
    const std::string& Word(std::size_t row, int i) const;
    std::uint32_t Frequency(std::size_t row) const { return m_frequency[StoredRow(row)]; }
    std::uint32_t Range(std::size_t row) const { return m_range[StoredRow(row)]; }

    std::vector<TableColumn> Columns() const override;
    std::size_t RowCount() const override { return m_frequency.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override { return {"ngram", "frequency", "range"}; }
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override;
    bool IsNumberColumn(int column) const override { return column != kNgram; }
    int CompareStored(std::size_t a, std::size_t b, int column) const override;

    // Filled by the run: the words the keys refer to, then the rows, then
    // the default order (frequency, then range, largest first, then key).
    void SetWords(std::vector<std::string> words);
    void AddRow(const std::uint32_t* ids, std::uint32_t frequency, std::uint32_t range);
    bool SortRows(std::stop_token stop);

private:
    std::string KeyOfStored(std::size_t stored) const;
    int CompareKeys(std::size_t a, std::size_t b) const;

    int m_n;
    std::vector<std::string> m_words;
    std::vector<std::int32_t> m_rank;         // of each word in text order
    std::vector<bool> m_prefixOfAnother;      // the word begins a longer word
    std::vector<std::uint32_t> m_ids;         // n per row
    std::vector<std::uint32_t> m_frequency;
    std::vector<std::uint32_t> m_range;
};

JobResult RunNgrams(CCorpusReader& reader, const NgramRequest& request, std::stop_token stop, IJobProgress& progress,
                    CNgramTable& table, NgramRunInfo* info = nullptr);

}  // namespace zorvia
