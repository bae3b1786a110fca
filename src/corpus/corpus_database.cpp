#include "corpus/corpus_database.h"

#include <sqlite3.h>

#include <cstdint>

#include "corpus/word_rule.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {
const std::u16string kEmpty;

// The connection reads the corpus through a larger page cache than SQLite's
// default (2 MB): imports and the frequency queries touch the indexes far
// more often than that holds. It affects memory only, never the file.
constexpr const char* kConnectionSetup = "PRAGMA cache_size=-65536";
}  // namespace

CCorpusDatabase::CCorpusDatabase() = default;

CCorpusDatabase::~CCorpusDatabase() { Close(); }

bool CCorpusDatabase::Open(const std::u16string& path) {
    return OpenWithFlags(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

bool CCorpusDatabase::OpenReadOnly(const std::u16string& path) { return OpenWithFlags(path, SQLITE_OPEN_READONLY); }

bool CCorpusDatabase::OpenWithFlags(const std::u16string& path, int flags) {
    Close();
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(WideToUtf8(path).c_str(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        m_errorText = handle ? Utf8ToWide(sqlite3_errmsg(handle)) : Utf8ToWide(sqlite3_errstr(rc));
        sqlite3_close(handle);
        m_connection = nullptr;
        return false;
    }
    m_connection = handle;
    // The cache size is a property of the connection; it does not read the
    // file, so a file that is not a database still opens without error.
    sqlite3_exec(m_connection, kConnectionSetup, nullptr, nullptr, nullptr);
    return true;
}

void CCorpusDatabase::Close() {
    m_wordRuleStale = true;
    if (m_connection != nullptr) {
        sqlite3_close(m_connection);
        m_connection = nullptr;
    }
}

bool CCorpusDatabase::IsReadOnly() const {
    return m_connection != nullptr && sqlite3_db_readonly(m_connection, "main") == 1;
}

CWordRule& CCorpusDatabase::WordRule() {
    // Assigned in place: a caller may still hold the rule it was given.
    if (m_wordRule == nullptr) {
        m_wordRule = std::make_unique<CWordRule>(ReadWordRule(m_connection));
    } else if (m_wordRuleStale || !m_wordRule->IsReadable()) {
        *m_wordRule = ReadWordRule(m_connection);
    }
    m_wordRuleStale = false;
    return *m_wordRule;
}

void CCorpusDatabase::ForgetWordRule() { m_wordRuleStale = true; }

int CCorpusDatabase::OnRow(void* context, int columns, char** values, char** names) {
    auto* self = static_cast<CCorpusDatabase*>(context);
    if (self->m_columnNames.empty()) {
        self->m_columnNames.reserve(static_cast<std::size_t>(columns));
        for (int i = 0; i < columns; ++i) self->m_columnNames.push_back(Utf8ToWide(names[i]));
    }
    std::vector<std::u16string> row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) row.push_back(Utf8ToWide(values[i]));
    self->m_rows.push_back(std::move(row));
    return 0;
}

bool CCorpusDatabase::Exec(const std::u16string& sql) { return ExecUtf8(WideToUtf8(sql)); }

bool CCorpusDatabase::ExecUtf8(const std::string& sql) {
    // A long statement may pump the window's events from inside SQLite
    // (progress and cancel); what they run must not use the connection
    // meanwhile, nor replace the rows being collected.
    if (m_executing) {
        m_errorText = u"another statement of this connection is still running";
        ++m_failures;
        return false;
    }
    m_rows.clear();
    m_columnNames.clear();
    if (m_connection == nullptr) {
        ++m_failures;
        return false;
    }
    char* message = nullptr;
    m_executing = true;
    const int rc = sqlite3_exec(m_connection, sql.c_str(), &CCorpusDatabase::OnRow, this, &message);
    m_executing = false;
    if (rc == SQLITE_OK) {
        sqlite3_free(message);
        return true;
    }
    m_errorText = message ? Utf8ToWide(message) : Utf8ToWide(sqlite3_errmsg(m_connection));
    sqlite3_free(message);
    ++m_failures;
    return false;
}

void CCorpusDatabase::NoteNativeFailure() {
    m_errorText = m_connection ? Utf8ToWide(sqlite3_errmsg(m_connection)) : u"no database is open";
    ++m_failures;
}

const std::u16string& CCorpusDatabase::GetCell(int row, int column) const {
    if (row < 0 || row >= GetRowCount()) return kEmpty;
    const auto& cells = m_rows[static_cast<std::size_t>(row)];
    if (column < 0 || column >= static_cast<int>(cells.size())) return kEmpty;
    return cells[static_cast<std::size_t>(column)];
}

int CCorpusDatabase::GetCellInt(int row, int column) const { return ParseLeadingInt(GetCell(row, column)); }

int CCorpusDatabase::GetLastInsertRowId() const {
    if (m_connection == nullptr) return 0;
    return static_cast<int>(static_cast<std::uint32_t>(sqlite3_last_insert_rowid(m_connection)));
}

std::u16string EscapeSqlText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + 8);
    for (char16_t c : text) {
        out.push_back(c);
        if (c == u'\'') out.push_back(u'\'');
    }
    return out;
}

int ParseLeadingInt(std::u16string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < text.size() && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t value = 0;  // unsigned, so that overflow wraps without UB
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - u'0');
        ++i;
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

}  // namespace zorvia
