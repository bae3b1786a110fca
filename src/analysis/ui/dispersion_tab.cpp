#include "analysis/ui/dispersion_tab.h"

#include <wx/dcbuffer.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "analysis/collocates.h"
#include "analysis/statistics.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

constexpr int kPlotMargin = 6;
constexpr int kMaxLabelWidth = 240;

bool EndsWithSvg(std::u16string_view path) {
    if (path.size() < 4) return false;
    std::u16string ext(path.substr(path.size() - 4));
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ext == u".svg";
}

}  // namespace

// --- the plot ------------------------------------------------------------------------

CDispersionPlot::CDispersionPlot(wxWindow* parent, int id)
    : wxScrolledCanvas(parent, id, wxDefaultPosition, wxSize(-1, 160), wxVSCROLL | wxBORDER_SUNKEN) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxWHITE);
    m_rowHeight = std::max(20, GetCharHeight() + 8);
    SetScrollRate(0, m_rowHeight);
    Bind(wxEVT_PAINT, &CDispersionPlot::OnPaint, this);
    Bind(wxEVT_MOTION, &CDispersionPlot::OnMotion, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
}

void CDispersionPlot::SetTable(std::shared_ptr<const CDispersionTable> table) {
    m_table = std::move(table);
    m_tooltipRow = -1;
    UnsetToolTip();
    const int rows = m_table ? static_cast<int>(m_table->RowCount()) : 0;
    SetVirtualSize(-1, rows * m_rowHeight + 2 * kPlotMargin);
    Scroll(0, 0);
    Refresh();
}

int CDispersionPlot::RowAt(const wxPoint& point) const {
    if (!m_table) return -1;
    const int y = CalcUnscrolledPosition(point).y - kPlotMargin;
    const int row = y >= 0 ? y / m_rowHeight : -1;
    return row >= 0 && static_cast<std::size_t>(row) < m_table->RowCount() ? row : -1;
}

std::u16string CDispersionPlot::TooltipText(int row) const {
    if (!m_table || row < 0 || static_cast<std::size_t>(row) >= m_table->RowCount()) return {};
    const DispersionFile& file = m_table->File(static_cast<std::size_t>(row));
    return Utf8ToWide(file.path) + u"\n" + FormatInt(file.hits()) + u" 件 / " + FormatInt(file.tokens) + u" 語";
}

void CDispersionPlot::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    DoPrepareDC(dc);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (!m_table) return;
    dc.SetFont(GetFont());
    const int width = GetClientSize().x;
    const int labelWidth = std::min(kMaxLabelWidth, width * 3 / 10);
    const int barLeft = kPlotMargin + labelWidth + kPlotMargin;
    const int barWidth = std::max(10, width - barLeft - kPlotMargin);
    const int barHeight = m_rowHeight - 6;
    // Only the rows in view.
    const int top = CalcUnscrolledPosition(wxPoint(0, 0)).y;
    const int first = std::max(0, (top - kPlotMargin) / m_rowHeight);
    const int last = std::min(static_cast<int>(m_table->RowCount()) - 1,
                              (top + GetClientSize().y - kPlotMargin) / m_rowHeight);
    const wxPen markPen(wxColour(0xC0, 0x39, 0x2B));
    std::vector<bool> marked(static_cast<std::size_t>(barWidth));
    for (int row = first; row <= last; ++row) {
        const DispersionFile& file = m_table->File(static_cast<std::size_t>(row));
        const int y = kPlotMargin + row * m_rowHeight;
        const wxString label = wxControl::Ellipsize(ToWx(FileNameOfPath(Utf8ToWide(file.path))), dc,
                                                    wxELLIPSIZE_MIDDLE, labelWidth);
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText(label, kPlotMargin, y + (m_rowHeight - dc.GetCharHeight()) / 2);
        dc.SetPen(wxPen(wxColour(0x99, 0x99, 0x99)));
        dc.SetBrush(wxBrush(wxColour(0xF2, 0xF2, 0xF2)));
        dc.DrawRectangle(barLeft, y + 3, barWidth, barHeight);
        // One line per pixel column that holds a hit, however many it holds.
        std::fill(marked.begin(), marked.end(), false);
        for (float position : file.positions)
            marked[static_cast<std::size_t>(std::clamp(static_cast<int>(position * static_cast<float>(barWidth)), 0,
                                                       barWidth - 1))] = true;
        dc.SetPen(markPen);
        for (int x = 0; x < barWidth; ++x)
            if (marked[static_cast<std::size_t>(x)]) dc.DrawLine(barLeft + x, y + 4, barLeft + x, y + 3 + barHeight - 1);
    }
}

