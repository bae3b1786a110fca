// Concordance search with its fallbacks, hit deletion and the KWIC items.
#include <gtest/gtest.h>

#include "concordance/concordance_search.h"
#include "concordance/hit_deletion.h"
#include "concordance/kwic_item.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"
#include "wordlist/word_list.h"

namespace zorvia {
namespace {

// The main window's side of the search command, answered by the real
// queries; it logs "list:prefix" and "search:word" in the order they come.
struct QueryBackedTarget : ISearchCommandTarget {
    explicit QueryBackedTarget(CCorpusDatabase& database) : db(database) {}
    void WordListSearch(const std::u16string& prefix) override {
        log += u"list:" + prefix + u" ";
        list = QueryWordsStartingWith(db, prefix, 20);
    }
    int WordListCount() override { return static_cast<int>(list.size()); }
    std::u16string WordListKey0() override { return list.at(0).key; }
    bool ConcordanceSearch(const std::u16string& word) override {
        log += u"search:" + word + u" ";
        hits = SearchConcordance(db, word, 50);
        return !hits.empty();
    }
    CCorpusDatabase& db;
    std::u16string log;
    std::vector<WordListRow> list;
    std::vector<ConcordanceHit> hits;
};

TEST(SearchCommand, FallsBackToPrefixWordsThenToOneCharacterLess) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    std::vector<std::string> lines(12, "apple pie");
    lines.insert(lines.end(), 3, "Apply it, don't stop.");
    lines.push_back("\xC4\xB0stanbul \xC4\xB0stanbul \xC4\xB0stanbul Istanbul");
    test::AddFile(db, "/fruit.txt", lines);
    const std::u16string math = test::W("\xF0\x9D\x90\x80");  // U+1D400, a surrogate pair
    struct Case {
        std::u16string typed, searchWord, log;
        std::size_t hits;
    };
    for (const Case& c : {
             Case{u"Apple", u"Apple", u"list:Apple search:Apple ", 12},
             // The most frequent word beginning with the typed text, by its
             // stored key.
             Case{u"appl", u"APPLE", u"list:appl search:appl search:APPLE ", 12},
             // Nothing begins with it: one character less, then its best word.
             Case{u"applz", u"APPLE", u"list:applz search:applz list:appl search:appl search:APPLE ", 12},
             Case{u"applzz", u"applz", u"list:applzz search:applzz list:applz search:applz ", 0},
             // The empty word lists the whole corpus; APPLE and PIE (12) tie,
             // the shorter wins.
             Case{u"q", u"PIE", u"list:q search:q list: search: search:PIE ", 12},
             // A character outside the BMP goes as a whole, not half a pair.
             Case{math, u"PIE", u"list:" + math + u" search:" + math + u" list: search: search:PIE ", 12},
             // The quote is doubled; no stored word holds one.
             Case{u"don't", u"don'", u"list:don't search:don't list:don' search:don' ", 0},
             // The key of "İstanbul" shows as "istanbul", which folds to the
             // key of "Istanbul": the fallback must take the stored key.
             Case{u"İst", u"İSTANBUL", u"list:İst search:İst search:İSTANBUL ", 3},
         }) {
        QueryBackedTarget target(db);
        std::u16string searchWord;
        test::TraceCapture trace;
        RunSearchFallbacks(c.typed, searchWord, target);
        EXPECT_EQ(searchWord, c.searchWord) << test::N(c.typed);
        EXPECT_EQ(target.log, c.log) << test::N(c.typed);
        EXPECT_EQ(target.hits.size(), c.hits) << test::N(c.typed);
        EXPECT_EQ(trace.Count("con-list is empty...\n"), c.log.find(u"search:") != c.log.rfind(u"search:") ? 1 : 0);
    }
}

TEST(SearchConcordance, LimitKeepsTheFirstOccurrencesInReadingOrder) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    test::AddFile(db, "/a.txt", {"x y x", "x x"});
    test::AddFile(db, "/b.txt", {"y x x x x x x"});
    const auto hits = SearchConcordance(db, u"x", 3);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].wid, 1);
    EXPECT_EQ(hits[1].wid, 3);
    EXPECT_EQ(hits[2].lid, 2);
    EXPECT_EQ(hits[2].i_foundat, -1);
    EXPECT_EQ(SearchConcordance(db, u"X", 50).size(), 10u);
}

