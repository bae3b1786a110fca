#include "analysis/ui/ngrams_tab.h"

#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "analysis/collocates.h"
#include "analysis/kwic.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

CNgramsTab::CNgramsTab(wxWindow* parent, IAnalysisHost& host) : CAnalysisTab(parent, host, u"連語") {
    m_n = AddSpin(u"N", ID_NGRAMS_N, kMinNgramLength, kMaxNgramLength, 3);
    m_min = AddSpin(u"最小頻度", ID_NGRAMS_MIN, 1, 1000000, 2);
    m_word = AddTextBox(u"含む語", ID_NGRAMS_WORD, 140);
    AddRunButton(ID_NGRAMS_RUN, [this] { Run(); });
}

void CNgramsTab::SetWord(const std::u16string& word) { m_word->ChangeValue(ToWx(word)); }

NgramRequest CNgramsTab::Request() const {
    NgramRequest request;
    request.n = m_n->GetValue();
    request.minFrequency = m_min->GetValue();
    request.word = Host().NodeWordsForAnalysis(FromWx(m_word->GetValue()));
    return request;
}

void CNgramsTab::Run() {
    const NgramRequest request = Request();
    if (ParseKwicNode(request.word).size() > 0 && !SingleWordNode(request.word)) {
        SetProgressText(u"含む語は1語で入力してください");
        return;
    }
    auto table = std::make_shared<CNgramTable>(request.n);
    RunAnalysis(
        table,
        [request, table](CCorpusReader& reader, std::stop_token stop, IJobProgress& progress) {
            return RunNgrams(reader, request, stop, progress, *table);
        },
        [this, table] { m_shown = table; });
}

std::u16string CNgramsTab::RowWord(std::size_t row) const {
    if (!m_shown || Table() != m_shown || row >= m_shown->RowCount()) return {};
    const auto node = SingleWordNode(FromWx(m_word->GetValue()));
    return SearchableWord(node ? *node : m_shown->Word(row, 0));
}

void CNgramsTab::OnRowActivated(std::size_t row, int column, int x) {
    if (!m_shown || Table() != m_shown || row >= m_shown->RowCount() || column != CNgramTable::kNgram) {
        CAnalysisTab::OnRowActivated(row, column, x);
        return;
    }
    std::vector<wxString> words;
    for (int i = 0; i < m_shown->N(); ++i) words.push_back(ToWx(Utf8ToWide(m_shown->Word(row, i))));
    const std::size_t at = WordIndexAtX(List(), words, x, List()->GetColumnWidth(column), false);
    Host().SearchWord(SearchableWord(m_shown->Word(row, static_cast<int>(at))));
}

}  // namespace zorvia
