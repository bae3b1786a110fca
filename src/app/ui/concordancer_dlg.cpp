#include "app/ui/concordancer_dlg.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "app/command_line.h"
#include "app/con_settings.h"
#include "app/menu_table.h"
#include "app/pane_layout.h"
#include "app/window_placement.h"
#include "app/ui/app_ids.h"
#include "app/ui/app_icon.h"
#include "app/ui/option_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "corpus/database_files.h"
#include "html/page_frame.h"
#include "html/ui/body_browser.h"
#include "platform/program_dir.h"
#include "platform/text_convert.h"
#include "platform/trace.h"
#include "platform/ui/list_column_width.h"
#include "platform/ui/wx_prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

// The word list's columns and their narrowest widths.
const wxString kWordColumnTitle = wxS("WORD");
constexpr char16_t kCountColumnTitle[] = u"回数";
constexpr int kWordColumnWidth = 50;
constexpr int kCountColumnWidth = 40;
// Room a status bar part keeps around its text.
constexpr int kStatusPartMargin = 12;

}  // namespace

CConcordancerDlg::CConcordancerDlg(CConSettings& settings, const std::u16string& startFile)
    : wxFrame(nullptr, wxID_ANY, ToWx(kAppTitle), wxDefaultPosition, wxSize(640, 480)),
      m_settings(settings),
      m_ownPrompt(std::make_unique<CWxPrompt>(this)) {
    m_prompt = m_ownPrompt.get();
    SetIcons(AppIconBundle());
    CreateMenu();

    wxStatusBar* status = CreateStatusBar(3, wxSTB_SIZEGRIP | wxSTB_SHOW_TIPS | wxFULL_REPAINT_ON_RESIZE,
                                          ID_STATUS_BAR);
    // The message part shows our own prompts; the frame's built-in menu
    // help would write other texts there.
    SetStatusBarPane(-1);
    (void)status;
    CreateControls();

    const bool installed = CurrentLayout() == ProgramLayout::Installed;
    if (installed) CreateDirectories(SettingsDirectory());
    m_settings.filePath = SettingsDirectory() + u"option.ini";
    m_settings.section = kAppTitle;
    m_settings.LoadAll();

    const StartupCorpus start = ChooseStartupCorpus(m_settings.databasePath.value, startFile);
    m_settings.databasePath.value = start.path;
    // The corpus choosers open beside the corpus the window starts on.
    RememberFileFolder(FileKind::Corpus, start.path);
    if (installed && start.path == DefaultDatabasePath()) CreateDirectories(DefaultCorpusDirectory());
    switch (start.opening) {
        case StartupCorpus::Opening::WithSchema: OpenDatabaseWithSchema(); break;
        case StartupCorpus::Opening::WithoutSchema: OpenDatabase(); break;
        case StartupCorpus::Opening::None: break;
    }
    UpdateTitle();
    // Told once the window is up, so that the message has a window to
    // stand on.
    if (!start.message.empty()) {
        CallAfter([this, message = start.message] {
            Prompt().Message(message, PromptButtons::Ok, PromptIcon::Exclamation);
        });
    }

    m_body = new CBodyBrowser(m_panel, ID_BODY_PANE);
    m_pageHead = BuildPageHead(DataDirectory());
    m_pageTail = kPageTail;
    MyVersionPage(true);
    if (!start.statusMessage.empty()) SetStatusPart(0, start.statusMessage);
    StartDdeService();

    SetMinSize(wxSize(kMinWindowWidth, kMinWindowHeight));
    PlaceWindow();

    Bind(wxEVT_MENU_HIGHLIGHT, &CConcordancerDlg::OnMenuHighlight, this);
    Bind(wxEVT_MENU_OPEN, &CConcordancerDlg::OnMenuOpen, this);
    Bind(wxEVT_MENU_CLOSE, &CConcordancerDlg::OnMenuClose, this);
    Bind(wxEVT_CHAR_HOOK, &CConcordancerDlg::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CConcordancerDlg::OnClose, this);
    m_panel->Bind(wxEVT_SIZE, &CConcordancerDlg::OnSize, this);
    m_panel->Bind(wxEVT_LEFT_DOWN, &CConcordancerDlg::OnPanelLeftDown, this);
    m_panel->Bind(wxEVT_MOTION, &CConcordancerDlg::OnPanelMotion, this);
    m_panel->Bind(wxEVT_LEFT_UP, &CConcordancerDlg::OnPanelLeftUp, this);
    m_panel->Bind(wxEVT_LEAVE_WINDOW, &CConcordancerDlg::OnPanelLeave, this);
    m_panel->Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent& event) {
        if (!m_verticalDrag && !m_horizontalDrag) UpdateSplitterCursor(event.GetPosition());
        event.Skip();
    });
    m_panel->Bind(wxEVT_MOUSE_CAPTURE_LOST, &CConcordancerDlg::OnPanelCaptureLost, this);

    Bind(wxEVT_MENU, &CConcordancerDlg::OnMenuItem, this, MenuItemId(kFirstCommand), MenuItemId(kLastCommand));
    Bind(wxEVT_MENU, &CConcordancerDlg::OnNewDatabase, this, ID_NEW_DATABASE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnOpenDatabase, this, ID_OPEN_DATABASE);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnExit, this, ID_EXIT);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnOptions, this, ID_OPTIONS);
    Bind(wxEVT_MENU, &CConcordancerDlg::OnVersion, this, ID_VERSION);
    BindCorpusCommands();

    BindSearchCommands();
    BindReportCommands();
    BindAnalysisCommands();
    LayoutPanes();
}

