// The analysis window: modeless, one tab per analysis. It lives beside the
// main window, which stops its jobs before anything writes to the corpus.
#pragma once

#include <wx/frame.h>

#include <string>
#include <vector>

#include "analysis/analysis_host.h"

class wxNotebook;

namespace zorvia {

class CAnalysisTab;
class CCollocatesTab;
class CDispersionTab;
class CKeywordsTab;
class CKwicTab;
class CNgramsTab;

class CAnalysisFrame : public wxFrame {
public:
    CAnalysisFrame(wxWindow* parent, IAnalysisHost& host);
    ~CAnalysisFrame() override;

    // Brings the window up on the KWIC tab with `node`, and runs it when the
    // node is not empty.
    CKwicTab* ShowKwic(const std::u16string& node);
    // Brings the window up on the collocates or dispersion tab with `node`,
    // and runs it when the node is not empty.
    CCollocatesTab* ShowCollocates(const std::u16string& node);
    CDispersionTab* ShowDispersion(const std::u16string& node);
    // Brings the window up on the clusters or keywords tab; they run when the
    // user asks (they read the whole corpus).
    CNgramsTab* ShowNgrams();
    CKeywordsTab* ShowKeywords();
    // Stops every tab's job and waits for them: nothing of this window reads
    // the corpus afterwards until the user starts something again.
    void StopAllJobs();
    bool AnyJobRunning() const;

    CKwicTab* Kwic() const { return m_kwic; }
    CCollocatesTab* Collocates() const { return m_collocates; }
    CNgramsTab* Ngrams() const { return m_ngrams; }
    CDispersionTab* Dispersion() const { return m_dispersion; }
    CKeywordsTab* Keywords() const { return m_keywords; }
    CAnalysisTab* CurrentTab() const;

private:
    void AddTab(CAnalysisTab* tab);
    void ShowTab(CAnalysisTab* tab);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    IAnalysisHost& m_host;
    wxNotebook* m_notebook = nullptr;
    std::vector<CAnalysisTab*> m_tabs;
    CKwicTab* m_kwic = nullptr;
    CCollocatesTab* m_collocates = nullptr;
    CNgramsTab* m_ngrams = nullptr;
    CDispersionTab* m_dispersion = nullptr;
    CKeywordsTab* m_keywords = nullptr;
};

}  // namespace zorvia