void CDispersionPlot::OnMotion(wxMouseEvent& event) {
    const int row = RowAt(event.GetPosition());
    if (row != m_tooltipRow) {
        m_tooltipRow = row;
        if (row < 0) UnsetToolTip();
        else SetToolTip(ToWx(TooltipText(row)));
    }
    event.Skip();
}

// --- the tab -------------------------------------------------------------------------

CDispersionTab::CDispersionTab(wxWindow* parent, IAnalysisHost& host) : CAnalysisTab(parent, host, u"分布") {
    m_node = AddNodeBox(ID_DISPERSION_NODE);
    AddRunButton(ID_DISPERSION_RUN, [this] { Run(); });
    m_summary = new wxStaticText(this, ID_DISPERSION_SUMMARY, wxString());
    ControlRow()->Add(m_summary, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 16);
    m_plot = new CDispersionPlot(this, ID_DISPERSION_PLOT);
    AddBelowList(m_plot, 1);
}

void CDispersionTab::SetNode(const std::u16string& node) { m_node->ChangeValue(ToWx(node)); }

std::u16string CDispersionTab::SummaryText() const { return FromWx(m_summary->GetLabel()); }

void CDispersionTab::Run() {
    const std::u16string node = Host().NodeWordsForAnalysis(FromWx(m_node->GetValue()));
    if (!SingleWordNode(node)) {
        SetProgressText(u"中心語を1語で入力してください");
        return;
    }
    m_summary->SetLabel(wxString());
    m_plot->SetTable(nullptr);
    auto table = std::make_shared<CDispersionTable>();
    RunAnalysis(
        table,
        [node, table](CCorpusReader& reader, std::stop_token stop, IJobProgress& progress) {
            return RunDispersion(reader, node, stop, progress, *table);
        },
        [this, table] {
            m_shown = table;
            m_summary->SetLabel(ToWx(u"D = " + (table->D() ? Utf8ToWide(FormatDecimal(*table->D(), 4)) : u"-") +
                                     u"    頻度 " + FormatInt(table->Frequency()) + u"    出現ファイル " +
                                     FormatInt(table->FilesHolding()) + u" / " +
                                     FormatInt(static_cast<std::int64_t>(table->RowCount()))));
            m_plot->SetTable(table);
            Layout();
        });
}

FileRequest CDispersionTab::ExportRequest() const {
    FileRequest request = CAnalysisTab::ExportRequest();
    request.filters.push_back({u"分布図 SVG (*.svg)", u"*.svg"});
    return request;
}

CAnalysisTab::ExportWork CDispersionTab::ExportJob(const std::u16string& path) const {
    if (!EndsWithSvg(path) || !m_shown || Table() != m_shown) return CAnalysisTab::ExportJob(path);
    const std::shared_ptr<const CDispersionTable> table = m_shown;
    return [table, path](std::stop_token, IJobProgress&) { return WriteDispersionSvg(*table, path); };
}

std::u16string CDispersionTab::RowWord(std::size_t) const {
    return m_shown && Table() == m_shown ? SearchableWord(m_shown->Node()) : std::u16string();
}

void CDispersionTab::OnRowsReordered() { m_plot->Refresh(); }

}  // namespace zorvia
