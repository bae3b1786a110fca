// The tab of keywords: the reference corpus (another corpus file, chosen
// here and read without being changed), positive or negative keywords, the
// least log-likelihood, and the table of words.
#pragma once

#include <memory>
#include <string>

#include "analysis/keywords.h"
#include "analysis/ui/analysis_tab.h"

class wxCheckBox;
class wxTextCtrl;

namespace zorvia {

enum KeywordsTabId : int {
    ID_KEYWORDS_REFERENCE = kTabOwnIds + 80,
    ID_KEYWORDS_CHOOSE,
    ID_KEYWORDS_NEGATIVE,
    ID_KEYWORDS_MIN_LL,
    ID_KEYWORDS_RUN,
};

class CKeywordsTab : public CAnalysisTab {
public:
    CKeywordsTab(wxWindow* parent, IAnalysisHost& host);

    // Asks for the reference corpus file; false when none was chosen.
    bool ChooseReference();
    void SetReference(const std::u16string& path);
    std::u16string Reference() const;
    void Run();
    std::shared_ptr<CKeywordTable> Keywords() const { return m_shown; }

protected:
    std::u16string ExportFileName() const override { return u"keywords.tsv"; }
    std::u16string RowWord(std::size_t row) const override;

private:
    wxTextCtrl* m_reference = nullptr;
    wxCheckBox* m_negative = nullptr;
    wxTextCtrl* m_minLl = nullptr;
    std::shared_ptr<CKeywordTable> m_shown;
};

}  // namespace zorvia
