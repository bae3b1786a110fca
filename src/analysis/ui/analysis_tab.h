// A tab of the analysis window: the analysis's own controls in a row on
// top, a virtual list of its table (any number of rows), and a row with the
// progress text, the stop button and "エクスポート...". The tab owns its job:
// it runs on a worker thread, and the tab stops and joins it before it goes.
// Ctrl+C copies the selected rows as tab-separated text; a double click
// searches the row's word in the main window, unless the tab does more.
#pragma once

#include <wx/listctrl.h>
#include <wx/panel.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_host.h"
#include "analysis/table_export.h"
#include "analysis/table_model.h"
#include "analysis/ui/job_runner.h"

class wxBoxSizer;
class wxButton;
class wxStaticText;

namespace zorvia {

// Ids of the controls every tab has; a tab's own controls count from
// kTabOwnIds.
enum AnalysisTabId : int {
    ID_TAB_LIST = 2100,
    ID_TAB_PROGRESS,
    ID_TAB_STOP,
    ID_TAB_EXPORT,
    kTabOwnIds = 2200,
};

class CTableListCtrl : public wxListCtrl {
public:
    CTableListCtrl(wxWindow* parent, int id);
    // Shows `table` (or nothing); the columns are the table's.
    void SetTable(std::shared_ptr<ITableModel> table);
    // After rows were added or reordered.
    void UpdateRows();
    std::vector<std::size_t> SelectedRows() const;
    // The column under x (client coordinates), and x within that column;
    // -1 outside every column.
    int ColumnAt(int x, int& xInColumn) const;
    // The text of a cell as it is drawn: a cell too wide for a column that
    // keeps its end loses its beginning instead.
    wxString OnGetItemText(long item, long column) const override;

private:
    std::shared_ptr<ITableModel> m_table;
    std::vector<TableColumn> m_columns;
};

class CAnalysisTab : public wxPanel {
public:
    CAnalysisTab(wxWindow* parent, IAnalysisHost& host, std::u16string title);
    ~CAnalysisTab() override;

    const std::u16string& Title() const { return m_title; }
    // Stops the running job (analysis or export) and waits for it.
    void StopJob();
    bool IsBusy() const { return m_runner.IsRunning(); }
    // Ctrl+C: the selected rows as TSV on the clipboard.
    void CopySelection();
    // "エクスポート...": asks for a file and writes the whole table to it.
    void ExportTable();

    CTableListCtrl* List() const { return m_list; }
    std::u16string ProgressText() const;
    const std::shared_ptr<ITableModel>& Table() const { return m_table; }

protected:
    // The row of the tab's own controls, above the list.
    wxBoxSizer* ControlRow() const { return m_controls; }
    IAnalysisHost& Host() const { return m_host; }
    CJobRunner& Runner() { return m_runner; }

    void SetTable(std::shared_ptr<ITableModel> table);
    // Runs `work` as the tab's job; `finished` gets its result unless it
    // was stopped.
    void StartJob(CJobRunner::Work work, std::function<void(const JobResult&)> finished);
    void SetProgressText(const std::u16string& text);
    void UpdateButtons();
    // What the file chooser offers as the name.
    virtual std::u16string ExportFileName() const { return u"table.tsv"; }
    virtual void OnRowSelected(std::size_t) {}
    // A double click on `column`, `x` pixels into it.
    virtual void OnRowActivated(std::size_t row, int column, int x);
    // A click on a column's header (a table sorted by any column).
    virtual void OnColumnClicked(int) {}
    // The word a double click searches in the main window.
    virtual std::u16string RowWord(std::size_t) const { return {}; }

private:
    void OnStop();

    IAnalysisHost& m_host;
    std::u16string m_title;
    CJobRunner m_runner;
    std::shared_ptr<ITableModel> m_table;
    wxBoxSizer* m_controls = nullptr;
    CTableListCtrl* m_list = nullptr;
    wxStaticText* m_progress = nullptr;
    wxButton* m_stop = nullptr;
    wxButton* m_export = nullptr;
};

// The file chooser of every export: TSV or CSV, by the name's extension.
FileRequest ExportFileRequest(const std::u16string& initialName);

// Puts UTF-8 text on the clipboard.
void CopyTextToClipboard(const std::string& utf8);

}  // namespace zorvia
