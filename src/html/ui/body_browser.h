// The body pane: a host window with an HTML view that fills it. Pages are
// written as text after a clear; the view shows everything written since.
//
// What the pages show comes from corpus text, so the view keeps it inside
// the pane: no script of a page runs, nothing is fetched but local files
// (images, style sheets, fonts, media, frames), no frame loads, and the view
// leaves the written page only for the program's own NavigateTo. A link
// click follows nothing; the one link that opens the desktop's browser is
// the support page address of the version page.
#pragma once

#include <wx/panel.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>

class wxWebView;
class wxWebViewEvent;

namespace zorvia {

class CBodyBrowser : public wxPanel {
public:
    // Creates the host as a child of `parent` with the id of the pane. When
    // the HTML view cannot be created (or `withView` is false) the host
    // stays empty and every operation does nothing.
    CBodyBrowser(wxWindow* parent, int id, bool withView = true);

    bool HasView() const { return m_view != nullptr; }
    void ClearPage();
    void WritePage(const std::u16string& text);
    // Opens an address or a local file path in the view.
    void NavigateTo(const std::u16string& url);
    // Shows a whole document that the program read from the local file
    // `path`; its relative links resolve against that file.
    void ShowDocument(const std::u16string& page, const std::u16string& path);

    // The text written since the last clear (what the view shows or is
    // about to show).
    const std::u16string& PageText() const { return m_page; }
    // Loads the written text now instead of when the program is idle.
    void FlushPage();
    // True once the view has finished loading what was written last.
    bool IsPageLoaded() const { return m_loaded; }
    // Moves the element "theTarget" to the middle of the view, now and
    // whenever the view is resized.
    void CenterTarget();
    wxWebView* View() const { return m_view; }
    // Tests see what would be opened in the desktop's browser.
    void SetBrowserLauncherForTesting(std::function<void(const wxString&)> launch) {
        m_launchBrowser = std::move(launch);
    }

private:
    friend struct ContentRulesRequest;
    enum class Guard { Pending, Ready, Failed };

    void InstallContentRules();
    void OnContentRules(bool installed);
    void LoadPending();
    // Every load of the view goes through these two: the navigation each
    // one makes is the only kind the view lets through.
    void LoadPage(const wxString& html);
    void LoadUrl(const wxString& url);
    void OnLoaded(wxWebViewEvent& event);
    void OnNavigating(wxWebViewEvent& event);
    void OnNewWindow(wxWebViewEvent& event);

    wxWebView* m_view = nullptr;
    std::u16string m_page;
    bool m_flushPending = false;
    bool m_loaded = false;
    wxString m_expectedUrl;
    Guard m_guard = Guard::Pending;
    // What was asked for while the rules were being set up: an address of
    // NavigateTo, or else the written page.
    std::optional<wxString> m_pendingUrl;
    bool m_pagePending = false;
    // The addresses of the program's own loads whose navigations are still
    // to come, oldest first. Each page gets an address of its own, so that
    // its navigation is told from any other, also from the page's before it.
    std::deque<wxString> m_ownLoads;
    unsigned m_pageNumber = 0;
    // The address the written page is shown under, without its query.
    wxString m_pageBase = wxS("file:///");
    std::function<void(const wxString&)> m_launchBrowser;
};

}  // namespace zorvia