CConcordancerDlg::~CConcordancerDlg() = default;

void CConcordancerDlg::CreateMenu() {
    auto* bar = new wxMenuBar;
    constexpr std::size_t kMenus = std::size(kMenuTitles);
    wxMenu* menus[kMenus] = {};
    for (wxMenu*& menu : menus) menu = new wxMenu;
    for (const MenuEntry& entry : kMainMenu) {
        if (entry.id == 0) {
            menus[entry.menu]->AppendSeparator();
        } else {
            menus[entry.menu]->Append(MenuItemId(entry.id), ToWx(entry.text));
        }
    }
    for (std::size_t i = 0; i < kMenus; ++i) bar->Append(menus[i], ToWx(kMenuTitles[i]));
    SetMenuBar(bar);
}

void CConcordancerDlg::CreateControls() {
    m_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    m_wordLabel = new wxStaticText(m_panel, ID_WORD_LABEL, wxS("WORD"));
    m_wordEdit = new wxTextCtrl(m_panel, ID_WORD_EDIT, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxTE_PROCESS_ENTER);
    m_searchButton = new wxButton(m_panel, ID_SEARCH_BUTTON, ToWx(u"検索"));
    m_searchButton->SetDefault();
    m_wordList = new wxListCtrl(m_panel, ID_WORD_LIST, wxDefaultPosition, wxDefaultSize,
                                wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxBORDER_SUNKEN);
    m_wordList->AppendColumn(kWordColumnTitle, wxLIST_FORMAT_LEFT, kWordColumnWidth);
    m_wordList->AppendColumn(ToWx(kCountColumnTitle), wxLIST_FORMAT_RIGHT, kCountColumnWidth);
    m_wordList->Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
        if (event.GetColumn() >= 0 && event.GetColumn() < 2) m_wordColumnDragged[event.GetColumn()] = true;
        event.Skip();
    });
    FitWordListColumns();
    m_concordanceList = new CConcordanceListBox(m_panel, ID_CONCORDANCE_LIST, this);
}

void CConcordancerDlg::FitWordListColumns() {
    std::vector<wxString> words{kWordColumnTitle};
    std::vector<wxString> counts{ToWx(kCountColumnTitle)};
    for (const WordListRow& row : m_wordRows) {
        words.push_back(ToWx(row.word));
        counts.push_back(ToWx(FormatInt(row.count)));
    }
    if (!m_wordColumnDragged[0]) m_wordList->SetColumnWidth(0, ListColumnWidth(*m_wordList, words, kWordColumnWidth));
    if (!m_wordColumnDragged[1])
        m_wordList->SetColumnWidth(1, ListColumnWidth(*m_wordList, counts, kCountColumnWidth));
}

