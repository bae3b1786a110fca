#include "html/ui/body_browser.h"

#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/webview.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#if defined(__WXGTK__)
#include <webkit2/webkit2.h>
#endif

#include "html/page_frame.h"
#include "html/report_pages.h"
#include "platform/trace.h"
#include "platform/ui/toolkit_language.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

// The address of every written page: the root directory.
const wxString kRootUrl = wxS("file:///");

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

// Every load of a page's resources is blocked (images, style sheets, fonts,
// media, frames, documents) but for local files, data inside the page and
// the blank page: corpus markup can name any address, and nothing of it may
// leave the machine.
const char kContentRules[] =
    R"([{"trigger":{"url-filter":".*"},"action":{"type":"block"}},)"
    R"({"trigger":{"url-filter":"^file:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^data:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^about:"},"action":{"type":"ignore-previous-rules"}}])";

// Shown instead of every page when the rules cannot be put in force.
const char16_t kUnguardedPage[] =
    u"<html><body><p>本文を安全に表示できないため、ページを表示しません。</p></body></html>";

#if defined(__WXGTK__)
WebKitWebView* NativeView(wxWebView* view) {
    return view != nullptr ? static_cast<WebKitWebView*>(view->GetNativeBackend()) : nullptr;
}
#endif

void RestrictView(wxWebView* view) {
#if defined(__WXGTK__)
    WebKitWebView* native = NativeView(view);
    if (native == nullptr) return;
    WebKitSettings* settings = webkit_web_view_get_settings(native);
    // Scripts that arrive with a page (script elements, event attributes)
    // never run; the program's own RunScript calls still do.
    webkit_settings_set_enable_javascript_markup(settings, FALSE);
    // Media elements could hand an address to a media framework that opens
    // connections of its own.
    webkit_settings_set_enable_media(settings, FALSE);
    // Files dropped on the pane go to the main window, which registers
    // them, rather than into the view, which would open them.
    gtk_drag_dest_unset(GTK_WIDGET(native));
#else
    (void)view;
#endif
}

}  // namespace

#if defined(__WXGTK__)
// One compilation of the content rules; it may finish after the pane is gone.
struct ContentRulesRequest {
    wxWeakRef<CBodyBrowser> browser;
    std::string directory;  // where the compiled rules are stored meanwhile

    static void Finish(GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<ContentRulesRequest> request(static_cast<ContentRulesRequest*>(data));
        auto* store = WEBKIT_USER_CONTENT_FILTER_STORE(source);
        GError* error = nullptr;
        WebKitUserContentFilter* filter = webkit_user_content_filter_store_save_finish(store, result, &error);
        if (error != nullptr) {
            Trace("body pane: content rules not compiled: %s\n", error->message);
            g_error_free(error);
        }
        CBodyBrowser* browser = request->browser.get();
        WebKitWebView* native = browser != nullptr ? NativeView(browser->m_view) : nullptr;
        if (filter != nullptr && native != nullptr)
            webkit_user_content_manager_add_filter(webkit_web_view_get_user_content_manager(native), filter);
        if (browser != nullptr) browser->OnContentRules(filter != nullptr && native != nullptr);
        if (filter != nullptr) webkit_user_content_filter_unref(filter);
        g_object_unref(store);
        // The view keeps the compiled rules in memory.
        std::error_code ec;
        std::filesystem::remove_all(request->directory, ec);
    }
};
#endif

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
    RestrictView(m_view);
    m_view->EnableContextMenu(false);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_view, 1, wxEXPAND);
    SetSizer(sizer);
    m_ownLoads.push_back(wxS("about:blank"));  // the page the view starts with
    m_view->Bind(wxEVT_WEBVIEW_LOADED, &CBodyBrowser::OnLoaded, this);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &CBodyBrowser::OnNavigating, this);
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, &CBodyBrowser::OnNewWindow, this);
    InstallContentRules();
}

void CBodyBrowser::InstallContentRules() {
#if defined(__WXGTK__)
    // The rules are compiled into a file of a store; the view keeps them once
    // added, and the directory goes when the compilation has finished.
    GError* error = nullptr;
    gchar* directory = g_dir_make_tmp("zorvia-view-XXXXXX", &error);
    if (directory == nullptr) {
        Trace("body pane: no directory for the content rules: %s\n", error->message);
        g_error_free(error);
        OnContentRules(false);
        return;
    }
    auto* request = new ContentRulesRequest{this, directory};
    WebKitUserContentFilterStore* store = webkit_user_content_filter_store_new(directory);
    g_free(directory);
    GBytes* rules = g_bytes_new_static(kContentRules, sizeof kContentRules - 1);
    webkit_user_content_filter_store_save(store, "zorvia-local-only", rules, nullptr, &ContentRulesRequest::Finish,
                                          request);
    g_bytes_unref(rules);
#else
    // Other ports have no such rules here yet: they show the notice rather
    // than content that could reach out.
    OnContentRules(false);
#endif
}

