// What the analysis window asks of the main window: the corpus to read, the
// user's answers, and the two ways back into the main window (search a
// word, show the passage of one occurrence).
#pragma once

#include <cstdint>
#include <string>

#include "platform/prompt.h"

namespace zorvia {

class IAnalysisHost {
public:
    virtual ~IAnalysisHost() = default;
    // The open corpus file; empty, after telling the user, when none is open.
    virtual std::u16string CorpusPathForAnalysis() = 0;
    virtual IUserPrompt& AnalysisPrompt() = 0;
    // Searches `word` in the main window as if it had been typed.
    virtual void SearchWord(const std::u16string& word) = 0;
    // Shows the passage of occurrence `wid` (in line `lid`) in the body pane,
    // `word` marked, as a click in the concordance list does.
    virtual void PreviewOccurrence(std::int64_t wid, std::int64_t lid, const std::u16string& word) = 0;
    // A typed node in the words of the corpus's word rule (NodeInWordsOf);
    // as typed where every word is cut at the separators.
    virtual std::u16string NodeWordsForAnalysis(const std::u16string& node) { return node; }
};

}  // namespace zorvia
