// The options dialog: incremental search, lines of context, the two result
// limits and the detection of text encodings. OK stores the values in the
// settings in memory only.
#pragma once

#include <wx/dialog.h>

class wxCheckBox;
class wxTextCtrl;

namespace zorvia {

class CConSettings;
class IUserPrompt;

class CConOptionDlg : public wxDialog {
public:
    CConOptionDlg(wxWindow* parent, CConSettings& settings, IUserPrompt& prompt);

    // What the OK button does: validate the fields in order, store them and
    // close, or tell the user about the first bad field and keep it focused.
    // Returns whether the values were stored.
    bool OnBnClickedOk();

    wxTextCtrl* BodyLineField() const { return m_bodyLines; }
    wxTextCtrl* ConcordanceCountField() const { return m_concordanceCount; }
    wxTextCtrl* WordListCountField() const { return m_wordListCount; }
    wxCheckBox* IncrementalCheck() const { return m_incremental; }
    wxCheckBox* DetectEncodingCheck() const { return m_detectEncoding; }

private:
    void OnOk(wxCommandEvent& event);
    void FitNumberFields();

    CConSettings& m_settings;
    IUserPrompt& m_prompt;
    wxTextCtrl* m_bodyLines = nullptr;
    wxCheckBox* m_incremental = nullptr;
    wxTextCtrl* m_concordanceCount = nullptr;
    wxTextCtrl* m_wordListCount = nullptr;
    wxCheckBox* m_detectEncoding = nullptr;
};

}  // namespace zorvia
