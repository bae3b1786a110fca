#include "app/ui/option_dlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/con_settings.h"
#include "app/option_values.h"
#include "app/ui/app_ids.h"
#include "platform/prompt.h"
#include "platform/text_convert.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

wxTextCtrl* NumberField(wxWindow* parent, int id, int value) {
    return new wxTextCtrl(parent, id, ToWx(FormatInt(value)), wxDefaultPosition,
                          wxDLG_UNIT(parent, wxSize(31, 14)));
}

// The largest number any field accepts.
constexpr int kLargestFieldValue =
    std::max({kBodyLineRange.maximum, kConcordanceCountRange.maximum, kWordListCountRange.maximum});

}  // namespace

CConOptionDlg::CConOptionDlg(wxWindow* parent, CConSettings& settings, IUserPrompt& prompt)
    : wxDialog(parent, wxID_ANY, ToWx(u"Zorvia Concordancer オプション")),
      m_settings(settings), m_prompt(prompt) {
    m_incremental = new wxCheckBox(this, ID_OPTION_INCREMENTAL, ToWx(u"インクリメンタル検索を行う(&I)"));
    m_incremental->SetValue(settings.useIncrementalSearch.value);
    m_bodyLines = NumberField(this, ID_OPTION_BODY_LINES, settings.bodyLine.value);
    m_concordanceCount = NumberField(this, ID_OPTION_CONCORDANCE_COUNT, settings.concordanceLineCount.value);
    m_wordListCount = NumberField(this, ID_OPTION_WORDLIST_COUNT, settings.wordlistSearchCount.value);
    m_detectEncoding =
        new wxCheckBox(this, ID_OPTION_DETECT_ENCODING, ToWx(u"文字コードを自動判定する（UTF-8・UTF-16）"));
    m_detectEncoding->SetValue(settings.detectEncoding.value);

    auto* grid = new wxFlexGridSizer(3, wxSize(8, 6));
    auto addRow = [&](const char16_t* label, wxTextCtrl* field, const char16_t* unit) {
        grid->Add(new wxStaticText(this, wxID_ANY, ToWx(label)), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(field, 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(new wxStaticText(this, wxID_ANY, ToWx(unit)), 0, wxALIGN_CENTER_VERTICAL);
    };
    addRow(u"本文に表示する行数(&L)", m_bodyLines, u"行");
    addRow(u"コンコーダンスリストの検索結果数(&C)", m_concordanceCount, u"行");
    addRow(u"単語リストの検索結果数(&W)", m_wordListCount, u"words");

    auto* ok = new wxButton(this, wxID_OK, wxS("OK"));
    auto* cancel = new wxButton(this, wxID_CANCEL, ToWx(u"キャンセル"));
    ok->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(ok, 0, wxRIGHT, 8);
    buttons->Add(cancel, 0);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_incremental, 0, wxALL, 10);
    column->Add(grid, 0, wxLEFT | wxRIGHT, 10);
    column->Add(m_detectEncoding, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizer(column);
    FitNumberFields();

    Bind(wxEVT_BUTTON, &CConOptionDlg::OnOk, this, wxID_OK);
    // A text box knows its own margins only once it is on the screen.
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        if (event.IsShown()) FitNumberFields();
        event.Skip();
    });
}

void CConOptionDlg::FitNumberFields() {
    // Every field shows the largest number that any field accepts, and is
    // never narrower than the dialog's own measure.
    const wxString largest = ToWx(FormatInt(kLargestFieldValue));
    for (wxTextCtrl* field : {m_bodyLines, m_concordanceCount, m_wordListCount}) {
        wxSize size = wxDLG_UNIT(this, wxSize(31, 14));
        size.IncTo(field->GetSizeFromTextSize(field->GetTextExtent(largest).x));
        field->SetMinSize(size);
    }
    GetSizer()->SetSizeHints(this);
}

bool CConOptionDlg::OnBnClickedOk() {
    struct Field {
        wxTextCtrl* control;
        OptionRange range;
        int value;
    };
    Field fields[] = {{m_bodyLines, kBodyLineRange, 0},
                      {m_concordanceCount, kConcordanceCountRange, 0},
                      {m_wordListCount, kWordListCountRange, 0}};
    for (Field& field : fields) {
        if (auto message = ValidateOptionField(FromWx(field.control->GetValue()), field.range, &field.value)) {
            m_prompt.Message(*message, PromptButtons::Ok, PromptIcon::Exclamation);
            field.control->SetFocus();
            field.control->SelectAll();
            return false;
        }
    }
    m_settings.bodyLine.value = fields[0].value;
    m_settings.concordanceLineCount.value = fields[1].value;
    m_settings.wordlistSearchCount.value = fields[2].value;
    m_settings.useIncrementalSearch.value = m_incremental->GetValue();
    m_settings.detectEncoding.value = m_detectEncoding->GetValue();
    return true;
}

void CConOptionDlg::OnOk(wxCommandEvent&) {
    if (!OnBnClickedOk()) return;
    if (IsModal()) {
        EndModal(wxID_OK);
    } else {
        SetReturnCode(wxID_OK);
        Hide();
    }
}

}  // namespace zorvia