void CConcordancerDlg::PlaceWindow() {
    std::vector<ScreenRect> displays;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect r = wxDisplay(i).GetGeometry();
        displays.push_back({r.x, r.y, r.width, r.height});
    }
    const ScreenRect placed = PlaceMainWindow({m_settings.windowPosX.value, m_settings.windowPosY.value,
                                               m_settings.windowWidth.value, m_settings.windowHeight.value},
                                              displays);
    SetSize(placed.x, placed.y, placed.width, placed.height);
}

// --- status bar and title ----------------------------------------------------

void CConcordancerDlg::SetStatusPart(int part, const std::u16string& text) {
    wxStatusBar* status = GetStatusBar();
    if (status == nullptr) return;
    const wxString label = ToWx(text);
    status->SetStatusText(label, part);
    // A time too wide for its part (a query of 100 seconds or more) widens
    // both timing parts for the rest of the run.
    if (part > 0) {
        const int width = status->GetTextExtent(label).x;
        if (width > m_widestTimingText) {
            m_widestTimingText = width;
            LayoutPanes();
        }
    }
}

std::u16string CConcordancerDlg::GetStatusPart(int part) const {
    if (wxStatusBar* status = GetStatusBar()) return FromWx(status->GetStatusText(part));
    return {};
}

void CConcordancerDlg::ShowReadyText() {
    if (m_bodyFilePath.empty()) {
        SetStatusPart(0, u"Ready");
        return;
    }
    SetStatusPart(0, u"Ready : " + FileNameOfPath(m_bodyFilePath) + u" [line:" + FormatInt(m_bodyLine + 1) + u"]");
}

bool CConcordancerDlg::UpdateTitle() {
    SetTitle(ToWx(FileNameOfPath(m_settings.databasePath.value) + u" - Zorvia Concordancer Ver." + kAppVersion));
    return true;
}

void CConcordancerDlg::OnMenuItem(wxCommandEvent& event) {
    wxCommandEvent command(wxEVT_MENU, CommandOfMenuItem(event.GetId()));
    command.SetEventObject(this);
    ProcessWindowEvent(command);
}

void CConcordancerDlg::OnMenuHighlight(wxMenuEvent& event) {
    const char16_t* prompt = MenuPrompt(CommandOfMenuItem(event.GetMenuId()));
    SetStatusPart(0, prompt != nullptr ? std::u16string(prompt) : std::u16string());
}

void CConcordancerDlg::OnMenuOpen(wxMenuEvent& event) {
    // A menu title highlighted with no item yet: nothing to describe.
    SetStatusPart(0, u"");
    event.Skip();
}

void CConcordancerDlg::OnMenuClose(wxMenuEvent& event) {
    ShowReadyText();
    event.Skip();
}

// --- the corpus file ----------------------------------------------------------

bool CConcordancerDlg::OpenDatabase() {
    const bool opened = zorvia::OpenDatabase(m_db, m_settings.databasePath.value);
    CheckWordRuleAfterOpen();
    return opened;
}

bool CConcordancerDlg::OpenDatabaseWithSchema() {
    const bool opened = zorvia::OpenDatabaseWithSchema(m_db, m_settings.databasePath.value);
    CheckWordRuleAfterOpen();
    return opened;
}

void CConcordancerDlg::CheckWordRuleAfterOpen() {
    // Told once the window is up (at start-up there is none yet to stand on).
    if (const auto message = EnsureWordRuleUsable(m_db, m_settings.databasePath.value)) {
        CallAfter([this, text = *message] { Prompt().Message(text, PromptButtons::Ok, PromptIcon::Exclamation); });
    }
}

void CConcordancerDlg::OnNewDatabase(wxCommandEvent&) {
    const auto path = PromptForFile(*m_prompt, DatabaseFileRequest(true));
    if (!path) return;
    StopAnalysisJobs();
    m_settings.databasePath.value = *path;
    UpdateTitle();
    OpenDatabaseWithSchema();
}

void CConcordancerDlg::OnOpenDatabase(wxCommandEvent&) {
    const auto path = PromptForFile(*m_prompt, DatabaseFileRequest(false));
    if (!path) return;
    StopAnalysisJobs();
    m_settings.databasePath.value = *path;
    UpdateTitle();
    OpenDatabase();
}

