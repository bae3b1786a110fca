// The tab of the collocates of a node: the node, the span to the left and
// right, the least O shown, and the table of the words around the node.
#pragma once

#include <memory>
#include <string>

#include "analysis/collocates.h"
#include "analysis/ui/analysis_tab.h"

class wxSpinCtrl;
class wxTextCtrl;

namespace zorvia {

enum CollocatesTabId : int {
    ID_COLLOCATES_NODE = kTabOwnIds + 20,
    ID_COLLOCATES_LEFT,
    ID_COLLOCATES_RIGHT,
    ID_COLLOCATES_MIN,
    ID_COLLOCATES_RUN,
};

class CCollocatesTab : public CAnalysisTab {
public:
    CCollocatesTab(wxWindow* parent, IAnalysisHost& host);

    void SetNode(const std::u16string& node);
    CollocateRequest Request() const;
    void Run();
    std::shared_ptr<CCollocateTable> Collocates() const { return m_shown; }

protected:
    std::u16string ExportFileName() const override { return u"collocates.tsv"; }
    std::u16string RowWord(std::size_t row) const override;

private:
    wxTextCtrl* m_node = nullptr;
    wxSpinCtrl* m_left = nullptr;
    wxSpinCtrl* m_right = nullptr;
    wxSpinCtrl* m_min = nullptr;
    std::shared_ptr<CCollocateTable> m_shown;
};

}  // namespace zorvia
