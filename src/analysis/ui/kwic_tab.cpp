#include "analysis/ui/kwic_tab.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/text_convert.h"
#include "platform/tick.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

// Forwards what the job finds to the table on the window's thread, in
// batches, and shows the new row count.
class TableFeed : public IKwicSink {
public:
    TableFeed(CJobRunner& runner, std::shared_ptr<CKwicTable> table, CTableListCtrl* list)
        : m_runner(runner), m_table(std::move(table)), m_list(list) {}
    void OnRows(KwicBatch batch) override {
        auto rows = std::make_shared<KwicBatch>(std::move(batch));
        m_runner.Post([table = m_table, list = m_list, rows] {
            table->OnRows(std::move(*rows));
            list->UpdateRows();
        });
    }
    void OnOrder(std::vector<std::uint32_t> order) override {
        auto sorted = std::make_shared<std::vector<std::uint32_t>>(std::move(order));
        m_runner.Post([table = m_table, list = m_list, sorted] {
            table->OnOrder(std::move(*sorted));
            list->UpdateRows();
        });
    }

private:
    CJobRunner& m_runner;
    std::shared_ptr<CKwicTable> m_table;
    CTableListCtrl* m_list;
};

}  // namespace

std::u16string KwicSortChoiceLabel(int choice) {
    if (choice <= 0) return u"なし";
    if (choice <= 5) return u"L" + FormatInt(6 - choice);
    if (choice == 6) return u"中心語";
    if (choice <= 11) return u"R" + FormatInt(choice - 6);
    return u"ファイル";
}

std::optional<KwicSortKey> KwicSortChoiceKey(int choice) {
    if (choice <= 0 || choice >= kKwicSortChoices) return std::nullopt;
    if (choice <= 5) return KwicSortKey{KwicSortKey::Kind::Left, 6 - choice};
    if (choice == 6) return KwicSortKey{KwicSortKey::Kind::Node, 0};
    if (choice <= 11) return KwicSortKey{KwicSortKey::Kind::Right, choice - 6};
    return KwicSortKey{KwicSortKey::Kind::File, 0};
}

CKwicTab::CKwicTab(wxWindow* parent, IAnalysisHost& host) : CAnalysisTab(parent, host, u"用例") {
    wxBoxSizer* row = ControlRow();
    auto label = [&](const char16_t* text) {
        row->Add(new wxStaticText(this, wxID_ANY, ToWx(text)), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    };
    label(u"中心語");
    m_node = new wxTextCtrl(this, ID_KWIC_NODE, wxString(), wxDefaultPosition, wxSize(160, -1), wxTE_PROCESS_ENTER);
    row->Add(m_node, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    label(u"文脈");
    m_context = new wxSpinCtrl(this, ID_KWIC_CONTEXT, wxString(), wxDefaultPosition, wxDefaultSize,
                               wxSP_ARROW_KEYS, 1, kMaxKwicReach, 5);
    row->Add(m_context, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    label(u"並べ替え");
    wxArrayString choices;
    for (int c = 0; c < kKwicSortChoices; ++c) choices.Add(ToWx(KwicSortChoiceLabel(c)));
    for (int k = 0; k < 3; ++k) {
        m_sort[k] = new wxChoice(this, ID_KWIC_SORT1 + k, wxDefaultPosition, wxDefaultSize, choices);
        m_sort[k]->SetSelection(0);
        row->Add(m_sort[k], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    }
    auto* run = new wxButton(this, ID_KWIC_RUN, ToWx(u"表示"));
    row->Add(run, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    run->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Run(); });
    m_node->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Run(); });
    Layout();
}

void CKwicTab::SetNode(const std::u16string& node) { m_node->ChangeValue(ToWx(node)); }

KwicRequest CKwicTab::Request() const {
    KwicRequest request;
    request.node = Host().NodeWordsForAnalysis(FromWx(m_node->GetValue()));
    request.context = m_context->GetValue();
    for (wxChoice* choice : m_sort)
        if (auto key = KwicSortChoiceKey(choice->GetSelection())) request.keys.push_back(*key);
    return request;
}

void CKwicTab::Run() {
    const KwicRequest request = Request();
    if (ParseKwicNode(request.node).size() == 0) {
        SetProgressText(u"中心語を入力してください");
        return;
    }
    const std::u16string path = Host().CorpusPathForAnalysis();
    if (path.empty()) return;
    Runner().Stop();
    m_kwic = std::make_shared<CKwicTable>(request.context, static_cast<int>(ParseKwicNode(request.node).size()));
    SetTable(m_kwic);
    SetProgressText(u"検索中...");
    auto feed = std::make_shared<TableFeed>(Runner(), m_kwic, List());
    auto progress = std::make_shared<CPostedProgress>(
        Runner(), [this](const std::u16string& text, int) { SetProgressText(text); });
    const std::uint32_t start = GetTickCount32();
    StartJob(
        [path, request, feed, progress](std::stop_token stop) {
            CCorpusReader reader;
            if (!reader.Open(path, stop)) return JobResult::Failed(reader.ErrorText());
            return RunKwic(reader, request, stop, *feed, *progress);
        },
        [this, start](const JobResult& result) {
            if (!result.done()) {
                SetProgressText(u"失敗しました: " + result.errorText);
                return;
            }
            SetProgressText(FormatInt(static_cast<std::int64_t>(m_kwic->RowCount())) + u" 件 (" +
                            FormatSeconds(GetTickCount32() - start) + u")");
            List()->FitColumns();
        });
}

void CKwicTab::OnRowSelected(std::size_t row) {
    if (!m_kwic || row >= m_kwic->RowCount()) return;
    const KwicHit& hit = m_kwic->Hit(row);
    Host().PreviewOccurrence(hit.wid, hit.lid, Utf8ToWide(m_kwic->Word(row, 0)));
}

std::u16string CKwicTab::RowWord(std::size_t row) const {
    return m_kwic && row < m_kwic->RowCount() ? Utf8ToWide(m_kwic->NodeText(row)) : std::u16string();
}

void CKwicTab::OnRowActivated(std::size_t row, int column, int x) {
    if (!m_kwic || row >= m_kwic->RowCount() ||
        (column != CKwicTable::kLeft && column != CKwicTable::kRight)) {
        CAnalysisTab::OnRowActivated(row, column, x);
        return;
    }
    // Which word of the context lies under x: the words are drawn joined by
    // spaces, the left context against the column's right edge.
    const bool left = column == CKwicTable::kLeft;
    const int context = m_kwic->Context();
    std::vector<wxString> words;  // in drawing order
    for (int i = 1; i <= context; ++i) {
        const std::string word = m_kwic->Word(row, left ? -(context + 1 - i) : i);
        if (!word.empty()) words.push_back(ToWx(Utf8ToWide(word)));
    }
    if (words.empty()) return;
    const std::u16string chosen = FromWx(words[WordIndexAtX(List(), words, x, List()->GetColumnWidth(column), left)]);
    SetNode(chosen);
    Run();
}

}  // namespace zorvia
