#include "html/ui/body_browser.h"

#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/utils.h>
#include <wx/webview.h>

#if defined(__WXGTK__)
#include <webkit2/webkit2.h>
#endif

#include "platform/trace.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

// What the page's own scrolling script does, installed by the program once
// the page has loaded: pages come from corpus text, so the view runs no
// script of theirs. It centres the target now and after every resize of
// the view.
const char kCenterTargetScript[] =
    "(function(){function zorviaMove(){var obj=document.getElementById('theTarget');"
    "if(obj!=null){var yTop=obj.offsetTop;var h=document.body.clientHeight;"
    "window.scrollTo(0,yTop-h/2);}}"
    "if(!window.zorviaMoveInstalled){window.zorviaMoveInstalled=true;"
    "window.addEventListener('resize',zorviaMove);}zorviaMove();})()";

void DisableContentScripts(wxWebView* view) {
#if defined(__WXGTK__)
    // Scripts that arrive with a page (script elements, event attributes)
    // never run; the program's own RunScript calls still do.
    auto* native = static_cast<WebKitWebView*>(view->GetNativeBackend());
    if (native != nullptr) {
        webkit_settings_set_enable_javascript_markup(webkit_web_view_get_settings(native), FALSE);
        // Files dropped on the pane go to the main window, which registers
        // them, rather than into the view, which would open them.
        gtk_drag_dest_unset(GTK_WIDGET(native));
    }
#else
    (void)view;
#endif
}

}  // namespace

CBodyBrowser::CBodyBrowser(wxWindow* parent, int id, bool withView)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE) {
    if (withView && wxWebView::IsBackendAvailable(wxString::FromAscii(wxWebViewBackendDefault))) {
        m_view = wxWebView::New(this, wxID_ANY, wxS("about:blank"), wxDefaultPosition, GetClientSize(),
                                 wxString::FromAscii(wxWebViewBackendDefault));
    }
    if (m_view == nullptr) {
        Trace("body pane: no HTML view\n");
        return;
    }
    DisableContentScripts(m_view);
    m_view->EnableContextMenu(false);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_view, 1, wxEXPAND);
    SetSizer(sizer);
    m_view->Bind(wxEVT_WEBVIEW_LOADED, &CBodyBrowser::OnLoaded, this);
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &CBodyBrowser::OnNewWindow, this);
}

void CBodyBrowser::ClearPage() {
    if (m_view == nullptr) return;
    m_page.clear();
    m_loaded = false;
}

void CBodyBrowser::WritePage(const std::u16string& text) {
    if (m_view == nullptr) return;
    m_page += text;
    m_loaded = false;
    // Several writes in a row make one page: load it once the handler that
    // writes has returned.
    if (!m_flushPending) {
        m_flushPending = true;
        CallAfter([this] {
            if (m_flushPending) FlushPage();
        });
    }
}

void CBodyBrowser::FlushPage() {
    m_flushPending = false;
    if (m_view == nullptr) return;
    m_loaded = false;
    m_expectedUrl = wxS("file:///");
    m_view->SetPage(ToWx(m_page), m_expectedUrl);
}

void CBodyBrowser::NavigateTo(const std::u16string& url) {
    if (m_view == nullptr) return;
    m_flushPending = false;
    m_loaded = false;
    const wxString text = ToWx(url);
    if (text.StartsWith(wxS("/"))) {
        m_expectedUrl = wxFileName::FileNameToURL(wxFileName(text));
    } else if (text.empty()) {
        m_expectedUrl = wxS("about:blank");
    } else {
        m_expectedUrl = text;
    }
    m_view->LoadURL(m_expectedUrl);
}

void CBodyBrowser::ShowDocument(const std::u16string& page, const std::u16string& path) {
    if (m_view == nullptr) return;
    m_flushPending = false;
    m_loaded = false;
    m_page = page;
    m_expectedUrl = wxFileName::FileNameToURL(wxFileName(ToWx(path)));
    m_view->SetPage(ToWx(page), m_expectedUrl);
}

void CBodyBrowser::CenterTarget() {
    if (m_view == nullptr) return;
#if defined(__WXGTK__)
    // Fire and forget: no completion callback can outlive the view.
    auto* native = static_cast<WebKitWebView*>(m_view->GetNativeBackend());
    if (native != nullptr) {
        webkit_web_view_evaluate_javascript(native, kCenterTargetScript, -1, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
#else
    m_view->RunScriptAsync(wxString::FromUTF8(kCenterTargetScript));
#endif
}

void CBodyBrowser::OnLoaded(wxWebViewEvent& event) {
    // The view may still report an earlier load (the blank page it starts
    // with, a page replaced before it finished): only the last one counts.
    if (event.GetURL() == m_expectedUrl) {
        m_loaded = true;
        CenterTarget();
    }
    event.Skip();
}

void CBodyBrowser::OnNewWindow(wxWebViewEvent& event) {
    // Links that ask for a new window (the support page) open in the
    // user's browser.
    wxLaunchDefaultBrowser(event.GetURL());
}

}  // namespace zorvia