// --- commands of the window itself ---------------------------------------------

void CConcordancerDlg::OnExit(wxCommandEvent&) { Close(); }

void CConcordancerDlg::OnOptions(wxCommandEvent&) {
    CConOptionDlg dialog(this, m_settings, *m_prompt);
    dialog.ShowModal();
}

void CConcordancerDlg::OnVersion(wxCommandEvent&) {
    Trace("[OnVersion]\n");
    MyVersionPage(false);
}

void CConcordancerDlg::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
        Close();
        return;
    }
    if (HandleCopyKey(event) || HandleSearchKey(event)) return;
    event.Skip();
}

void CConcordancerDlg::OnClose(wxCloseEvent& event) {
    // While a long operation or a modal dialog runs, this window is
    // disabled and the operation is still on the stack: closing now would
    // pull the window (and the database) from under it. The operation's own
    // window offers the cancel.
    if (!IsEnabled() && event.CanVeto()) {
        event.Veto();
        return;
    }
    StopAnalysisJobs();
    // A window left partly off the screen to the left or the top is stored
    // at 0 so that it reopens fully visible on that side.
    const wxRect outer = GetRect();
    m_settings.windowPosX.value = outer.x > 0 ? outer.x : 0;
    m_settings.windowPosY.value = outer.y > 0 ? outer.y : 0;
    m_settings.windowWidth.value = outer.width;
    m_settings.windowHeight.value = outer.height;
    Trace(" x : %d\n", m_settings.windowPosX.value);
    Trace(" y : %d\n", m_settings.windowPosY.value);
    Trace(" w : %d\n", m_settings.windowWidth.value);
    Trace(" h : %d\n", m_settings.windowHeight.value);
    m_settings.SaveAll();
    StopDdeService();
    Destroy();
    // The window is deleted, and the program ends, when the program is next
    // idle; make sure that comes even when no other event would bring it
    // (a close asked for by a signal).
    wxWakeUpIdle();
}

// --- layout and splitters -----------------------------------------------------

void CConcordancerDlg::LayoutClientSize(int& width, int& height) const {
    const wxSize client = m_panel->GetClientSize();
    const wxStatusBar* status = GetStatusBar();
    width = client.x;
    height = client.y + (status != nullptr ? status->GetSize().y : 0);
}

void CConcordancerDlg::LayoutPanes() {
    wxStatusBar* status = GetStatusBar();
    if (status == nullptr || m_panel == nullptr || m_body == nullptr) return;
    PaneLayoutInput in;
    LayoutClientSize(in.clientWidth, in.clientHeight);
    in.labelWidth = m_wordLabel->GetClientSize().x;
    in.statusHeight = status->GetSize().y;
    in.statusWidth = status->GetClientSize().x;
    in.scrollBarWidth = std::max(0, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
    in.edgeWidth = std::max(0, wxSystemSettings::GetMetric(wxSYS_EDGE_X, this));
    // The timing parts are 55 pixels wide, or as wide as "00.00 sec" (or
    // the widest time shown so far) needs in the status bar's font, so that
    // the time is never cut off.
    const int timingText = std::max(status->GetTextExtent(wxS("00.00 sec")).x, m_widestTimingText);
    in.timingPartWidth = std::max(55, timingText + kStatusPartMargin);
    in.borderX = m_settings.horizontalPaneBorderX.value;
    in.borderY = m_settings.verticalPaneBorderY.value;
    const PaneLayout out = ComputePaneLayout(in);
    m_settings.horizontalPaneBorderX.value = out.borderX;
    m_settings.verticalPaneBorderY.value = out.borderY;
    m_shownBorderX = out.shownBorderX;
    m_shownBorderY = out.shownBorderY;

    int widths[3] = {std::max(1, out.statusPartRight[0]), out.statusPartRight[1] - out.statusPartRight[0],
                     out.statusPartRight[2] - out.statusPartRight[1]};
    status->SetStatusWidths(3, widths);

    // A pane without room (a large border in a small window) is sized to
    // nothing rather than given a negative size.
    auto place = [](wxWindow* window, const PaneRect& r) {
        window->SetSize(r.x, r.y, std::max(0, r.width), std::max(0, r.height));
    };
    m_wordLabel->Move(out.label.x, out.label.y);
    place(m_wordEdit, out.wordEdit);
    place(m_searchButton, out.searchButton);
    place(m_wordList, out.wordList);
    place(m_concordanceList, out.concordanceList);
    place(m_body, out.bodyPane);
    m_concordanceList->Refresh(false);
}

void CConcordancerDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    LayoutPanes();
}

