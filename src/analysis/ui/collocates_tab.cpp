#include "analysis/ui/collocates_tab.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

CCollocatesTab::CCollocatesTab(wxWindow* parent, IAnalysisHost& host) : CAnalysisTab(parent, host, u"共起語") {
    m_node = AddNodeBox(ID_COLLOCATES_NODE);
    m_left = AddSpin(u"左", ID_COLLOCATES_LEFT, 0, kMaxCollocateSpan, 5);
    m_right = AddSpin(u"右", ID_COLLOCATES_RIGHT, 0, kMaxCollocateSpan, 5);
    m_min = AddSpin(u"最小頻度", ID_COLLOCATES_MIN, 1, 1000000, 1);
    AddRunButton(ID_COLLOCATES_RUN, [this] { Run(); });
}

void CCollocatesTab::SetNode(const std::u16string& node) { m_node->ChangeValue(ToWx(node)); }

CollocateRequest CCollocatesTab::Request() const {
    CollocateRequest request;
    request.node = Host().NodeWordsForAnalysis(FromWx(m_node->GetValue()));
    request.left = m_left->GetValue();
    request.right = m_right->GetValue();
    request.minO = m_min->GetValue();
    return request;
}

void CCollocatesTab::Run() {
    const CollocateRequest request = Request();
    if (!SingleWordNode(request.node)) {
        SetProgressText(u"中心語を1語で入力してください");
        return;
    }
    if (request.left + request.right == 0) {
        SetProgressText(u"左右の範囲がどちらも 0 です");
        return;
    }
    auto table = std::make_shared<CCollocateTable>();
    RunAnalysis(
        table,
        [request, table](CCorpusReader& reader, std::stop_token stop, IJobProgress& progress) {
            return RunCollocates(reader, request, stop, progress, *table);
        },
        [this, table] {
            m_shown = table;
            SetProgressText(ProgressText() + u"  f(中心語) = " + FormatInt(table->nodeFrequency) + u", W = " +
                            FormatInt(table->windowArea) + u", N = " + FormatInt(table->corpusTokens));
        });
}

std::u16string CCollocatesTab::RowWord(std::size_t row) const {
    return m_shown && row < m_shown->RowCount() && Table() == m_shown ? SearchableWord(m_shown->Row(row).word)
                                                                      : std::u16string();
}

}  // namespace zorvia
