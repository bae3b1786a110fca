// The toolkit's own texts in Japanese, like every text of the program: the
// buttons of message boxes, the file chooser, the body pane's context menu.
#pragma once

#include <optional>
#include <string>

namespace zorvia {

// Loads wx's Japanese catalog and has GTK (and the libraries under it)
// translate into Japanese, whatever language the user's session has. Only
// the messages category of the process locale changes, and the character
// type becomes UTF-8 for the translated texts: how numbers are read and
// written and how text sorts stay as they are. Call once the toolkit has
// started.
void UseJapaneseToolkitTexts();

// While it lives, the environment holds the user's own language again, so
// that a program started meanwhile (the desktop's browser) speaks it.
class CUserLanguageEnvironment {
public:
    CUserLanguageEnvironment();
    ~CUserLanguageEnvironment();
    CUserLanguageEnvironment(const CUserLanguageEnvironment&) = delete;
    CUserLanguageEnvironment& operator=(const CUserLanguageEnvironment&) = delete;

private:
    std::optional<std::string> m_programLanguage;
};

}  // namespace zorvia