TEST(DeleteHitFromCorpus, DeletesTheOccurrenceOrRollsBackAndReports) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    test::AddFile(db, "/a.txt", {"the cat and the dog"});  // wids 1 to 5
    auto words = [&] { return test::QueryInt(db, u"SELECT count(*) FROM word"); };

    EXPECT_TRUE(DeleteHitFromCorpus(db, 4).deleted());
    EXPECT_EQ(words(), 4);
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM line"), 1);

    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER keep BEFORE DELETE ON word WHEN old.wid=5 "
                        u"BEGIN SELECT RAISE(ABORT, 'dog is kept'); END"));
    DeleteHitResult result = DeleteHitFromCorpus(db, 5);
    EXPECT_EQ(result.outcome, DeleteHitResult::Outcome::DeleteFailed);
    EXPECT_EQ(result.errorText, u"dog is kept");
    EXPECT_TRUE(test::NoTransactionOpen(db));

    // The DELETE passes; the COMMIT fails and would leave the transaction open.
    test::PinWordUntilCommit(db, u"CAT");
    result = DeleteHitFromCorpus(db, 2);
    EXPECT_EQ(result.outcome, DeleteHitResult::Outcome::CommitFailed);
    EXPECT_EQ(result.errorText, u"FOREIGN KEY constraint failed");
    EXPECT_TRUE(test::NoTransactionOpen(db));
    EXPECT_EQ(words(), 4);

    // A transaction of someone else is neither used nor ended.
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    EXPECT_EQ(DeleteHitFromCorpus(db, 1).outcome, DeleteHitResult::Outcome::NotStarted);
    EXPECT_TRUE(db.Exec(u"ROLLBACK"));
    EXPECT_EQ(words(), 4);
}

class KwicItem : public ::testing::Test {
protected:
    void SetUp() override { test::OpenCorpus(db); }
    // The texts of hit `index` of `word`, as the list draws them.
    std::optional<KwicText> Item(const std::u16string& word, std::size_t index) {
        hits = SearchConcordance(db, word, 50);
        if (index >= hits.size()) return std::nullopt;
        return PrepareKwicItem(db, hits[index], cache, word, static_cast<int>(index));
    }
    // "left|key|right" of the item.
    std::u16string Text(const std::u16string& word, std::size_t index) {
        const auto text = Item(word, index);
        return text ? text->left + u"|" + text->key + u"|" + text->right : u"<nothing drawn>";
    }
    CCorpusDatabase db;
    LineCache cache;
    std::vector<ConcordanceHit> hits;
};

TEST_F(KwicItem, KeyIsTheHitsWholeWordWithContextRunningIntoNeighbours) {
    test::AddFile(db, "/a.txt", {"Theme of the theory", "He said: the end.", "The cat and the dog"});
    EXPECT_EQ(Text(u"THE", 0), u"Theme of |the| theory He said: the end.");
    EXPECT_EQ(Text(u"the", 1), u"Theme of the theory He said: |the| end. The cat and the dog");
    EXPECT_EQ(Text(u"the", 2), u"He said: the end. |The| cat and the dog");
    EXPECT_EQ(Text(u"the", 3), u"He said: the end. The cat and |the| dog");
    EXPECT_EQ(hits[3].i_foundat, 1);
    EXPECT_EQ(hits[3].line_no, 2);
    EXPECT_EQ(cache.size(), 3u);
    // With no search word the whole line is right of an empty key.
    EXPECT_EQ(PrepareKwicItem(db, hits[0], cache, u"", 0)->right, u"Theme of the theory He said: the end.");
}

TEST_F(KwicItem, FileStartsAndUnstoredLinesEndTheContextAndGoneOccurrencesDrawNothing) {
    test::AddFile(db, "/first.txt", {"last of the first file"});
    test::AddFile(db, "/second.txt", {"the start", "", "after an empty the", "last"});
    test::TraceCapture trace;
    // The previous file's line has the lid just before, but is not shown.
    EXPECT_EQ(Text(u"the", 1), u"|the| start");
    EXPECT_EQ(hits[1].lid_b, -1);
    EXPECT_EQ(Text(u"the", 2), u"after an empty |the| last");
    EXPECT_EQ(trace.Count("１つ前の行がないっぽ？\n"), 1);

    // Searched again, then the first file removed and THE deleted from the
    // second before the items are drawn.
    hits = SearchConcordance(db, u"the", 50);
    ASSERT_TRUE(db.Exec(u"DELETE FROM line WHERE oid=1"));
    ASSERT_TRUE(db.Exec(u"DELETE FROM word"));
    LineCache fresh;
    EXPECT_FALSE(PrepareKwicItem(db, hits[0], fresh, u"the", 0));
    EXPECT_FALSE(PrepareKwicItem(db, hits[2], fresh, u"the", 2));
    EXPECT_EQ(trace.Count(" line の中に -1 番目の検索語が見つからなかったorz\n"), 1);
}

