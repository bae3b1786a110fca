#include "platform/ui/toolkit_language.h"

#include <wx/intl.h>
#include <wx/translation.h>

#include <clocale>
#include <cstdlib>

namespace zorvia {

namespace {

constexpr char kLanguageVariable[] = "LANGUAGE";

// The user's LANGUAGE before the program replaced it.
struct UserLanguage {
    bool saved = false;
    std::optional<std::string> value;
};

UserLanguage& SavedUserLanguage() {
    static UserLanguage language;
    return language;
}

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

}  // namespace

void UseJapaneseToolkitTexts() {
    UserLanguage& user = SavedUserLanguage();
    if (!user.saved) {
        user.value = Variable(kLanguageVariable);
        user.saved = true;
    }
    // GTK's texts come from gettext, which takes the language from LANGUAGE
    // before the messages locale, but ignores it under the "C" locale. A
    // Japanese messages locale is used when the machine has one; otherwise
    // C.UTF-8, which every current glibc system carries, lets LANGUAGE
    // decide. Catalogs that do not ask for a character set of their own
    // (the C library's error texts, which GTK's dialogs show) come in that
    // of LC_CTYPE, so it must be UTF-8 too: under "C" they would turn into
    // question marks. Without such a locale the texts stay English.
    setenv(kLanguageVariable, "ja", 1);
    for (const char* locale : {"ja_JP.UTF-8", "C.UTF-8"}) {
        if (std::setlocale(LC_MESSAGES, locale) == nullptr) continue;
        if (std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr || std::setlocale(LC_CTYPE, locale) != nullptr) break;
        std::setlocale(LC_MESSAGES, "C");
    }

    // wx reads its catalog itself, without the process locale.
    auto* translations = new wxTranslations;
    translations->SetLanguage(wxLANGUAGE_JAPANESE);
    translations->AddStdCatalog();
    wxTranslations::Set(translations);
}

CUserLanguageEnvironment::CUserLanguageEnvironment() : m_programLanguage(Variable(kLanguageVariable)) {
    const UserLanguage& user = SavedUserLanguage();
    if (user.saved) SetVariable(kLanguageVariable, user.value);
}

CUserLanguageEnvironment::~CUserLanguageEnvironment() { SetVariable(kLanguageVariable, m_programLanguage); }

}  // namespace zorvia
