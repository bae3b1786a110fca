#include "analysis/ui/keywords_tab.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <charconv>
#include <cmath>

#include "corpus/database_files.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

CKeywordsTab::CKeywordsTab(wxWindow* parent, IAnalysisHost& host) : CAnalysisTab(parent, host, u"特徴語") {
    m_reference = AddTextBox(u"参照コーパス", ID_KEYWORDS_REFERENCE, 240);
    auto* choose = new wxButton(this, ID_KEYWORDS_CHOOSE, ToWx(u"選択..."));
    ControlRow()->Add(choose, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    choose->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseReference(); });
    m_negative = new wxCheckBox(this, ID_KEYWORDS_NEGATIVE, ToWx(u"参照より少ない語"));
    ControlRow()->Add(m_negative, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    m_minLl = AddTextBox(u"最小 LL", ID_KEYWORDS_MIN_LL, 64);
    m_minLl->ChangeValue(wxS("3.84"));
    AddRunButton(ID_KEYWORDS_RUN, [this] { Run(); });
}

bool CKeywordsTab::ChooseReference() {
    FileRequest request = DatabaseFileRequest(false);
    request.title = u"参照コーパスのファイルを選択してください";
    const auto path = PromptForFile(Host().AnalysisPrompt(), request);
    if (!path) return false;
    SetReference(*path);
    return true;
}

void CKeywordsTab::SetReference(const std::u16string& path) { m_reference->ChangeValue(ToWx(path)); }

std::u16string CKeywordsTab::Reference() const { return FromWx(m_reference->GetValue()); }

void CKeywordsTab::Run() {
    if (Reference().empty() && !ChooseReference()) return;
    const std::u16string reference = Reference();
    if (const auto problem = ReferenceCorpusProblem(reference)) {
        Host().AnalysisPrompt().Message(*problem, PromptButtons::Ok, PromptIcon::Exclamation);
        return;
    }
    KeywordRequest request;
    request.negative = m_negative->GetValue();
    const std::string minLl = WideToUtf8(FromWx(m_minLl->GetValue()));
    const auto [end, ec] = std::from_chars(minLl.data(), minLl.data() + minLl.size(), request.minLl);
    if (minLl.empty() || ec != std::errc() || end != minLl.data() + minLl.size() || !std::isfinite(request.minLl) ||
        request.minLl < 0) {
        SetProgressText(u"最小 LL は 0 以上の数で入力してください");
        return;
    }
    auto table = std::make_shared<CKeywordTable>();
    RunAnalysis(
        table,
        [reference, request, table](CCorpusReader& target, std::stop_token stop, IJobProgress& progress) {
            CCorpusReader other;
            if (!other.Open(reference, stop)) return JobResult::Failed(other.ErrorText());
            return RunKeywords(target, other, request, stop, progress, *table);
        },
        [this, table] { m_shown = table; });
}

std::u16string CKeywordsTab::RowWord(std::size_t row) const {
    return m_shown && Table() == m_shown && row < m_shown->RowCount() ? SearchableWord(m_shown->Row(row).word)
                                                                      : std::u16string();
}

}  // namespace zorvia
