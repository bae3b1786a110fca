// The one place where SQL reaches SQLite. A statement is one SQL text; its
// whole result is kept as rows of UTF-16 cells until the next statement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zorvia {

class CWordRule;

class CCorpusDatabase {
public:
    CCorpusDatabase();
    virtual ~CCorpusDatabase();
    CCorpusDatabase(const CCorpusDatabase&) = delete;
    CCorpusDatabase& operator=(const CCorpusDatabase&) = delete;

    // Opens (and, when missing, creates) the file. A connection already
    // held is closed first, so that reopening never leaks the old one.
    bool Open(const std::u16string& path);
    // Opens an existing file for reading only: nothing is created, and no
    // statement of this connection can change the file. For readers that run
    // beside the window's own connection and for checking a file before use.
    bool OpenReadOnly(const std::u16string& path);
    void Close();
    bool IsOpen() const { return m_connection != nullptr; }
    // True when the connection cannot write (opened read-only).
    bool IsReadOnly() const;

    // How the open corpus cuts its lines into words, read from the file the
    // first time it is asked for on this connection (a record that could
    // not be read is read again next time). The rule belongs to this
    // connection and its thread, as the connection does.
    CWordRule& WordRule();
    // The next WordRule() reads the record again (after it was changed).
    void ForgetWordRule();

    // Runs one statement and keeps every row it delivers. Without a
    // connection it fails at once with no rows and leaves the error text;
    // called while a statement runs (from an event pumped inside it) it
    // fails at once and keeps the running statement's rows.
    bool Exec(const std::u16string& sql);
    // The same for a statement already in UTF-8, which spares the copy of a
    // statement as long as a whole line.
    bool ExecUtf8(const std::string& sql);

    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    int GetColumnCount() const { return static_cast<int>(m_columnNames.size()); }
    // Callers read only cells that exist; anything else reads as empty.
    const std::u16string& GetCell(int row, int column) const;
    // The cell as a decimal integer: blanks skipped, an optional sign, digits
    // up to the first other character; no digits give 0. Cells that do not
    // exist read as 0.
    int GetCellInt(int row, int column) const;
    const std::vector<std::u16string>& GetColumnNames() const { return m_columnNames; }
    // Message of the most recent failure; a later success keeps it.
    const std::u16string& GetErrorText() const { return m_errorText; }
    // How many statements have failed on this object so far, so that a
    // caller can tell whether any of a series failed.
    std::uint64_t GetFailureCount() const { return m_failures; }
    // The low 32 bits of SQLite's row id of the last INSERT.
    int GetLastInsertRowId() const;

    // The connection itself, for measuring tools that trace the statements
    // sent and for statements prepared once and run many times; null when
    // none is held.
    sqlite3* NativeHandle() const { return m_connection; }
    // Counts a failure of a statement run on NativeHandle() and keeps the
    // connection's message as the error text.
    void NoteNativeFailure();

private:
    bool OpenWithFlags(const std::u16string& path, int flags);
    static int OnRow(void* context, int columns, char** values, char** names);

    sqlite3* m_connection = nullptr;
    bool m_executing = false;
    std::u16string m_errorText;
    std::uint64_t m_failures = 0;
    std::vector<std::vector<std::u16string>> m_rows;
    std::vector<std::u16string> m_columnNames;
    std::unique_ptr<CWordRule> m_wordRule;
    bool m_wordRuleStale = true;
};

// Every single quote doubled; nothing else changes.
std::u16string EscapeSqlText(std::u16string_view text);

// The decimal reading of GetCellInt, shared with the settings file: leading
// white space, an optional sign, digits; overflow wraps as 32-bit.
int ParseLeadingInt(std::u16string_view text);

}  // namespace zorvia
