// The tab of clusters: n (2 to 6), the least frequency shown, optionally a
// word the clusters must hold, and the table of n-grams. Double-clicking a
// word of a cluster searches it in the main window.
#pragma once

#include <memory>
#include <string>

#include "analysis/ngrams.h"
#include "analysis/ui/analysis_tab.h"

class wxSpinCtrl;
class wxTextCtrl;

namespace zorvia {

enum NgramsTabId : int {
    ID_NGRAMS_N = kTabOwnIds + 40,
    ID_NGRAMS_MIN,
    ID_NGRAMS_WORD,
    ID_NGRAMS_RUN,
};

class CNgramsTab : public CAnalysisTab {
public:
    CNgramsTab(wxWindow* parent, IAnalysisHost& host);

    void SetWord(const std::u16string& word);
    NgramRequest Request() const;
    void Run();
    std::shared_ptr<CNgramTable> Ngrams() const { return m_shown; }

protected:
    std::u16string ExportFileName() const override { return u"ngrams.tsv"; }
    void OnRowActivated(std::size_t row, int column, int x) override;
    std::u16string RowWord(std::size_t row) const override;

private:
    wxSpinCtrl* m_n = nullptr;
    wxSpinCtrl* m_min = nullptr;
    wxTextCtrl* m_word = nullptr;
    std::shared_ptr<CNgramTable> m_shown;
};

}  // namespace zorvia
