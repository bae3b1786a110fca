#include "concordance/hit_deletion.h"

#include <gtest/gtest.h>

#include "support/corpus_builder.h"

namespace zorvia {
namespace {

TEST(DeleteHitFromCorpus, DeletesTheOccurrenceOrRollsBackAndReports) {
    CCorpusDatabase db;
    test::OpenCorpus(db);
    test::AddFile(db, "/a.txt", {"the cat and the dog"});  // wids 1 to 5
    auto words = [&] { return test::QueryInt(db, u"SELECT count(*) FROM word"); };

    EXPECT_EQ(DeleteHitQuestion(3), u"3 番を削除してもよろしいですか？");
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

}  // namespace
}  // namespace zorvia
