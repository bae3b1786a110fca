#include "analysis/ui/analysis_tab.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <map>

#include "analysis/sorted_table.h"
#include "corpus/word_rules.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "platform/ui/list_column_width.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {
// Room the list leaves around a cell's text, and on each side of it.
constexpr int kCellMargin = kListCellMargin;
constexpr int kCellSideMargin = 6;

// The widths the user dragged, by table and column, while the program runs:
// a tab opened again shows its columns as they were left.
std::map<std::u16string, int>& DraggedColumnWidths() {
    static std::map<std::u16string, int> widths;
    return widths;
}
}  // namespace

std::size_t WordIndexAtX(wxListCtrl* list, const std::vector<wxString>& words, int x, int columnWidth,
                         bool rightAligned) {
    if (words.empty()) return 0;
    wxClientDC dc(list);
    dc.SetFont(list->GetFont());
    const int space = dc.GetTextExtent(wxS(" ")).x;
    int total = -space;
    for (const wxString& word : words) total += dc.GetTextExtent(word).x + space;
    int cursor = rightAligned ? columnWidth - kCellSideMargin - total : kCellSideMargin;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const int width = dc.GetTextExtent(words[i]).x;
        if (x < cursor + width + space / 2) return i;
        cursor += width + space;
    }
    return words.size() - 1;
}

std::u16string SearchableWord(const std::string& upper) { return FoldToLower(Utf8ToWide(upper)); }

FileRequest ExportFileRequest(const std::u16string& initialName) {
    FileRequest request;
    request.save = true;
    request.title = u"書き出すファイルの名前を指定してください";
    request.filters = {{u"タブ区切りテキスト (*.tsv)", u"*.tsv"}, {u"CSV (*.csv)", u"*.csv"}};
    request.defaultPattern = u"*.tsv";
    request.kind = FileKind::Export;
    request.initialName = initialName;
    return request;
}

void CopyTextToClipboard(const std::string& utf8) {
    if (wxTheClipboard->Open()) {
        wxTheClipboard->SetData(new wxTextDataObject(ToWx(Utf8ToWide(utf8))));
        wxTheClipboard->Close();
    }
}

// --- the list ------------------------------------------------------------------------

CTableListCtrl::CTableListCtrl(wxWindow* parent, int id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES) {
    Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
        // The list has the new width only once the drag is over.
        const int column = event.GetColumn();
        CallAfter([this, column] {
            if (column >= 0 && column < GetColumnCount())
                DraggedColumnWidths()[ColumnKey(column)] = GetColumnWidth(column);
        });
        event.Skip();
    });
}

std::u16string CTableListCtrl::ColumnKey(int column) const {
    std::u16string key;
    for (const TableColumn& c : m_columns) key += c.title + u"\t";
    return key + FormatInt(column);
}

void CTableListCtrl::FitColumns() {
    m_lastFit = GetTickCount32();
    const std::size_t rows = m_table ? m_table->RowCount() : 0;
    // Enough rows to meet the widest numbers of a table sorted either way.
    constexpr std::size_t kSampleEnd = 200;
    std::vector<std::size_t> sample;
    for (std::size_t r = 0; r < rows; ++r) {
        if (r == kSampleEnd && rows > 2 * kSampleEnd) r = rows - kSampleEnd;
        sample.push_back(r);
    }
    for (int c = 0; c < GetColumnCount() && static_cast<std::size_t>(c) < m_columns.size(); ++c) {
        const TableColumn& column = m_columns[static_cast<std::size_t>(c)];
        const auto dragged = DraggedColumnWidths().find(ColumnKey(c));
        if (dragged != DraggedColumnWidths().end()) {
            SetColumnWidth(c, dragged->second);
            continue;
        }
        std::vector<wxString> texts{ToWx(column.title)};
        if (column.fitText)
            for (std::size_t r : sample) texts.push_back(ToWx(m_table->CellText(r, c)));
        SetColumnWidth(c, ListColumnWidth(*this, texts, column.width));
    }
}

