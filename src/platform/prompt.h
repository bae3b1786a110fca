// What the core asks of the user: message boxes, the file chooser and the
// Shift key. The window layer answers with real dialogs; tests answer on cue.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvia {

enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Exclamation, Error, Question };
enum class PromptAnswer { Ok, Yes, No, Cancel };

struct FileFilter {
    std::u16string display;  // "テキストファイル (*.txt)"
    std::u16string pattern;  // "*.txt"
};

// The kinds of file the choosers ask for; each kind opens in the folder
// where the last file of that kind was chosen.
enum class FileKind { Other, Corpus, Text, Export };

struct FileRequest {
    bool save = false;                 // save mode asks before overwriting
    std::u16string title;
    std::vector<FileFilter> filters;
    std::u16string defaultPattern;     // "*.txt", handed over unchanged
    std::u16string initialName;        // empty for most commands
    FileKind kind = FileKind::Other;
    std::u16string initialFolder;      // where the chooser opens; PromptForFile fills it
};

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // A message box captioned with the application title.
    virtual PromptAnswer Message(const std::u16string& text, PromptButtons buttons,
                                 PromptIcon icon = PromptIcon::None) = 0;
    // The chooser's full path, or nothing when cancelled.
    virtual std::optional<std::u16string> ChooseFile(const FileRequest& request) = 0;
    virtual bool IsShiftDown() = 0;
    // A popup menu of `items` at the mouse pointer: the index of the chosen
    // item, or -1 when the menu was dismissed. Without a menu to show,
    // nothing is chosen.
    virtual int ChooseFromPopupMenu(const std::vector<std::u16string>& items) {
        (void)items;
        return -1;
    }
};

// The application title: message box captions, the settings section, the
// service name of the word-input service.
inline constexpr char16_t kAppTitle[] = u"Zorvia Concordancer";
inline constexpr char16_t kAppVersion[] = u"1.0.1";

}  // namespace zorvia

namespace zorvia {

// The common file chooser: the chosen path, or nothing when cancelled; in
// open mode a path counts only when a file or directory of that name exists.
// Unless the request names its folder, the chooser opens where the last file
// of the request's kind was chosen while the program runs (the home folder
// at first), and a chosen path becomes that place.
std::optional<std::u16string> PromptForFile(IUserPrompt& prompt, const FileRequest& request);

// The folder of the last file of `kind` chosen or opened while the program
// runs, ending in its separator; empty when there was none.
std::u16string RecentFolder(FileKind kind);
// Remembers the folder of the file `path` for its kind (not for Other).
void RememberFileFolder(FileKind kind, const std::u16string& path);

}  // namespace zorvia
