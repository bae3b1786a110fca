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
class CKwicTab;

class CAnalysisFrame : public wxFrame {
public:
    CAnalysisFrame(wxWindow* parent, IAnalysisHost& host);
    ~CAnalysisFrame() override;

    // Brings the window up on the KWIC tab with `node`, and runs it when the
    // node is not empty.
    CKwicTab* ShowKwic(const std::u16string& node);
    // Stops every tab's job and waits for them: nothing of this window reads
    // the corpus afterwards until the user starts something again.
    void StopAllJobs();
    bool AnyJobRunning() const;

    CKwicTab* Kwic() const { return m_kwic; }
    CAnalysisTab* CurrentTab() const;

private:
    void AddTab(CAnalysisTab* tab);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    IAnalysisHost& m_host;
    wxNotebook* m_notebook = nullptr;
    std::vector<CAnalysisTab*> m_tabs;
    CKwicTab* m_kwic = nullptr;
};

}  // namespace zorvia