void CTableListCtrl::SetTable(std::shared_ptr<ITableModel> table) {
    m_table = std::move(table);
    const auto columns = m_table ? m_table->Columns() : std::vector<TableColumn>{};
    const bool sameColumns =
        columns.size() == m_columns.size() &&
        std::equal(columns.begin(), columns.end(), m_columns.begin(),
                   [](const TableColumn& a, const TableColumn& b) { return a.title == b.title; });
    if (!sameColumns) {
        DeleteAllColumns();
        m_columns = columns;
        for (const TableColumn& column : m_columns)
            AppendColumn(ToWx(column.title), column.rightAligned ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                         column.width);
    }
    SetItemCount(m_table ? static_cast<long>(m_table->RowCount()) : 0);
    FitColumns();
    Refresh();
}

void CTableListCtrl::UpdateRows() {
    SetItemCount(m_table ? static_cast<long>(m_table->RowCount()) : 0);
    // A table that grows in batches is measured again now and then, not at
    // every batch.
    constexpr std::uint32_t kFitInterval = 500;  // milliseconds
    if (GetTickCount32() - m_lastFit >= kFitInterval) FitColumns();
    Refresh();
}

std::vector<std::size_t> CTableListCtrl::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (long i = -1; (i = GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) != -1;)
        rows.push_back(static_cast<std::size_t>(i));
    return rows;
}

int CTableListCtrl::ColumnAt(int x, int& xInColumn) const {
    int left = -GetScrollPos(wxHORIZONTAL);
    for (int c = 0; c < GetColumnCount(); ++c) {
        const int width = GetColumnWidth(c);
        if (x >= left && x < left + width) {
            xInColumn = x - left;
            return c;
        }
        left += width;
    }
    return -1;
}

wxString CTableListCtrl::OnGetItemText(long item, long column) const {
    if (!m_table || item < 0 || static_cast<std::size_t>(item) >= m_table->RowCount()) return wxString();
    const wxString text = ToWx(m_table->CellText(static_cast<std::size_t>(item), static_cast<int>(column)));
    if (column < 0 || static_cast<std::size_t>(column) >= m_columns.size() ||
        !m_columns[static_cast<std::size_t>(column)].keepEnd)
        return text;
    // The list would cut the end of a wide cell; a context that ends at the
    // node must lose its beginning instead.
    wxClientDC dc(const_cast<CTableListCtrl*>(this));
    dc.SetFont(GetFont());
    const int room = GetColumnWidth(static_cast<int>(column)) - kCellMargin;
    if (dc.GetTextExtent(text).x <= room) return text;
    const wxString ellipsis = wxString::FromUTF8("\xE2\x80\xA6");
    std::size_t low = 0, high = text.length();  // characters to drop
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (dc.GetTextExtent(ellipsis + text.Mid(mid)).x <= room) high = mid;
        else low = mid + 1;
    }
    return ellipsis + text.Mid(low);
}

// --- the tab ---------------------------------------------------------------------------

CAnalysisTab::CAnalysisTab(wxWindow* parent, IAnalysisHost& host, std::u16string title)
    : wxPanel(parent), m_host(host), m_title(std::move(title)), m_runner(this) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_sizer = sizer;
    m_controls = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(m_controls, 0, wxEXPAND | wxALL, 4);
    m_list = new CTableListCtrl(this, ID_TAB_LIST);
    sizer->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT, 4);
    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    m_progress = new wxStaticText(this, ID_TAB_PROGRESS, wxString(), wxDefaultPosition, wxDefaultSize,
                                  wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    bottom->Add(m_progress, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_stop = new wxButton(this, ID_TAB_STOP, ToWx(u"中止"));
    bottom->Add(m_stop, 0, wxRIGHT, 4);
    m_export = new wxButton(this, ID_TAB_EXPORT, ToWx(u"エクスポート..."));
    bottom->Add(m_export, 0);
    sizer->Add(bottom, 0, wxEXPAND | wxALL, 4);
    SetSizer(sizer);

    m_stop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnStop(); });
    m_export->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ExportTable(); });
    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
        if (event.GetIndex() >= 0) OnRowSelected(static_cast<std::size_t>(event.GetIndex()));
    });
    m_list->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) { OnColumnClicked(event.GetColumn()); });
    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
        if (event.GetIndex() < 0) return;
        int x = 0;
        const int column = m_list->ColumnAt(m_list->ScreenToClient(wxGetMousePosition()).x, x);
        OnRowActivated(static_cast<std::size_t>(event.GetIndex()), column, x);
    });
    UpdateButtons();
}

