// Writing tables out: tab-separated text (no quoting, LF after each record,
// no byte-order mark) and CSV (RFC 4180 quoting, CR LF, a UTF-8 byte-order
// mark so that spreadsheets see the encoding), and the output file that
// appears under its name only when it is complete.
#pragma once

#include <cstdio>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/job.h"
#include "analysis/table_model.h"

namespace zorvia {

enum class TableFormat { Tsv, Csv };

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// CSV for a path ending in ".csv" (any case), otherwise TSV.
TableFormat TableFormatForPath(std::u16string_view path);

// Appends one record. TSV fields are written as they are, except that a tab
// or line feed (which only a file path can hold) becomes a space so that a
// record stays one line of the right number of fields; a CR is kept. CSV
// fields holding a quote, comma, tab, CR or LF are quoted, quotes doubled.
void AppendRecord(std::string& out, const std::vector<std::string>& fields, TableFormat format);

// Records of the rows `rows` of a table as TSV, without column names: what
// Ctrl+C puts on the clipboard.
std::string FormatRowsAsTsv(const ITableModel& table, const std::vector<std::size_t>& rows);

// A file written under a temporary name in the same directory and renamed
// to its own name by Commit, so that a stopped or failed export never leaves
// a partial file there and an earlier file of that name stays until the new
// one is complete. A link at the path is followed: the file it names is
// replaced. Without Commit the temporary file is removed.
class CReplacingFile {
public:
    explicit CReplacingFile(std::u16string path);
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    bool Open();
    // Buffered; false once a write has failed.
    bool Write(std::string_view bytes);
    bool Commit();
    void Abandon();
    const std::u16string& ErrorText() const { return m_errorText; }

private:
    bool Flush();
    bool Fail(const char* what);

    std::u16string m_path;
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    std::string m_buffer;
    std::u16string m_errorText;
};

// The whole table into `path`: column names first when `header`, then every
// row; progress every so many rows, the stop token polled between batches.
JobResult ExportTable(const ITableModel& table, const std::u16string& path, TableFormat format, bool header,
                      std::stop_token stop, IJobProgress& progress);

// The whole table to an open stream (the corpus tool's standard output).
bool WriteTable(const ITableModel& table, std::FILE* out, TableFormat format, bool header, std::size_t limit);

}  // namespace zorvia