void CConcordancerDlg::OnPanelLeftDown(wxMouseEvent& event) {
    int cw = 0, ch = 0;
    LayoutClientSize(cw, ch);
    const wxPoint p = event.GetPosition();
    const int x = m_shownBorderX;
    const int y = m_shownBorderY;
    const bool vertical = VerticalSplitterZone(cw, ch, x).Contains(p.x, p.y);
    if (!vertical && !HorizontalSplitterZone(cw, ch, x, y).Contains(p.x, p.y)) {
        event.Skip();
        return;
    }
    m_panel->SetCursor(wxCursor(vertical ? wxCURSOR_SIZEWE : wxCURSOR_SIZENS));
    m_lastDragPoint = p;
    (vertical ? m_verticalDrag : m_horizontalDrag) = true;
    // The drag moves the border from where it is shown, which a small
    // window may have moved in from the stored place.
    m_settings.horizontalPaneBorderX.value = x;
    m_settings.verticalPaneBorderY.value = y;
    if (!m_panel->HasCapture()) m_panel->CaptureMouse();
}

void CConcordancerDlg::OnPanelMotion(wxMouseEvent& event) {
    const wxPoint p = event.GetPosition();
    if (m_horizontalDrag || m_verticalDrag) {
        if (m_horizontalDrag) m_settings.verticalPaneBorderY.value += p.y - m_lastDragPoint.y;
        if (m_verticalDrag) m_settings.horizontalPaneBorderX.value += p.x - m_lastDragPoint.x;
        m_lastDragPoint = p;
        LayoutPanes();
        // Held where it stopped, so that moving back moves it again at once.
        m_settings.horizontalPaneBorderX.value = m_shownBorderX;
        m_settings.verticalPaneBorderY.value = m_shownBorderY;
        return;
    }
    UpdateSplitterCursor(p);
    event.Skip();
}

void CConcordancerDlg::UpdateSplitterCursor(const wxPoint& p) {
    int cw = 0, ch = 0;
    LayoutClientSize(cw, ch);
    if (HorizontalSplitterZone(cw, ch, m_shownBorderX, m_shownBorderY).Contains(p.x, p.y)) {
        m_panel->SetCursor(wxCursor(wxCURSOR_SIZENS));
    } else if (VerticalSplitterZone(cw, ch, m_shownBorderX).Contains(p.x, p.y)) {
        m_panel->SetCursor(wxCursor(wxCURSOR_SIZEWE));
    } else {
        m_panel->SetCursor(wxNullCursor);
    }
}

void CConcordancerDlg::OnPanelLeftUp(wxMouseEvent& event) {
    m_panel->SetCursor(wxNullCursor);
    m_verticalDrag = false;
    m_horizontalDrag = false;
    if (m_panel->HasCapture()) m_panel->ReleaseMouse();
    event.Skip();
}

void CConcordancerDlg::OnPanelLeave(wxMouseEvent& event) {
    // The panes inherit the panel's cursor where they set none of their
    // own: the resize cursor must not follow the mouse from a splitter into
    // a pane (nor outside the window).
    if (!m_verticalDrag && !m_horizontalDrag) m_panel->SetCursor(wxNullCursor);
    event.Skip();
}

void CConcordancerDlg::OnPanelCaptureLost(wxMouseCaptureLostEvent&) {
    // Switching to another window in the middle of a drag ends it where it
    // is; the border keeps its last position.
    m_verticalDrag = false;
    m_horizontalDrag = false;
    m_panel->SetCursor(wxNullCursor);
}

}  // namespace zorvia
