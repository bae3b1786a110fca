// The context preview of a hit: the lines of its file around it, every
// occurrence of the search word marked, the selected one as the target that
// the page's script scrolls to the middle of the pane.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "concordance/concordance_hit.h"
#include "corpus/corpus_database.h"

namespace zorvia {

class CWordRule;

// One stored line with each whole-word occurrence of `upperKey` (the search
// word folded to upper case) wrapped in a span. The typed part of each
// occurrence is emphasised plainly and the rest with the class "rest"
// (unless the typed word is as long as the key). Occurrence number
// `targetIndex` (from 0, whole words only) gets the id theTarget; -1 marks
// none. The line's text goes in unescaped. Words are those of `rule`; the
// separators when it is null.
std::u16string MarkPreviewLine(std::u16string_view text, std::u16string_view upperKey, std::size_t typedLength,
                               int targetIndex, CWordRule* rule = nullptr);

struct PreviewPage {
    // Written after one clear, in this order; the second is the scrolling
    // script and the page tail.
    std::u16string firstPiece;
    std::u16string secondPiece;
    std::u16string bodyFilePath;          // the hit's file as stored, or empty
    int bodyLine = 0;                     // the hit's line_no
    std::uint32_t elapsedMilliseconds = 0;  // the queries and the first piece
};

// The page for a completed hit (line_no, oid and i_foundat looked up): the
// file's lines whose lid lies strictly within `bodyLineSetting` of the hit's.
// The caller tests that a database is open and shows "Retrieving the
// contents..." before, and the elapsed time after.
PreviewPage BuildPreviewPage(CCorpusDatabase& db, const ConcordanceHit& hit, std::u16string_view searchWord,
                             std::u16string_view typedWord, int bodyLineSetting, const std::u16string& pageHead);

}  // namespace zorvia
