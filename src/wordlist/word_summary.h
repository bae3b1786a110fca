// The speed-up of a large corpus: the index word_lid, which completing every
// hit joins on, and a kept summary of the word table: every distinct folded
// word with its count, every distinct written form with its count, and the
// totals of files, lines, words and forms. Triggers on the corpus tables keep
// the summary exact for every program that writes them, also one that knows
// nothing of it. The summary only adds objects to a corpus file; the corpus
// tables and their queries stay as they are.
//
// While the summary is there, the word lists and the version page read it
// instead of grouping or counting the word table, in the very order the
// grouping gives; without it they run the grouping queries.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"

namespace zorvia {

// True when the summary is complete: its tables, its index and all its
// triggers are in the file (a summary without its triggers would go stale).
bool HasWordSummary(CCorpusDatabase& db);

enum class SpeedUpResult {
    Done,       // committed
    Cancelled,  // the user cancelled; rolled back
    Failed,     // a statement failed; rolled back (errorText says why)
};

struct SpeedUpOutcome {
    SpeedUpResult result = SpeedUpResult::Failed;
    std::u16string errorText;
};

// Adds the index word_lid (unless it is there) and builds the summary from
// the corpus afresh, all in one transaction. `progress` shows the steps and
// its pump, also during the long statements, can cancel; a cancel or a
// failure rolls everything back.
SpeedUpOutcome CreateSpeedUp(CCorpusDatabase& db, IProgressSink& progress);

// Drops everything the speed-up adds (the names of its objects are its own),
// in one transaction. Done also when nothing was there.
SpeedUpOutcome RemoveSpeedUp(CCorpusDatabase& db);

// --- reading the summary ---------------------------------------------------------
// Each runs its query only when the summary is there and then returns whether
// the statement succeeded, with the rows in the database object's result:
// column 0 the folded word, column 1 its count (a failing statement leaves
// the rows delivered before it). Nothing means nothing was run: the caller
// groups the word table itself.

// The `limit` most frequent words (limit < 0: all of them): more occurrences
// first, then shorter, then by code point.
std::optional<bool> QuerySummaryRanking(CCorpusDatabase& db, int limit);

// The same for the words that match the GLOB pattern `foldedPrefix` followed
// by "*" (only quotes are escaped: * ? [ stay wildcards).
std::optional<bool> QuerySummaryStartingWith(CCorpusDatabase& db, std::u16string_view foldedPrefix, int limit);

struct SummaryTotals {
    int files = 0;
    int lines = 0;
    int words = 0;
    int forms = 0;  // distinct values of word.word, letter case kept
};

std::optional<SummaryTotals> SummaryCorpusTotals(CCorpusDatabase& db);

}  // namespace zorvia
