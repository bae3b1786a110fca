// The word list queries and the deletion of words.
#include <gtest/gtest.h>

#include "support/corpus_builder.h"
#include "wordlist/word_deletion.h"
#include "wordlist/word_list.h"

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

TEST(DeleteWordsQuestion, NamesAtMostFiveWords) {
    EXPECT_EQ(BuildDeleteWordsQuestion({u"the"}), u"the\r\n\nを削除してもよろしいですか？");
    const std::u16string five = u"a\r\nan\r\nand\r\nof\r\nthe\r\n";
    const std::u16string question = u"\nを削除してもよろしいですか？";
    EXPECT_EQ(BuildDeleteWordsQuestion({u"a", u"an", u"and", u"of", u"the"}), five + question);
    EXPECT_EQ(BuildDeleteWordsQuestion({u"a", u"an", u"and", u"of", u"the", u"to"}), five + u"...\n" + question);
    EXPECT_EQ(BuildDeleteWordsQuestion({u"a", u"an", u"and", u"of", u"the", u"to", u"was"}),
              five + u"...\n" + question);
}

TEST(DeleteWordsFromCorpus, AllWordsGoOrNone) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    test::AddFile(db, "/a.txt", {"The cat and the dog", "of mice and men"});
    auto words = [&] { return test::QueryInt(db, u"SELECT count(*) FROM word"); };

    EXPECT_TRUE(DeleteWordsFromCorpus(db, {u"the", u"and"}).deleted);
    EXPECT_EQ(words(), 5);
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM line"), 2);

    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER keep BEFORE DELETE ON word WHEN old.word_upper='OF' "
                        u"BEGIN SELECT RAISE(ABORT, 'OF is kept'); END"));
    DeleteWordsResult result = DeleteWordsFromCorpus(db, {u"cat", u"of", u"dog"});
    EXPECT_FALSE(result.deleted);
    EXPECT_EQ(result.errorText, u"OF is kept");
    EXPECT_EQ(words(), 5);  // CAT is back
    EXPECT_TRUE(test::NoTransactionOpen(db));

    test::PinWordUntilCommit(db, u"MEN");
    result = DeleteWordsFromCorpus(db, {u"cat", u"men"});
    EXPECT_FALSE(result.deleted);
    EXPECT_EQ(result.errorText, u"FOREIGN KEY constraint failed");
    EXPECT_EQ(words(), 5);
    EXPECT_TRUE(test::NoTransactionOpen(db));
}

}  // namespace
}  // namespace zorvia
