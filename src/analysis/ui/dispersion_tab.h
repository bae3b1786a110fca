// The tab of a node's dispersion: the table of files with their tokens,
// hits and hits per 10,000 tokens, Juilland's D, and the dispersion plot
// drawn under the table (one bar per file, a mark at each hit). The export
// writes the table as TSV or CSV, or the plot as SVG.
#pragma once

#include <wx/scrolwin.h>

#include <memory>
#include <string>

#include "analysis/dispersion.h"
#include "analysis/ui/analysis_tab.h"

class wxTextCtrl;

namespace zorvia {

enum DispersionTabId : int {
    ID_DISPERSION_NODE = kTabOwnIds + 60,
    ID_DISPERSION_RUN,
    ID_DISPERSION_SUMMARY,
    ID_DISPERSION_PLOT,
};

// The plot: one row per file in the table's order, its name on the left and
// a bar to the right as wide as the window allows; a thin line marks each
// hit at its relative token position. Rows scroll; the tooltip names the
// file under the pointer and its hits.
class CDispersionPlot : public wxScrolledCanvas {
public:
    CDispersionPlot(wxWindow* parent, int id);
    void SetTable(std::shared_ptr<const CDispersionTable> table);
    // The row of the table under a point of the window; -1 for none.
    int RowAt(const wxPoint& point) const;
    std::u16string TooltipText(int row) const;
    int RowHeight() const { return m_rowHeight; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);

    std::shared_ptr<const CDispersionTable> m_table;
    int m_rowHeight = 20;
    int m_tooltipRow = -1;
};

class CDispersionTab : public CAnalysisTab {
public:
    CDispersionTab(wxWindow* parent, IAnalysisHost& host);

    void SetNode(const std::u16string& node);
    void Run();
    std::shared_ptr<CDispersionTable> Dispersion() const { return m_shown; }
    CDispersionPlot* Plot() const { return m_plot; }
    std::u16string SummaryText() const;

protected:
    std::u16string ExportFileName() const override { return u"dispersion.tsv"; }
    FileRequest ExportRequest() const override;
    ExportWork ExportJob(const std::u16string& path) const override;
    std::u16string RowWord(std::size_t row) const override;
    void OnRowsReordered() override;

private:
    wxTextCtrl* m_node = nullptr;
    wxStaticText* m_summary = nullptr;
    CDispersionPlot* m_plot = nullptr;
    std::shared_ptr<CDispersionTable> m_shown;
};

}  // namespace zorvia
