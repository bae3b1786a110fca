// A tab of the analysis window: the analysis's own controls in a row on
// top, a virtual list of its table (any number of rows), and a row with the
// progress text, the stop button and "エクスポート...". The tab owns its job:
// it runs on a worker thread, and the tab stops and joins it before it goes.
// Ctrl+C copies the selected rows as tab-separated text; a double click
// searches the row's word in the main window, unless the tab does more.
#pragma once

#include <wx/listctrl.h>
#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_host.h"
#include "analysis/corpus_reader.h"
#include "analysis/table_export.h"
#include "analysis/table_model.h"
#include "analysis/ui/job_runner.h"

class wxBoxSizer;
class wxButton;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;

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
    // Fits each column to the widest of its title and its texts (of every
    // row of a small table, of the first and last rows of a large one),
    // never narrower than the column's first width. A column the user has
    // dragged keeps its width while the program runs.
    void FitColumns();
    std::vector<std::size_t> SelectedRows() const;
    // The column under x (client coordinates), and x within that column;
    // -1 outside every column.
    int ColumnAt(int x, int& xInColumn) const;
    // The text of a cell as it is drawn: a cell too wide for a column that
    // keeps its end loses its beginning instead.
    wxString OnGetItemText(long item, long column) const override;

private:
    // What identifies a column for the widths the user dragged.
    std::u16string ColumnKey(int column) const;

    std::shared_ptr<ITableModel> m_table;
    std::vector<TableColumn> m_columns;
    std::uint32_t m_lastFit = 0;  // tick of the last FitColumns
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
    // Controls of the control row, each after its label. Enter in a text
    // box does what the run button does.
    wxTextCtrl* AddTextBox(const std::u16string& label, int id, int width);
    wxTextCtrl* AddNodeBox(int id) { return AddTextBox(u"中心語", id, 160); }
    wxSpinCtrl* AddSpin(const std::u16string& label, int id, int min, int max, int value);
    wxButton* AddRunButton(int id, std::function<void()> run);
    // Puts `window` under the list, taking `proportion` of the height.
    void AddBelowList(wxWindow* window, int proportion);
    IAnalysisHost& Host() const { return m_host; }
    CJobRunner& Runner() { return m_runner; }

    void SetTable(std::shared_ptr<ITableModel> table);
    // Runs an analysis of the open corpus as the tab's job: the list empties,
    // the job's progress shows below it, and when it is done `result` is
    // shown with its row count and time, and `shown` runs.
    using AnalysisWork = std::function<JobResult(CCorpusReader&, std::stop_token, IJobProgress&)>;
    void RunAnalysis(std::shared_ptr<ITableModel> result, AnalysisWork work, std::function<void()> shown = {});
    // Runs `work` as the tab's job; `finished` gets its result unless it
    // was stopped.
    void StartJob(CJobRunner::Work work, std::function<void(const JobResult&)> finished);
    void SetProgressText(const std::u16string& text);
    void UpdateButtons();
    // What the file chooser offers as the name.
    virtual std::u16string ExportFileName() const { return u"table.tsv"; }
    // The file chooser of "エクスポート...", and what is written to the
    // chosen path: by default the table, as CSV or TSV by the extension.
    virtual FileRequest ExportRequest() const;
    using ExportWork = std::function<JobResult(std::stop_token, IJobProgress&)>;
    virtual ExportWork ExportJob(const std::u16string& path) const;
    virtual void OnRowSelected(std::size_t) {}
    // A double click on `column`, `x` pixels into it.
    virtual void OnRowActivated(std::size_t row, int column, int x);
    // A click on a column's header: a sortable table is put in the order
    // of that column on the worker thread (numbers largest first, text A to
    // Z; a second click reverses it).
    virtual void OnColumnClicked(int column);
    // After the rows were put in another order.
    virtual void OnRowsReordered() {}
    // The word a double click searches in the main window.
    virtual std::u16string RowWord(std::size_t) const { return {}; }

private:
    void OnStop();

    IAnalysisHost& m_host;
    wxBoxSizer* m_sizer = nullptr;
    int m_sortColumn = -1;
    bool m_sortDescending = false;
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

// Which of `words`, drawn in a list cell joined by single spaces, lies under
// `x` (pixels into the cell); the cell's text is aligned to its left edge,
// or to its right edge when `rightAligned`. The nearest word when x falls
// outside them all.
std::size_t WordIndexAtX(wxListCtrl* list, const std::vector<wxString>& words, int x, int columnWidth,
                         bool rightAligned);

// What a double click on a word of an analysis table searches: the word as
// the word list shows it.
std::u16string SearchableWord(const std::string& upper);

}  // namespace zorvia
