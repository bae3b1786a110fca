#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/panel.h>

#include <gtk/gtk.h>

#include "app/ui/app_ids.h"
#include "app/pane_layout.h"
#include "app/ui/concordancer_dlg.h"
#include "concordance/ui/concordance_list_box.h"
#include "gui/gui_support.h"
#include "html/ui/body_browser.h"
#include "platform/ui/wx_text.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using test::MainWindowFixture;
using test::ReadFileBytes;

TEST(MainWindow, FirstStartWithoutSettingsFileAndTheMenu) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    EXPECT_EQ(FromWx(w.GetTitle()), u"x.zorviacorpusdb - Zorvia Concordancer Ver.1.0.1");
    const wxRect desktop = wxDisplay(0u).GetGeometry();
    EXPECT_EQ(w.GetRect(), wxRect((desktop.width - 640) / 2, (desktop.height - 480) / 2, 640, 480));
    EXPECT_EQ(w.GetStatusPart(0), u"Ready");

    // The default corpus was created beside the program with its schema.
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(f.dir.File("x.zorviacorpusdb")));
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM sqlite_master"), 5);

    // The default layout: word list 110 wide, concordance list down to 200.
    EXPECT_EQ(w.m_wordList->GetRect(), wxRect(0, 29, 110, w.m_wordList->GetSize().y));
    EXPECT_EQ(w.m_concordanceList->GetRect(), wxRect(115, 29, w.m_panel->GetClientSize().x - 115, 171));

    // The menus in order; the prompts of their items in the status bar.
    wxMenuBar* bar = w.GetMenuBar();
    std::string layout;  // command numbers, "-" for separators
    for (std::size_t m = 0; m < bar->GetMenuCount(); ++m) {
        layout += test::N(FromWx(bar->GetMenuLabel(m))) + ":";
        for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems())
            layout += item->IsSeparator() ? " -" : " " + std::to_string(CommandOfMenuItem(item->GetId()));
        layout += "\n";
    }
    EXPECT_EQ(layout, "ファイル(&F): 32779 32786 - 32777 32778 - 32780\n"
                      "ツール(&T): 32782 32788 - 32811 32801 32803 32790 - 32792 32805 32806\n"
                      "分析(&A): 32901 32907 32909 32911 32913 - 32903 32905\nヘルプ(&H): 32776\n");
    EXPECT_EQ(FromWx(bar->GetMenu(0)->FindItemByPosition(4)->GetItemLabel()), u"データベースを開く(&D)...");
    const auto event = [&](wxEventType type, int id) {
        wxMenuEvent menuEvent(type, id);
        w.ProcessWindowEvent(menuEvent);
        return w.GetStatusPart(0);
    };
    EXPECT_EQ(event(wxEVT_MENU_HIGHLIGHT, MenuItemId(ID_ADD_FILE)), u"データベースにファイルを追加します");
    EXPECT_EQ(event(wxEVT_MENU_HIGHLIGHT, MenuItemId(ID_OPTIONS)), u"");
    EXPECT_EQ(event(wxEVT_MENU_CLOSE, 0), u"Ready");
    // A menu opened with nothing highlighted yet empties the message part.
    EXPECT_EQ(event(wxEVT_MENU_OPEN, 0), u"");
    EXPECT_EQ(event(wxEVT_MENU_CLOSE, 0), u"Ready");

    w.SetPosition(wxPoint(-30, 12));
    f.Close();
    EXPECT_EQ(ReadFileBytes(f.ProgramFile("option.ini")),
              "[Zorvia Concordancer]\n"
              "use-incremental-search=1\n"
              "use-concordance-line-style=1\n"
              "concordance-line-count=50\n"
              "wordlist-search-count=20\n"
              "window-width=640\n"
              "window-height=480\n"
              "window-pos-x=0\n"
              "window-pos-y=12\n"
              "horizontal-pane-border-x=110\n"
              "vertical-pane-border-y=200\n"
              "body-line=100\n"
              "database-path=" + f.ProgramFile("x.zorviacorpusdb") + "\n"
              "detect-encoding=1\n"
              "mecab-dictionary=\n");
}

