// How a node spreads over the files of the corpus: per registered file (oid
// order) its tokens n_i, the node's hits h_i and hits per 10,000 tokens;
// Juilland's D over the files that hold tokens; and, for the plot, each
// hit's relative token position in its file.
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

struct DispersionFile {
    std::int64_t oid = 0;
    std::string path;
    std::int64_t tokens = 0;
    // Of each hit: tokens of the file before it / tokens of the file, in
    // text order; as many as the file has hits.
    std::vector<float> positions;
    std::int64_t hits() const { return static_cast<std::int64_t>(positions.size()); }
};

class CDispersionTable : public CSortableTable {
public:
    enum Column { kPath, kTokens, kHits, kPerTenThousand };

    void SetFiles(std::string node, std::vector<DispersionFile> files, std::int64_t frequency);
    const std::string& Node() const { return m_node; }
    const std::vector<DispersionFile>& Files() const { return m_files; }
    const DispersionFile& File(std::size_t row) const { return m_files[StoredRow(row)]; }
    std::optional<double> D() const { return m_d; }
    std::int64_t Frequency() const { return m_frequency; }
    std::int64_t FilesHolding() const { return m_filesHolding; }
    // "D=0.7188 frequency=2848 files=12"; D is "-" when it is not defined.
    std::string Summary() const;

    std::vector<TableColumn> Columns() const override;
    std::size_t RowCount() const override { return m_files.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override { return {"path", "n_i", "h_i", "per_10000"}; }
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override;
    bool IsNumberColumn(int column) const override { return column != kPath; }
    int CompareStored(std::size_t a, std::size_t b, int column) const override;

private:
    std::string m_node;
    std::vector<DispersionFile> m_files;
    std::int64_t m_frequency = 0;
    std::int64_t m_filesHolding = 0;
    std::optional<double> m_d;
};

JobResult RunDispersion(CCorpusReader& reader, const std::u16string& node, std::stop_token stop,
                        IJobProgress& progress, CDispersionTable& table);

// The plot as an SVG document: one bar per file, in the table's order, with
// a thin mark at each hit's relative position and the file name beside it.
std::string DispersionSvg(const CDispersionTable& table);
// Written to `path`, which appears only once complete.
JobResult WriteDispersionSvg(const CDispersionTable& table, const std::u16string& path);

}  // namespace zorvia
