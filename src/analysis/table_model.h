// A table as the analysis window shows it and as files and the clipboard
// get it. The window asks for the cells of the rows it draws; the writers
// ask for each row's fields in order. Rows are in display order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zorvia {

struct TableColumn {
    std::u16string title;
    int width = 80;             // pixels: the narrowest the window makes it
    bool rightAligned = false;
    // A cell too wide for the column loses its beginning instead of its end
    // (the left context of a concordance line).
    bool keepEnd = false;
    // The window widens the column to its widest text. Off for the contexts
    // of a concordance line, which are meant to be cut at the far end.
    bool fitText = true;
};

class ITableModel {
public:
    virtual ~ITableModel() = default;
    virtual std::vector<TableColumn> Columns() const = 0;
    virtual std::size_t RowCount() const = 0;
    virtual std::u16string CellText(std::size_t row, int column) const = 0;
    // The machine-readable form: column names and each row's fields as
    // UTF-8, numbers plain, line numbers as stored (from 0).
    virtual std::vector<std::string> ExportHeader() const = 0;
    virtual void ExportRow(std::size_t row, std::vector<std::string>& fields) const = 0;
};

// A table held as text: the lists of the main window, read once for an
// export and then only written.
class CTextTable : public ITableModel {
public:
    CTextTable(std::vector<TableColumn> columns, std::vector<std::string> header)
        : m_columns(std::move(columns)), m_header(std::move(header)) {}

    // Fields as UTF-8, one per column of the header.
    void AddRow(std::vector<std::string> fields) { m_rows.push_back(std::move(fields)); }
    std::vector<TableColumn> Columns() const override { return m_columns; }
    std::size_t RowCount() const override { return m_rows.size(); }
    std::u16string CellText(std::size_t row, int column) const override;
    std::vector<std::string> ExportHeader() const override { return m_header; }
    void ExportRow(std::size_t row, std::vector<std::string>& fields) const override { fields = m_rows[row]; }

private:
    std::vector<TableColumn> m_columns;
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace zorvia
