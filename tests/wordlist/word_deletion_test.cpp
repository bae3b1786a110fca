#include "wordlist/word_deletion.h"

#include <gtest/gtest.h>

#include "support/corpus_builder.h"

namespace zorvia {
namespace {

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
