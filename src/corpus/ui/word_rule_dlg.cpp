#include "corpus/ui/word_rule_dlg.h"

#include <initializer_list>

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "corpus/corpus_database.h"
#include "corpus/mecab_cutter.h"
#include "corpus/word_rule.h"
#include "platform/prompt.h"
#include "platform/ui/wx_text.h"

namespace zorvia {

namespace {

constexpr char16_t kSeparatorsExplanation[] =
    u"空白・句読点などの記号で区切ります。日本語の文は、記号から記号までが一語です。";
constexpr char16_t kMecabExplanation[] =
    u"日本語を含む部分を MeCab で形態素に区切ります（ほかの部分は記号で区切ります）。";

}  // namespace

CWordRuleDlg::CWordRuleDlg(wxWindow* parent, CCorpusDatabase& db, const std::u16string& dictionarySetting,
                           IUserPrompt& prompt)
    : wxDialog(parent, wxID_ANY, ToWx(u"単語の区切り方")),
      m_db(db), m_dictionarySetting(dictionarySetting), m_prompt(prompt) {
    CWordRule& rule = db.WordRule();
    m_separators = new wxRadioButton(this, wxID_ANY, ToWx(u"記号で区切る（separators）(&S)"), wxDefaultPosition,
                                     wxDefaultSize, wxRB_GROUP);
    m_mecab = new wxRadioButton(this, wxID_ANY, ToWx(u"MeCab で形態素に区切る（mecab）(&M)"));
    (rule.Kind() == WordRuleKind::Mecab ? m_mecab : m_separators)->SetValue(true);

    // The dictionary MeCab would use: the corpus's own once it has one,
    // otherwise the one the setting names.
    std::u16string dictionary;
    if (rule.Kind() == WordRuleKind::Mecab) {
        dictionary = u"辞書：" + rule.Dictionary();
    } else {
        const MecabDictionary wanted = ResolveMecabDictionary(dictionarySetting);
        dictionary = wanted.Found() ? u"辞書：" + wanted.directory : u"使えません：" + wanted.error;
    }

    const auto reason = WordRuleLockedReason(db);
    m_reason = new wxStaticText(this, wxID_ANY, ToWx(reason ? *reason : std::u16string()));
    m_separators->Enable(!reason);
    m_mecab->Enable(!reason);

    m_ok = new wxButton(this, wxID_OK, wxS("OK"));
    auto* cancel = new wxButton(this, wxID_CANCEL, ToWx(u"キャンセル"));
    m_ok->Enable(!reason);
    (reason ? cancel : m_ok)->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(m_ok, 0, wxRIGHT, 8);
    buttons->Add(cancel, 0);

    // The lines that explain a choice stand under its label.
    auto explained = [this](std::initializer_list<std::u16string> lines) {
        auto* block = new wxBoxSizer(wxVERTICAL);
        for (const std::u16string& line : lines) block->Add(new wxStaticText(this, wxID_ANY, ToWx(line)));
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        row->AddSpacer(FromDIP(20));
        row->Add(block);
        return row;
    };
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY,
                                 ToWx(u"このコーパスの単語の区切り方です。ファイルを追加する前にだけ変えられます。")),
                0, wxALL, 10);
    column->Add(m_separators, 0, wxLEFT | wxRIGHT, 10);
    column->Add(explained({kSeparatorsExplanation}), 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    column->Add(m_mecab, 0, wxLEFT | wxRIGHT, 10);
    column->Add(explained({kMecabExplanation, dictionary}), 0, wxLEFT | wxRIGHT, 10);
    if (reason) column->Add(m_reason, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);

    Bind(wxEVT_BUTTON, &CWordRuleDlg::OnOk, this, wxID_OK);
}

bool CWordRuleDlg::OnBnClickedOk() {
    const WordRuleKind chosen = m_mecab->GetValue() ? WordRuleKind::Mecab : WordRuleKind::Separators;
    // Choosing MeCab again on an empty MeCab corpus records the dictionary
    // of the setting anew.
    if (chosen == WordRuleKind::Separators && m_db.WordRule().Kind() == WordRuleKind::Separators) return true;
    const WordRuleChangeOutcome outcome = SetCorpusWordRule(m_db, chosen, m_dictionarySetting);
    if (outcome.result == WordRuleChange::Set) return true;
    m_prompt.Message(u"単語の区切り方を変えられませんでした。\n" + outcome.message, PromptButtons::Ok,
                     PromptIcon::Error);
    return false;
}

void CWordRuleDlg::OnOk(wxCommandEvent&) {
    if (!OnBnClickedOk()) return;
    if (IsModal()) {
        EndModal(wxID_OK);
    } else {
        SetReturnCode(wxID_OK);
        Hide();
    }
}

}  // namespace zorvia
