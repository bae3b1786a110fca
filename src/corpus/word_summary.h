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
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"

namespace zorvia {

// True when the summary is complete: its tables, its index and all its
// triggers are in the file (a summary without its triggers would go stale).
bool HasWordSummary(CCorpusDatabase& db);

// The statement behind HasWordSummary, for a connection of another kind: one
// row, one column, 1 when the summary is complete.
std::u16string WordSummaryPresenceQuery();

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

// --- the program's own changes of many rows ----------------------------------------

// The import and the removals of files and words change word rows by the
// hundred thousand; the triggers would run for each row (and be compiled
// again for each statement). Inside such an operation's own transaction a
// batch sets the word table's triggers aside and keeps the summary itself:
// the inserted rows are counted as they go in, the deleted ones read before
// they go (or, for a whole folded word, by its kept counts), and at the end the
// counts reach the summary a set at a time and the triggers come back. A
// rollback brings the triggers back with everything else. On a corpus
// without the summary a batch does nothing.
//
// Between Begin and Finish every change of word rows through the connection
// goes through the batch. (The window's other commands, run from the
// operation's pumps, cannot begin a transaction of their own meanwhile, so
// they change nothing.)
class SummaryBatch {
public:
    // Right after the operation's BEGIN. False, with SQLite's message in the
    // database's error text, when the triggers could not be set aside.
    bool Begin(CCorpusDatabase& db);
    // After each INSERT of a word row that succeeded.
    void Inserted(std::u16string_view word, std::u16string_view folded);
    // Right before "DELETE FROM word WHERE word_upper='<folded>'".
    bool DeletingFoldedWord(std::u16string_view folded);
    // Right before "DELETE FROM word WHERE <condition>": counts the rows the
    // statement will delete.
    bool BeforeDelete(const std::u16string& condition);
    // Right before the operation's COMMIT.
    bool Finish();

private:
    // Written form -> its folded word and the rows inserted less those
    // deleted. A form is folded always alike by the program; a form stored
    // with another fold as well is kept under a key of both. The import
    // counts its UTF-16 words; the rows read back before a delete are
    // counted as SQLite gives them, in UTF-8, which spares a conversion of
    // every one.
    template <typename Char>
    class CChanges {
    public:
        using View = std::basic_string_view<Char>;
        struct Change {
            std::basic_string<Char> folded;
            std::int64_t rows = 0;
        };
        void Add(View word, View folded, std::int64_t rows);
        void Clear() { m_map.clear(); }
        void EraseFolded(View folded) {
            std::erase_if(m_map, [&](const auto& entry) { return entry.second.folded == folded; });
        }
        const auto& Map() const { return m_map; }

    private:
        // Looked up by a view of the word, without making a string of it.
        struct Hash {
            using is_transparent = void;
            std::size_t operator()(View word) const { return std::hash<View>{}(word); }
        };
        std::unordered_map<std::basic_string<Char>, Change, Hash, std::equal_to<>> m_map;
    };

    CCorpusDatabase* m_db = nullptr;  // null while no summary is kept
    CChanges<char16_t> m_inserted;
    CChanges<char> m_deleted;
};

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
