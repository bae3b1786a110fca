#include "concordance/concordance_search.h"

#include <gtest/gtest.h>

#include "support/corpus_builder.h"
#include "support/test_support.h"
#include "wordlist/word_list.h"

namespace zorvia {
namespace {

using Words = std::vector<std::u16string>;

// The main window's side of the search command, answered by the real queries.
class QueryBackedTarget : public ISearchCommandTarget {
public:
    explicit QueryBackedTarget(CCorpusDatabase& db) : m_db(db) {}
    void WordListSearch(const std::u16string& prefix) override {
        prefixes.push_back(prefix);
        list = QueryWordsStartingWith(m_db, prefix, 20);
    }
    int WordListCount() override { return static_cast<int>(list.size()); }
    std::u16string WordListItem0() override { return list.at(0).word; }
    bool ConcordanceSearch(const std::u16string& word) override {
        searched.push_back(word);
        hits = SearchConcordance(m_db, word, 50);
        return !hits.empty();
    }
    Words prefixes, searched;
    std::vector<WordListRow> list;
    std::vector<ConcordanceHit> hits;

private:
    CCorpusDatabase& m_db;
};

TEST(SearchCommand, FallsBackToPrefixWordsThenToOneCharacterLess) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    std::vector<std::string> lines(12, "apple pie");
    lines.insert(lines.end(), 3, "Apply it, don't stop.");
    test::AddFile(db, "/fruit.txt", lines);

    struct Case {
        std::u16string typed, searchWord;
        Words prefixes, searched;
        std::size_t hits;
    };
    const std::u16string math = test::W("\xF0\x9D\x90\x80");  // U+1D400, a surrogate pair
    const Case cases[] = {
        {u"Apple", u"Apple", {u"Apple"}, {u"Apple"}, 12},
        // The most frequent word beginning with the typed text.
        {u"appl", u"apple", {u"appl"}, {u"appl", u"apple"}, 12},
        // Nothing begins with it: one character less, then its best word.
        {u"applz", u"apple", {u"applz", u"appl"}, {u"applz", u"appl", u"apple"}, 12},
        {u"applzz", u"applz", {u"applzz", u"applz"}, {u"applzz", u"applz"}, 0},
        // The empty word lists the whole corpus; APPLE and PIE (12) tie, the
        // shorter wins.
        {u"q", u"pie", {u"q", u""}, {u"q", u"", u"pie"}, 12},
        // A character outside the BMP goes as a whole, not half a pair.
        {math, u"pie", {math, u""}, {math, u"", u"pie"}, 12},
        // The quote is doubled; no stored word holds one.
        {u"don't", u"don'", {u"don't", u"don'"}, {u"don't", u"don'"}, 0},
    };
    for (const Case& c : cases) {
        QueryBackedTarget target(db);
        std::u16string searchWord;
        test::TraceCapture trace;
        RunSearchFallbacks(c.typed, searchWord, target);
        const std::string name = test::N(c.typed);
        EXPECT_EQ(searchWord, c.searchWord) << name;
        EXPECT_EQ(target.prefixes, c.prefixes) << name;
        EXPECT_EQ(target.searched, c.searched) << name;
        EXPECT_EQ(target.hits.size(), c.hits) << name;
        EXPECT_EQ(trace.Count("con-list is empty...\n"), target.searched.size() > 1 ? 1 : 0) << name;
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

}  // namespace
}  // namespace zorvia
