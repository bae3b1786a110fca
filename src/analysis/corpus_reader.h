// A connection of its own for work that reads the corpus beside the window:
// read-only, so it can never create or change the file; one read
// transaction, so that every statement of a job sees the same corpus; and a
// stop token that ends a running statement within a fraction of a second.
// Statements are prepared once and stepped row by row (CStatement).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

namespace zorvia {

class CCorpusReader {
public:
    CCorpusReader() = default;
    ~CCorpusReader();
    CCorpusReader(const CCorpusReader&) = delete;
    CCorpusReader& operator=(const CCorpusReader&) = delete;

    // Opens an existing corpus file read-only and begins the read
    // transaction. `stop` interrupts whatever statement runs once it is set,
    // and ends a wait for another process's lock.
    bool Open(const std::u16string& path, std::stop_token stop = {});
    void Close();
    sqlite3* Handle() const { return m_db; }
    const std::u16string& Path() const { return m_path; }
    bool StopRequested() const { return m_stop.stop_requested(); }

    // SQLite's message of the last failure ("interrupted" after a stop).
    const std::u16string& ErrorText() const { return m_errorText; }
    void SetErrorFromConnection();
    void SetErrorText(std::u16string text) { m_errorText = std::move(text); }

private:
    static int OnProgress(void* self);
    static int OnBusy(void* self, int attempts);

    sqlite3* m_db = nullptr;
    std::u16string m_path;
    std::stop_token m_stop;
    std::u16string m_errorText;
};

// One prepared statement of a reader. Step() gives true for each row and
// false at the end or on a failure, which Failed() tells apart and which
// leaves SQLite's message in the reader.
class CStatement {
public:
    CStatement(CCorpusReader& reader, const char* sql);
    ~CStatement();
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    // Back to before the first row, bindings kept.
    void Reset();
    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view utf8);
    bool Step();
    bool Failed() const { return m_failed; }

    std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    // Valid until the next Step or Reset.
    std::string_view Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return text != nullptr ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                               : std::string_view();
    }
    bool IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

private:
    CCorpusReader& m_reader;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

}  // namespace zorvia
