#include "platform/ui/wx_prompt.h"

#include <wx/filedlg.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "platform/ui/wx_text.h"

namespace zorvia {

PromptAnswer CWxPrompt::Message(const std::u16string& text, PromptButtons buttons, PromptIcon icon) {
    long style = 0;
    switch (buttons) {
        case PromptButtons::Ok: style = wxOK; break;
        case PromptButtons::YesNo: style = wxYES_NO; break;
        case PromptButtons::YesNoCancel: style = wxYES_NO | wxCANCEL; break;
    }
    switch (icon) {
        case PromptIcon::None: style |= wxICON_NONE; break;
        case PromptIcon::Information: style |= wxICON_INFORMATION; break;
        case PromptIcon::Exclamation: style |= wxICON_EXCLAMATION; break;
        case PromptIcon::Error: style |= wxICON_ERROR; break;
        case PromptIcon::Question: style |= wxICON_QUESTION; break;
    }
    wxMessageDialog dialog(m_parent, ToWx(text), ToWx(kAppTitle), style);
    switch (dialog.ShowModal()) {
        case wxID_YES: return PromptAnswer::Yes;
        case wxID_NO: return PromptAnswer::No;
        case wxID_CANCEL: return PromptAnswer::Cancel;
        default: return PromptAnswer::Ok;
    }
}

std::optional<std::u16string> CWxPrompt::ChooseFile(const FileRequest& request) {
    wxString wildcard;
    for (const auto& filter : request.filters) {
        if (!wildcard.empty()) wildcard += wxS("|");
        wildcard += ToWx(filter.display) + wxS("|") + ToWx(filter.pattern);
    }
    long style = request.save ? (wxFD_SAVE | wxFD_OVERWRITE_PROMPT) : wxFD_OPEN;
    wxFileDialog dialog(m_parent, ToWx(request.title), ToWx(request.initialFolder), ToWx(request.initialName), wildcard,
                        style);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return FromWx(dialog.GetPath());
}

bool CWxPrompt::IsShiftDown() { return wxGetKeyState(WXK_SHIFT); }

int CWxPrompt::ChooseFromPopupMenu(const std::vector<std::u16string>& items) {
    if (m_parent == nullptr || items.empty()) return -1;
    wxMenu menu;
    {
        // A hint after the tab that is not a key ("Double-Click") is shown
        // as it stands; wx would warn that it cannot bind it.
        wxLogNull quiet;
        for (std::size_t i = 0; i < items.size(); ++i) menu.Append(static_cast<int>(i) + 1, ToWx(items[i]));
    }
    const int chosen = m_parent->GetPopupMenuSelectionFromUser(menu);
    return chosen == wxID_NONE ? -1 : chosen - 1;
}

}  // namespace zorvia
