// The word rule of the open corpus: the separators or MeCab's morphemes,
// one line explaining each. It can be changed only while the corpus holds
// no file; otherwise the choices are shown disabled with the reason.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxButton;
class wxRadioButton;
class wxStaticText;

namespace zorvia {

class CCorpusDatabase;
class IUserPrompt;

class CWordRuleDlg : public wxDialog {
public:
    // `dictionarySetting`: the "mecab-dictionary" setting, the dictionary
    // that choosing MeCab records.
    CWordRuleDlg(wxWindow* parent, CCorpusDatabase& db, const std::u16string& dictionarySetting,
                 IUserPrompt& prompt);

    // What OK does: records the chosen rule when it differs from the
    // corpus's. False, after telling the user, when it could not be.
    bool OnBnClickedOk();

    wxRadioButton* SeparatorsChoice() const { return m_separators; }
    wxRadioButton* MecabChoice() const { return m_mecab; }
    // Empty when the rule can be changed.
    wxStaticText* ReasonText() const { return m_reason; }
    wxButton* OkButton() const { return m_ok; }

private:
    void OnOk(wxCommandEvent& event);

    CCorpusDatabase& m_db;
    std::u16string m_dictionarySetting;
    IUserPrompt& m_prompt;
    wxRadioButton* m_separators = nullptr;
    wxRadioButton* m_mecab = nullptr;
    wxStaticText* m_reason = nullptr;
    wxButton* m_ok = nullptr;
};

}  // namespace zorvia