CAnalysisTab::~CAnalysisTab() { m_runner.Stop(); }

void CAnalysisTab::StopJob() {
    if (!m_runner.IsRunning()) return;
    m_runner.Stop();
    SetProgressText(u"中止しました");
    UpdateButtons();
}

void CAnalysisTab::OnStop() { StopJob(); }

wxTextCtrl* CAnalysisTab::AddTextBox(const std::u16string& label, int id, int width) {
    m_controls->Add(new wxStaticText(this, wxID_ANY, ToWx(label)), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    auto* box = new wxTextCtrl(this, id, wxString(), wxDefaultPosition, wxSize(width, -1), wxTE_PROCESS_ENTER);
    m_controls->Add(box, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    return box;
}

wxSpinCtrl* CAnalysisTab::AddSpin(const std::u16string& label, int id, int min, int max, int value) {
    m_controls->Add(new wxStaticText(this, wxID_ANY, ToWx(label)), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    auto* spin = new wxSpinCtrl(this, id, wxString(), wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, min, max, value);
    m_controls->Add(spin, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    return spin;
}

wxButton* CAnalysisTab::AddRunButton(int id, std::function<void()> run) {
    auto* button = new wxButton(this, id, ToWx(u"表示"));
    m_controls->Add(button, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    button->Bind(wxEVT_BUTTON, [run](wxCommandEvent&) { run(); });
    Bind(wxEVT_TEXT_ENTER, [run](wxCommandEvent&) { run(); });
    return button;
}

void CAnalysisTab::AddBelowList(wxWindow* window, int proportion) {
    m_sizer->Insert(2, window, proportion, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 4);
}

void CAnalysisTab::SetTable(std::shared_ptr<ITableModel> table) {
    m_table = std::move(table);
    m_list->SetTable(m_table);
    if (m_sortColumn >= 0 && m_sortColumn < m_list->GetColumnCount()) m_list->RemoveSortIndicator();
    m_sortColumn = -1;
    UpdateButtons();
}

void CAnalysisTab::RunAnalysis(std::shared_ptr<ITableModel> result, AnalysisWork work, std::function<void()> shown) {
    const std::u16string path = m_host.CorpusPathForAnalysis();
    if (path.empty()) return;
    m_runner.Stop();
    SetTable(nullptr);
    SetProgressText(u"開始しています...");
    auto progress = std::make_shared<CPostedProgress>(m_runner, [this](const std::u16string& text, int permille) {
        SetProgressText(permille >= 0 ? text + u" (" + FormatInt(permille / 10) + u"%)" : text);
    });
    const std::uint32_t start = GetTickCount32();
    StartJob(
        [path, work = std::move(work), progress](std::stop_token stop) {
            CCorpusReader reader;
            if (!reader.Open(path, stop)) return JobResult::Failed(reader.ErrorText());
            return work(reader, stop, *progress);
        },
        [this, result, start, shown = std::move(shown)](const JobResult& outcome) {
            if (!outcome.done()) {
                SetProgressText(u"失敗しました: " + outcome.errorText);
                return;
            }
            SetTable(result);
            SetProgressText(FormatInt(static_cast<std::int64_t>(result->RowCount())) + u" 行 (" +
                            FormatSeconds(GetTickCount32() - start) + u")");
            if (shown) shown();
        });
}

void CAnalysisTab::OnColumnClicked(int column) {
    const auto table = std::dynamic_pointer_cast<CSortableTable>(m_table);
    if (!table || column < 0 || m_runner.IsRunning() || table->RowCount() == 0) return;
    const bool descending = column == m_sortColumn ? !m_sortDescending : table->IsNumberColumn(column);
    const std::u16string before = ProgressText();
    auto order = std::make_shared<std::vector<std::uint32_t>>();
    SetProgressText(u"並べ替え中...");
    StartJob(
        [table, column, descending, order](std::stop_token stop) {
            auto sorted = table->OrderBy(column, descending, stop);
            if (!sorted) return JobResult::Stopped();
            *order = std::move(*sorted);
            return JobResult::Done();
        },
        [this, table, column, descending, order, before](const JobResult& result) {
            if (!result.done() || table != m_table) return;
            table->SetOrder(std::move(*order));
            m_sortColumn = column;
            m_sortDescending = descending;
            m_list->ShowSortIndicator(column, !descending);
            m_list->UpdateRows();
            SetProgressText(before);
            OnRowsReordered();
        });
}

void CAnalysisTab::StartJob(CJobRunner::Work work, std::function<void(const JobResult&)> finished) {
    m_runner.Start(std::move(work), [this, finished = std::move(finished)](const JobResult& result) {
        if (finished) finished(result);
        UpdateButtons();
    });
    UpdateButtons();
}

void CAnalysisTab::SetProgressText(const std::u16string& text) { m_progress->SetLabel(ToWx(text)); }

std::u16string CAnalysisTab::ProgressText() const { return FromWx(m_progress->GetLabel()); }

void CAnalysisTab::UpdateButtons() {
    m_stop->Enable(m_runner.IsRunning());
    m_export->Enable(!m_runner.IsRunning() && m_table && m_table->RowCount() > 0);
}

void CAnalysisTab::CopySelection() {
    if (!m_table) return;
    const std::vector<std::size_t> rows = m_list->SelectedRows();
    if (rows.empty()) return;
    CopyTextToClipboard(FormatRowsAsTsv(*m_table, rows));
}

FileRequest CAnalysisTab::ExportRequest() const { return ExportFileRequest(ExportFileName()); }

CAnalysisTab::ExportWork CAnalysisTab::ExportJob(const std::u16string& path) const {
    const std::shared_ptr<const ITableModel> table = m_table;
    return [table, path](std::stop_token stop, IJobProgress& progress) {
        return zorvia::ExportTable(*table, path, TableFormatForPath(path), true, stop, progress);
    };
}

void CAnalysisTab::ExportTable() {
    if (!m_table || m_runner.IsRunning()) return;
    const auto path = PromptForFile(m_host.AnalysisPrompt(), ExportRequest());
    if (!path) return;
    const std::u16string target = *path;
    auto progress = std::make_shared<CPostedProgress>(
        m_runner, [this](const std::u16string& text, int) { SetProgressText(u"書き出し中: " + text); });
    SetProgressText(u"書き出し中...");
    StartJob(
        [work = ExportJob(target), progress](std::stop_token stop) { return work(stop, *progress); },
        [this, target](const JobResult& result) {
            if (result.done()) {
                SetProgressText(u"書き出しました: " + target);
                return;
            }
            SetProgressText(u"書き出せませんでした");
            m_host.AnalysisPrompt().Message(u"ファイルを書き出せませんでした。\n" + result.errorText, PromptButtons::Ok,
                                            PromptIcon::Error);
        });
}

void CAnalysisTab::OnRowActivated(std::size_t row, int, int) {
    const std::u16string word = RowWord(row);
    if (!word.empty()) m_host.SearchWord(word);
}

}  // namespace zorvia
