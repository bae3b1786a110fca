// Registers one text or HTML file in the corpus: a row in original_file, a
// row in line for every non-empty line and a row in word for every word of
// those lines, all inside one transaction, with a progress window that can
// cancel (and so roll back) the whole file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/corpus_transaction.h"
#include "corpus/progress.h"
#include "corpus/text_line_reader.h"
#include "platform/prompt.h"

namespace zorvia {

enum class ImportFileKind { Unknown, Text, Html };

// ".TXT" is text; ".HTML" or ".HTM" is HTML; compared without case.
ImportFileKind FileKindOfPath(std::u16string_view path);

// At most this many lines of a file are read, in the counting pass as in
// the loading pass (line indexes 0 to 9,999,999).
inline constexpr int kMaxImportLines = 10'000'000;

inline constexpr char16_t kUnknownFileKindMessage[] = u"ファイル形式が不明です。追加できません。";

// The visible text of HTML, line by line. The state and the tag-name buffer
// carry over from one line to the next, so a tag, a comment or a script may
// run over several lines; Reset starts a new file.
class HtmlScanner {
public:
    enum class State { Text, TagName, InTag, Quoted, Comment, Script };

    void Reset();
    // The characters of `line` read in state Text, into `visible` (replaced).
    void VisibleText(std::u16string_view line, std::u16string& visible);
    State GetState() const { return m_state; }

private:
    State m_state = State::Text;
    std::u16string m_tagName;
};

// `text` without leading and trailing spaces and tabs.
std::u16string_view TrimBlanks(std::u16string_view text);

// The registration time stored with a new file: seconds since 1970-01-01
// 00:00 UTC from the system clock, as a 32-bit signed number.
std::int32_t RegistrationTimeNow();
using RegistrationClock = std::int64_t (*)();
void SetRegistrationClockForTesting(RegistrationClock clock);  // nullptr restores the clock

enum class ImportResult {
    Committed,    // the file's rows are in the corpus
    NotOpen,      // no database open (the user was told)
    UnknownKind,  // refused by its extension (the user was told)
    OpenFailed,   // the file could not be opened; nothing shown, nothing begun
    Cancelled,    // the user cancelled; rolled back
    Failed,       // a statement failed; rolled back, the user was told
    Undecodable,  // bytes did not decode and the caller refuses such files; rolled back
    Refused,      // the corpus's words cannot be cut as they were (the user was told); nothing begun
};

struct ImportOptions {
    EncodingChoice encoding = EncodingChoice::Detect;
    // Roll the file back when any of its bytes did not decode.
    bool refuseUndecodable = false;
    // The "mecab-dictionary" setting: a corpus whose words MeCab cuts takes
    // files only when it names the dictionary the corpus was built with.
    std::u16string mecabDictionary;
};

struct ImportOutcome {
    ImportResult result = ImportResult::Failed;
    int oid = 0;               // the new file row (valid when committed)
    std::int64_t lines = 0;    // line rows written
    std::int64_t words = 0;    // word rows written
    std::u16string errorText;  // SQLite's message when a statement failed
    TextLineReader::Report reading;  // how the file was read (when it was read to its end)
};

// The whole import of one file. Every message box goes through `prompt`;
// `progress` is shown between the start of the transaction and its end;
// `status` is the message part of the status bar.
ImportOutcome ImportOneFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt,
                            IProgressSink& progress, IStatusText& status, const ImportOptions& options = {});

// The same, true when the file was committed.
bool ImportFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt, IProgressSink& progress,
                IStatusText& status);

// Files dropped on the main window: asks "%s をデータベースに追加しますか？"
// for each, with Yes/No for a single file and Yes/No/Cancel for several.
// Yes with Shift held imports this and every later file without asking;
// No skips the file; Cancel skips it and the rest. `importOne` imports a
// path (it runs its own checks, the database not open test included).
void ImportDroppedFiles(const std::vector<std::u16string>& paths, IUserPrompt& prompt,
                        const std::function<void(const std::u16string&)>& importOne);

// The file chooser of the add-file command.
FileRequest AddFileRequest();

// How one file of a command was read, for the report that follows it.
struct FileReading {
    std::u16string path;
    TextLineReader::Report reading;
    std::int64_t lines = 0;  // lines stored (import) or read (word list)
    std::int64_t words = 0;  // words stored or listed
};

// The message that lists the files with bytes that did not decode and their
// figures; nothing when every file read cleanly.
std::optional<std::u16string> UndecodableBytesMessage(const std::vector<FileReading>& files);

// The status bar's note of the encoding a file was read in.
std::u16string ReadEncodingStatus(const FileReading& file);

}  // namespace zorvia
