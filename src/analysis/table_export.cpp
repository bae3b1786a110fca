#include "analysis/table_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/text_convert.h"

namespace zorvia {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
constexpr std::size_t kRowsPerBatch = 8192;

// The process's file mode mask, read without changing it (umask() would,
// for a moment, for every thread).
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 022;
        while (std::fgets(line, sizeof line, status) != nullptr)
            if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
        std::fclose(status);
        return static_cast<mode_t>(mask);
    }
    return 022;
}

bool NeedsCsvQuotes(std::string_view field) { return field.find_first_of("\",\t\r\n") != std::string_view::npos; }

}  // namespace

TableFormat TableFormatForPath(std::u16string_view path) {
    if (path.size() < 4) return TableFormat::Tsv;
    std::u16string ext(path.substr(path.size() - 4));
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ext == u".csv" ? TableFormat::Csv : TableFormat::Tsv;
}

void AppendRecord(std::string& out, const std::vector<std::string>& fields, TableFormat format) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        if (format == TableFormat::Tsv) {
            if (i > 0) out.push_back('\t');
            for (char c : field) out.push_back(c == '\t' || c == '\n' ? ' ' : c);
            continue;
        }
        if (i > 0) out.push_back(',');
        if (!NeedsCsvQuotes(field)) {
            out.append(field);
            continue;
        }
        out.push_back('"');
        for (char c : field) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    }
    out.append(format == TableFormat::Csv ? "\r\n" : "\n");
}

std::string FormatRowsAsTsv(const ITableModel& table, const std::vector<std::size_t>& rows) {
    std::string out;
    std::vector<std::string> fields;
    for (std::size_t row : rows) {
        if (row >= table.RowCount()) continue;
        table.ExportRow(row, fields);
        AppendRecord(out, fields, TableFormat::Tsv);
    }
    return out;
}

// --- the replacing file ----------------------------------------------------------

CReplacingFile::CReplacingFile(std::u16string path) : m_path(std::move(path)) {}

CReplacingFile::~CReplacingFile() { Abandon(); }

bool CReplacingFile::Fail(const char* what) {
    m_errorText = Utf8ToWide(std::string(what) + ": " + std::strerror(errno));
    return false;
}

bool CReplacingFile::Open() {
    m_target = WideToUtf8(m_path);
    // Replace what a link names, not the link itself.
    if (char* resolved = ::realpath(m_target.c_str(), nullptr)) {
        m_target = resolved;
        std::free(resolved);
    }
    const std::size_t slash = m_target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    m_temp = dir + "." + name + ".XXXXXX";
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0) {
        m_temp.clear();
        return Fail("cannot create a file in the chosen folder");
    }
    // mkstemp makes the file private; an exported file gets the permissions
    // any new file of the user gets.
    ::fchmod(m_fd, 0666 & ~CurrentUmask());
    m_buffer.reserve(kBufferBytes);
    return true;
}

bool CReplacingFile::Flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            m_buffer.clear();
            return Fail("cannot write the file");
        }
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
    return true;
}

bool CReplacingFile::Write(std::string_view bytes) {
    if (m_fd < 0) return false;
    m_buffer.append(bytes);
    if (m_buffer.size() >= kBufferBytes && !Flush()) {
        Abandon();
        return false;
    }
    return true;
}

bool CReplacingFile::Commit() {
    if (m_fd < 0) return false;
    if (!Flush() || ::fsync(m_fd) != 0) {
        if (m_errorText.empty()) Fail("cannot write the file");
        Abandon();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Fail("cannot write the file");
        ::unlink(m_temp.c_str());
        m_temp.clear();
        return false;
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        Fail("cannot put the file in place");
        ::unlink(m_temp.c_str());
        m_temp.clear();
        return false;
    }
    m_temp.clear();
    return true;
}

void CReplacingFile::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
    m_buffer.clear();
}

// --- whole tables ------------------------------------------------------------------

JobResult ExportTable(const ITableModel& table, const std::u16string& path, TableFormat format, bool header,
                      std::stop_token stop, IJobProgress& progress) {
    CReplacingFile file(path);
    if (!file.Open()) return JobResult::Failed(file.ErrorText());
    std::string out;
    if (format == TableFormat::Csv) out = kUtf8Bom;
    if (header) AppendRecord(out, table.ExportHeader(), format);
    std::vector<std::string> fields;
    const std::size_t rows = table.RowCount();
    for (std::size_t row = 0; row < rows; ++row) {
        table.ExportRow(row, fields);
        AppendRecord(out, fields, format);
        if ((row + 1) % kRowsPerBatch == 0) {
            if (stop.stop_requested()) return JobResult::Stopped();
            if (!file.Write(out)) return JobResult::Failed(file.ErrorText());
            out.clear();
            progress.Report(FormatInt(static_cast<std::int64_t>(row + 1)) + u" / " +
                                FormatInt(static_cast<std::int64_t>(rows)) + u" 行",
                            static_cast<int>((row + 1) * 1000 / rows));
        }
    }
    if (stop.stop_requested()) return JobResult::Stopped();
    if (!file.Write(out) || !file.Commit()) return JobResult::Failed(file.ErrorText());
    return JobResult::Done();
}

bool WriteTable(const ITableModel& table, std::FILE* out, TableFormat format, bool header, std::size_t limit) {
    std::string buffer;
    if (format == TableFormat::Csv) buffer = kUtf8Bom;
    if (header) AppendRecord(buffer, table.ExportHeader(), format);
    std::vector<std::string> fields;
    const std::size_t rows = std::min(table.RowCount(), limit);
    for (std::size_t row = 0; row < rows; ++row) {
        table.ExportRow(row, fields);
        AppendRecord(buffer, fields, format);
        if (buffer.size() >= kBufferBytes) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) return false;
            buffer.clear();
        }
    }
    return std::fwrite(buffer.data(), 1, buffer.size(), out) == buffer.size() && std::fflush(out) == 0;
}

std::u16string CTextTable::CellText(std::size_t row, int column) const {
    return Utf8ToWide(m_rows[row][static_cast<std::size_t>(column)]);
}

}  // namespace zorvia
