// The user prompt on real wx dialogs.
#pragma once

#include "platform/prompt.h"

class wxWindow;

namespace zorvia {

class CWxPrompt : public IUserPrompt {
public:
    // `parent` owns the message boxes; it may be null.
    explicit CWxPrompt(wxWindow* parent = nullptr) : m_parent(parent) {}
    void SetParent(wxWindow* parent) { m_parent = parent; }

    PromptAnswer Message(const std::u16string& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<std::u16string> ChooseFile(const FileRequest& request) override;
    bool IsShiftDown() override;
    int ChooseFromPopupMenu(const std::vector<std::u16string>& items) override;

private:
    wxWindow* m_parent;
};

}  // namespace zorvia