void CBodyBrowser::OnContentRules(bool installed) {
    m_guard = installed ? Guard::Ready : Guard::Failed;
    LoadPending();
}

void CBodyBrowser::LoadPending() {
    if (m_pendingUrl) {
        const wxString url = *m_pendingUrl;
        m_pendingUrl.reset();
        LoadUrl(url);
    } else if (m_pagePending) {
        FlushPage();
    }
}

void CBodyBrowser::ClearPage() {
    if (m_view == nullptr) return;
    m_page.clear();
    m_pageBase = kRootUrl;
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
    LoadPage(ToWx(m_page));
}

void CBodyBrowser::LoadPage(const wxString& html) {
    m_pendingUrl.reset();
    m_pagePending = m_guard == Guard::Pending;
    if (m_pagePending) return;
    // The page's address is its base (the root directory for a written
    // page, so that relative addresses in it name local files as before; the
    // file itself for a shown document); the query only tells pages apart.
    m_expectedUrl = wxString::Format(wxS("%s?page=%u"), m_pageBase, ++m_pageNumber);
    m_ownLoads.push_back(m_expectedUrl);
    m_view->SetPage(m_guard == Guard::Ready ? html : ToWx(kUnguardedPage), m_expectedUrl);
}

void CBodyBrowser::LoadUrl(const wxString& url) {
    m_pagePending = false;
    if (m_guard == Guard::Pending) {
        m_pendingUrl = url;
        return;
    }
    if (m_guard == Guard::Failed) {
        LoadPage(wxString());
        return;
    }
    m_expectedUrl = url;
    m_ownLoads.push_back(url);
    m_view->LoadURL(url);
}

void CBodyBrowser::NavigateTo(const std::u16string& url) {
    if (m_view == nullptr) return;
    m_flushPending = false;
    m_loaded = false;
    const wxString text = ToWx(url);
    if (text.StartsWith(wxS("/"))) {
        LoadUrl(wxFileName::FileNameToURL(wxFileName(text)));
    } else if (text.empty()) {
        LoadUrl(wxS("about:blank"));
    } else {
        LoadUrl(text);
    }
}

void CBodyBrowser::ShowDocument(const std::u16string& page, const std::u16string& path) {
    if (m_view == nullptr) return;
    m_page = page;
    m_pageBase = ToWx(FileUrlOfPath(path));
    // Loaded like every written page, so that the navigation it makes is
    // one the view lets through, and only once the content rules hold.
    FlushPage();
}

void CBodyBrowser::CenterTarget() {
    if (m_view == nullptr) return;
#if defined(__WXGTK__)
    // Fire and forget: no completion callback can outlive the view.
    WebKitWebView* native = NativeView(m_view);
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

void CBodyBrowser::OnNavigating(wxWebViewEvent& event) {
    // The navigation a load of the program's own makes goes ahead; any other
    // (a link, a form, a refresh, a frame of the page) is stopped. Loads
    // replaced by a later one before they began never come: the view takes
    // loads in order, so those started before this one are forgotten.
    const auto own = std::find(m_ownLoads.begin(), m_ownLoads.end(), event.GetURL());
    if (own != m_ownLoads.end()) {
        m_ownLoads.erase(m_ownLoads.begin(), own + 1);
        return;
    }
    Trace("body pane: navigation to %s stopped\n", std::string(event.GetURL().utf8_str()).c_str());
    event.Veto();
}

void CBodyBrowser::OnNewWindow(wxWebViewEvent& event) {
    // A link that asks for a new window starts no program, but for the
    // support page of the version page, which opens in the user's browser.
    if (event.GetURL() != ToWx(kSupportPageAddress)) {
        Trace("body pane: new window for %s refused\n", std::string(event.GetURL().utf8_str()).c_str());
        return;
    }
    if (m_launchBrowser) {
        m_launchBrowser(event.GetURL());
    } else {
        const CUserLanguageEnvironment userLanguage;
        wxLaunchDefaultBrowser(event.GetURL());
    }
}

}  // namespace zorvia
