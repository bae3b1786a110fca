// The body pane: a host window with an HTML view that fills it. Pages are
// written as text after a clear; the view shows everything written since.
#pragma once

#include <wx/panel.h>

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

private:
    void OnLoaded(wxWebViewEvent& event);
    void OnNewWindow(wxWebViewEvent& event);

    wxWebView* m_view = nullptr;
    std::u16string m_page;
    bool m_flushPending = false;
    bool m_loaded = false;
    wxString m_expectedUrl;
};

}  // namespace zorvia
