// The tab of every hit of a node: the node, the context width, up to three
// sort keys, and the KWIC table. Selecting a row shows the hit's passage in
// the main window; double-clicking a context word makes it the node.
#pragma once

#include <memory>
#include <string>

#include "analysis/kwic.h"
#include "analysis/ui/analysis_tab.h"

class wxChoice;
class wxSpinCtrl;
class wxTextCtrl;

namespace zorvia {

enum KwicTabId : int {
    ID_KWIC_NODE = kTabOwnIds,
    ID_KWIC_CONTEXT,
    ID_KWIC_SORT1,
    ID_KWIC_SORT2,
    ID_KWIC_SORT3,
    ID_KWIC_RUN,
};

// The choices of a sort key box: none, L5 … L1, the node, R1 … R5, the file.
inline constexpr int kKwicSortChoices = 13;
std::u16string KwicSortChoiceLabel(int choice);
std::optional<KwicSortKey> KwicSortChoiceKey(int choice);

class CKwicTab : public CAnalysisTab {
public:
    CKwicTab(wxWindow* parent, IAnalysisHost& host);

    void SetNode(const std::u16string& node);
    // Reads the controls and starts the run (stopping the one before).
    void Run();
    KwicRequest Request() const;
    std::shared_ptr<CKwicTable> KwicTable() const { return m_kwic; }

protected:
    std::u16string ExportFileName() const override { return u"kwic.tsv"; }
    void OnRowSelected(std::size_t row) override;
    void OnRowActivated(std::size_t row, int column, int x) override;
    std::u16string RowWord(std::size_t row) const override;

private:
    wxTextCtrl* m_node = nullptr;
    wxSpinCtrl* m_context = nullptr;
    wxChoice* m_sort[3] = {};
    std::shared_ptr<CKwicTable> m_kwic;
};

}  // namespace zorvia