TEST(MainWindow, StoredPlacementIsUsedAndOutOfRangeBordersCorrected) {
    MainWindowFixture f;
    f.WriteSettings("window-pos-x=20\nwindow-pos-y=30\nwindow-width=700\nwindow-height=500\n"
                    "horizontal-pane-border-x=10\nvertical-pane-border-y=9999\n");
    CConcordancerDlg& w = f.Start();
    EXPECT_EQ(w.GetRect(), wxRect(20, 30, 700, 500));
    EXPECT_EQ(w.m_wordList->GetSize().x, 50);
    // A border lower than the window allows leaves the body pane some room;
    // the stored border is kept for a larger window.
    EXPECT_EQ(w.m_body->GetSize().y, kMinPaneRoom);
    EXPECT_EQ(w.m_settings.verticalPaneBorderY.value, 500);
    // Smaller than the minimum is refused.
    EXPECT_EQ(w.GetMinSize(), wxSize(240, 320));
    w.SetSize(100, 100);
    test::Pump();
    EXPECT_GE(w.GetSize().x, 240);
    EXPECT_GE(w.GetSize().y, 320);
    f.Close();
    const std::string ini = ReadFileBytes(f.ProgramFile("option.ini"));
    EXPECT_NE(ini.find("horizontal-pane-border-x=50\n"), std::string::npos);
    EXPECT_NE(ini.find("vertical-pane-border-y=500\n"), std::string::npos);
}

// A stored place beyond every display, or a size larger than one, brings
// the window back onto the display.
TEST(MainWindow, AWindowStoredOffTheDisplayComesBackOntoIt) {
    MainWindowFixture f;
    f.WriteSettings("window-pos-x=5000\nwindow-pos-y=30\nwindow-width=99999\nwindow-height=500\n");
    CConcordancerDlg& w = f.Start();
    EXPECT_EQ(w.GetRect(), wxRect(0, 30, wxDisplay(0u).GetGeometry().width, 500));
}

// A mouse event at (x, y) of `target`, the left button held unless it is
// released or `buttonUp`.
void Mouse(wxWindow* target, wxEventType type, int x, int y, bool buttonUp = false) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.SetEventObject(target);
    event.m_leftDown = type != wxEVT_LEFT_UP && !buttonUp;
    target->GetEventHandler()->ProcessEvent(event);
}

// Resizes the window and waits until the toolkit has given the panel its new
// size, which on a busy display comes some events later.
void Resize(CConcordancerDlg& w, int width, int height) {
    const wxSize before = w.m_panel->GetSize();
    w.SetSize(width, height);
    test::WaitUntil([&] { return w.m_panel->GetSize() != before; }, 3000);
    test::Pump();
}

TEST(MainWindow, SplittersFollowTheMouseWithinTheirLimits) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    wxPanel* panel = w.m_panel;
    // Vertical splitter: grab it at x 112 and drag far left, then far right.
    Mouse(panel, wxEVT_LEFT_DOWN, 112, 100);
    Mouse(panel, wxEVT_MOTION, 2, 100);
    EXPECT_EQ(w.m_wordList->GetSize().x, 50);
    EXPECT_EQ(w.m_settings.horizontalPaneBorderX.value, 50);
    // Moving back after passing the limit moves the border again at once.
    Mouse(panel, wxEVT_MOTION, 12, 100);
    EXPECT_EQ(w.m_wordList->GetSize().x, 60);
    Mouse(panel, wxEVT_MOTION, 600, 100);
    EXPECT_EQ(w.m_wordList->GetSize().x, 300);
    Mouse(panel, wxEVT_LEFT_UP, 600, 100);
    EXPECT_FALSE(panel->HasCapture());

    // Horizontal splitter: between the concordance list and the body pane,
    // in a window tall enough for its limits.
    Resize(w, 640, 700);
    Mouse(panel, wxEVT_LEFT_DOWN, 400, 202);
    Mouse(panel, wxEVT_MOTION, 400, 10);
    EXPECT_EQ(w.m_concordanceList->GetRect().GetBottom() + 1, 70);
    Mouse(panel, wxEVT_MOTION, 400, 2000);
    EXPECT_EQ(w.m_concordanceList->GetRect().GetBottom() + 1, 500);
    Mouse(panel, wxEVT_LEFT_UP, 400, 2000);
    // After the release, moving the mouse changes nothing.
    Mouse(panel, wxEVT_MOTION, 400, 100);
    EXPECT_EQ(w.m_settings.verticalPaneBorderY.value, 500);

    // In a smaller window the drag stops where the body pane keeps some room,
    // and moving back moves the border again at once.
    Resize(w, 640, 480);
    const int lowest = w.m_concordanceList->GetRect().GetBottom() + 1;
    EXPECT_EQ(w.m_body->GetSize().y, kMinPaneRoom);
    Mouse(panel, wxEVT_LEFT_DOWN, 400, lowest + 2);
    Mouse(panel, wxEVT_MOTION, 400, lowest + 300);
    Mouse(panel, wxEVT_MOTION, 400, lowest + 290);
    Mouse(panel, wxEVT_LEFT_UP, 400, lowest + 290);
    EXPECT_EQ(w.m_concordanceList->GetRect().GetBottom() + 1, lowest - 10);
}

