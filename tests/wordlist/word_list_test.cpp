#include "wordlist/word_list.h"

#include <gtest/gtest.h>

#include "support/corpus_builder.h"

namespace zorvia {
namespace {

using Words = std::vector<std::u16string>;

Words WordsOf(const std::vector<WordListRow>& rows) {
    Words words;
    for (const auto& row : rows) words.push_back(row.word);
    return words;
}

class WordList : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenCorpus(db);
        std::vector<std::string> lines(80, "OF a An tHe the");
        lines.push_back("the apple APPLY apples apple");
        test::AddFile(db, "/words.txt", lines);
    }
    CCorpusDatabase db;
};

TEST_F(WordList, MostFrequentFirstThenShorterThenByCharacterCode) {
    const auto rows = QueryFrequencyTable(db, 20);
    EXPECT_EQ(WordsOf(rows), (Words{u"the", u"a", u"an", u"of", u"apple", u"apply", u"apples"}));
    EXPECT_EQ(rows[0].count, 161);
    EXPECT_EQ(rows[3].count, 80);
    EXPECT_EQ(QueryFrequencyTable(db, 2).size(), 2u);
    EXPECT_EQ(WordsOf(QueryWordsStartingWith(db, u"aP", 20)), (Words{u"apple", u"apply", u"apples"}));
    EXPECT_EQ(WordsOf(QueryWordsStartingWith(db, u"", 3)), (Words{u"the", u"a", u"an"}));
}

TEST_F(WordList, PatternCharactersTypedByTheUserActAsWildcards) {
    EXPECT_EQ(WordsOf(QueryWordsStartingWith(db, u"ap*s", 20)), Words{u"apples"});
    EXPECT_EQ(WordsOf(QueryWordsStartingWith(db, u"a?p", 20)), (Words{u"apple", u"apply", u"apples"}));
    EXPECT_EQ(WordsOf(QueryWordsStartingWith(db, u"[ot]", 20)), (Words{u"the", u"of"}));
    // Malformed or quoted patterns match nothing and fail nothing.
    for (const char16_t* prefix : {u"[", u"a[p", u"it's", u"'"})
        EXPECT_TRUE(QueryWordsStartingWith(db, prefix, 20).empty());
}

}  // namespace
}  // namespace zorvia
