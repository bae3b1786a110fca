// Removes every occurrence of the words listed in a file (a stop-word list)
// from the corpus, in one transaction, with a progress window that can
// cancel the whole run. Lines and files stay; only word rows go.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"
#include "corpus/text_line_reader.h"
#include "platform/prompt.h"

namespace zorvia {

// A list of more lines than this (counted as lines + 1) is read only after
// the user agrees.
inline constexpr int kLargeWordListLines = 100000;
// At most this many lines are read in either pass.
inline constexpr int kMaxWordListLines = 10'000'000;

inline constexpr char16_t kLargeWordListQuestion[] = u"ファイルが１０万行以上あります。読み込みを続けますか？";
inline constexpr char16_t kWordsDeletedMessage[] = u"削除しました";

// The file chooser of the command: text files, "ignore.txt" offered.
FileRequest StopWordFileRequest();

enum class StopWordResult {
    Deleted,     // committed (the user was told)
    OpenFailed,  // the list could not be opened; nothing shown, nothing begun
    Cancelled,   // declined or cancelled; rolled back (the user was told)
    Failed,      // a statement failed; rolled back (the user was told)
    Refused,     // the corpus's words cannot be cut now (the user was told); nothing begun
};

struct StopWordOutcome {
    StopWordResult result = StopWordResult::Failed;
    std::int64_t statements = 0;  // DELETE statements sent: the words listed
    std::int64_t lines = 0;       // lines of the list read
    std::u16string errorText;     // SQLite's message when a statement failed
    TextLineReader::Report reading;  // how the list was read (when it was read to its end)
};

// The command after its file chooser. `showStatistics` runs after the
// commit, before "削除しました" (the main window shows its statistics page).
StopWordOutcome DeleteWordsInFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt,
                                  IProgressSink& progress, IStatusText& status,
                                  const std::function<void()>& showStatistics,
                                  EncodingChoice encoding = EncodingChoice::Detect);

}  // namespace zorvia