// Ten pixels per code unit.
int FakeWidth(std::u16string_view text) { return static_cast<int>(text.size()) * 10; }

// The x ranges of a layout's texts; key parts in the typed (t) or the rest
// (r) colour.
std::string Geometry(const KwicLayout& layout) {
    const auto range = [](const KwicRect& r) { return std::to_string(r.left) + "-" + std::to_string(r.right); };
    std::string text = "left " + range(layout.leftRect) + " key";
    for (const KwicKeyPart& part : layout.keyParts)
        text += " " + test::N(part.text) + "@" + range(part.rect) + (part.colour == kKwicTypedColour ? "t" : "r");
    return text + " right " + range(layout.rightRect);
}

TEST(LayoutKwic, CentresTheKeyAndColoursItsParts) {
    const KwicLayout layout = LayoutKwic(9, {u"He said: ", u"the", u" end."}, 3, {5, 20, 234, 36}, FakeWidth);
    EXPECT_EQ(layout.number, u"  10");
    EXPECT_EQ(layout.numberRect.right, 30);
    EXPECT_EQ(layout.dividerX, 30);
    // x0 = 33, w = 30, c = (234 - 33 - 30) / 2 = 85.
    EXPECT_EQ(Geometry(layout), "left 33-118 key the@118-148t right 148-234");

    // A key wider than the area: c = -101 / 2 truncates to -50.
    const KwicLayout wide = LayoutKwic(0, {u"l", std::u16string(30, u'k'), u"r"}, 30, {0, 0, 227, 16}, FakeWidth);
    EXPECT_EQ(wide.keyX, -22);
    EXPECT_LT(wide.leftRect.right, wide.leftRect.left);

    // The typed part of the key blue, the part the search completed violet;
    // typed longer than the key (applz searched as appl), all of it blue.
    EXPECT_EQ(Geometry(LayoutKwic(0, {u"", u"apple", u""}, 4, {0, 0, 228, 16}, FakeWidth)),
              "left 28-103 key appl@103-143t e@143-153r right 153-228");
    EXPECT_EQ(Geometry(LayoutKwic(0, {u"", u"appl", u""}, 5, {0, 0, 228, 16}, FakeWidth)),
              "left 28-108 key appl@108-148t @148-148r right 148-228");

    // A wider number area moves the divider and the text area with it.
    const KwicLayout wideNumbers = LayoutKwic(0, {u"", u"appl", u""}, 4, {0, 0, 228, 16}, FakeWidth, 43);
    EXPECT_EQ(wideNumbers.dividerX, 43);
    EXPECT_EQ(Geometry(wideNumbers), "left 46-117 key appl@117-157t right 157-228");
}

// The number area holds the list's largest number ("%4d") and a little room,
// never less than 25 pixels.
TEST(KwicNumberWidth, HoldsTheLargestNumber) {
    const auto narrow = [](std::u16string_view text) { return static_cast<int>(text.size()) * 5; };
    EXPECT_EQ(KwicNumberWidth(12, narrow), 25);           // "  12": 20 + 3
    EXPECT_EQ(KwicNumberWidth(9999, FakeWidth), 43);      // "9999": 40 + 3
    EXPECT_EQ(KwicNumberWidth(123456, FakeWidth), 63);    // six digits
    EXPECT_EQ(KwicNumberWidth(0, FakeWidth), 43);         // "   0": four places
}

// The highlight text colour of the desktop is kept when it reads on the
// selection fill; a pale one gives way to black, on a dark fill to white.
TEST(ReadableTextColour, KeepsAReadableColourAndReplacesAPaleOne) {
    EXPECT_EQ(ReadableTextColour(kKwicSelectionFill, {255, 255, 255}), (KwicColour{0, 0, 0}));
    EXPECT_EQ(ReadableTextColour(kKwicSelectionFill, {0, 0, 0}), (KwicColour{0, 0, 0}));
    EXPECT_EQ(ReadableTextColour(kKwicSelectionFill, {20, 20, 80}), (KwicColour{20, 20, 80}));
    EXPECT_EQ(ReadableTextColour({20, 20, 60}, {40, 40, 90}), (KwicColour{255, 255, 255}));
}

}  // namespace
}  // namespace zorvia