// The resize cursors show inside the splitter zones only: leaving a zone,
// into a pane too, gives the panes their own cursors back.
TEST(MainWindow, ResizeCursorsOnlyInsideTheSplitterZones) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    wxPanel* panel = w.m_panel;
    // The toolkit's kind of cursor, -1 for none of the panel's own.
    const auto kind = [](const wxCursor& cursor) {
        return cursor.IsOk() ? static_cast<int>(gdk_cursor_get_cursor_type(cursor.GetCursor())) : -1;
    };
    const auto cursorAt = [&](wxEventType type, int x, int y) {
        Mouse(panel, type, x, y, true);
        return kind(panel->GetCursor());
    };
    EXPECT_EQ(cursorAt(wxEVT_MOTION, 112, 100), kind(wxCursor(wxCURSOR_SIZEWE)));
    EXPECT_EQ(cursorAt(wxEVT_LEAVE_WINDOW, 60, 100), -1);  // into the word list
    EXPECT_EQ(cursorAt(wxEVT_ENTER_WINDOW, 300, 202), kind(wxCursor(wxCURSOR_SIZENS)));
    EXPECT_EQ(cursorAt(wxEVT_MOTION, 300, 15), -1);  // the word row
}

TEST(MainWindow, NewAndOpenDatabaseGoThroughTheFileChooser) {
    MainWindowFixture f;
    CConcordancerDlg& w = f.Start();
    const std::u16string created = f.dir.File("new one.zorviacorpusdb");
    f.prompt.files = {created};
    test::Command(w, ID_NEW_DATABASE);
    EXPECT_EQ(w.m_settings.databasePath.value, created);
    EXPECT_EQ(FromWx(w.GetTitle()), u"new one.zorviacorpusdb - Zorvia Concordancer Ver.1.0.1");
    EXPECT_TRUE(w.m_db.Exec(u"SELECT count(*) FROM word"));
    EXPECT_TRUE(f.prompt.fileRequests.back().save);
    // The corpus choosers open beside the corpus the window started on.
    EXPECT_EQ(f.prompt.fileRequests.back().initialFolder, f.dir.File(""));

    // Opening a path that disappeared changes nothing.
    f.prompt.files = {f.dir.File("vanished.zorviacorpusdb")};
    test::Command(w, ID_OPEN_DATABASE);
    EXPECT_EQ(w.m_settings.databasePath.value, created);
    EXPECT_TRUE(w.m_db.IsOpen());

    // Opening a file without the corpus tables opens it and creates nothing.
    const auto plain = f.dir.Write("plain.db", "");
    f.prompt.files = {plain};
    test::Command(w, ID_OPEN_DATABASE);
    EXPECT_EQ(w.m_settings.databasePath.value, plain);
    EXPECT_FALSE(w.m_db.Exec(u"SELECT count(*) FROM word"));

    // Cancel ends the command.
    f.prompt.files = {std::nullopt};
    test::Command(w, ID_NEW_DATABASE);
    EXPECT_EQ(w.m_settings.databasePath.value, plain);
}

}  // namespace
}  // namespace zorvia
