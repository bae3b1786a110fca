#include "analysis/ui/analysis_frame.h"

#include <wx/notebook.h>
#include <wx/sizer.h>

#include "analysis/ui/collocates_tab.h"
#include "analysis/ui/dispersion_tab.h"
#include "analysis/ui/keywords_tab.h"
#include "analysis/ui/kwic_tab.h"
#include "analysis/ui/ngrams_tab.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

CAnalysisFrame::CAnalysisFrame(wxWindow* parent, IAnalysisHost& host)
    : wxFrame(parent, wxID_ANY, ToWx(u"分析 - Zorvia Concordancer"), wxDefaultPosition, wxSize(980, 620)),
      m_host(host) {
    m_notebook = new wxNotebook(this, wxID_ANY);
    m_kwic = new CKwicTab(m_notebook, m_host);
    AddTab(m_kwic);
    m_collocates = new CCollocatesTab(m_notebook, m_host);
    AddTab(m_collocates);
    m_ngrams = new CNgramsTab(m_notebook, m_host);
    AddTab(m_ngrams);
    m_dispersion = new CDispersionTab(m_notebook, m_host);
    AddTab(m_dispersion);
    m_keywords = new CKeywordsTab(m_notebook, m_host);
    AddTab(m_keywords);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_notebook, 1, wxEXPAND);
    SetSizer(sizer);
    Bind(wxEVT_CHAR_HOOK, &CAnalysisFrame::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CAnalysisFrame::OnClose, this);
}

CAnalysisFrame::~CAnalysisFrame() { StopAllJobs(); }

void CAnalysisFrame::AddTab(CAnalysisTab* tab) {
    m_tabs.push_back(tab);
    m_notebook->AddPage(tab, ToWx(tab->Title()));
}

CAnalysisTab* CAnalysisFrame::CurrentTab() const {
    const int page = m_notebook->GetSelection();
    return page >= 0 && static_cast<std::size_t>(page) < m_tabs.size() ? m_tabs[static_cast<std::size_t>(page)]
                                                                        : nullptr;
}

void CAnalysisFrame::ShowTab(CAnalysisTab* tab) {
    for (std::size_t i = 0; i < m_tabs.size(); ++i)
        if (m_tabs[i] == tab) m_notebook->SetSelection(i);
    Show();
    Raise();
}

CCollocatesTab* CAnalysisFrame::ShowCollocates(const std::u16string& node) {
    ShowTab(m_collocates);
    if (!node.empty()) {
        m_collocates->SetNode(node);
        m_collocates->Run();
    }
    return m_collocates;
}

CDispersionTab* CAnalysisFrame::ShowDispersion(const std::u16string& node) {
    ShowTab(m_dispersion);
    if (!node.empty()) {
        m_dispersion->SetNode(node);
        m_dispersion->Run();
    }
    return m_dispersion;
}

CNgramsTab* CAnalysisFrame::ShowNgrams() {
    ShowTab(m_ngrams);
    return m_ngrams;
}

CKeywordsTab* CAnalysisFrame::ShowKeywords() {
    ShowTab(m_keywords);
    return m_keywords;
}

CKwicTab* CAnalysisFrame::ShowKwic(const std::u16string& node) {
    ShowTab(m_kwic);
    if (!node.empty()) {
        m_kwic->SetNode(node);
        m_kwic->Run();
    }
    return m_kwic;
}

void CAnalysisFrame::StopAllJobs() {
    for (CAnalysisTab* tab : m_tabs) tab->StopJob();
}

bool CAnalysisFrame::AnyJobRunning() const {
    for (const CAnalysisTab* tab : m_tabs)
        if (tab->IsBusy()) return true;
    return false;
}

void CAnalysisFrame::OnCharHook(wxKeyEvent& event) {
    CAnalysisTab* tab = CurrentTab();
    if (tab != nullptr && event.ControlDown() && (event.GetKeyCode() == 'C' || event.GetKeyCode() == 'c')) {
        for (wxWindow* focus = wxWindow::FindFocus(); focus != nullptr; focus = focus->GetParent()) {
            if (focus == tab->List()) {
                tab->CopySelection();
                return;
            }
        }
    }
    event.Skip();
}

void CAnalysisFrame::OnClose(wxCloseEvent&) {
    StopAllJobs();
    Destroy();
}

}  // namespace zorvia
