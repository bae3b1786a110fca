// The word list queries and the deletion of words.
#include <gtest/gtest.h>

#include "corpus/corpus_fakes.h"
#include "corpus/file_removal.h"
#include "corpus/word_summary.h"
#include "html/report_pages.h"
#include "platform/text_convert.h"
#include "support/corpus_builder.h"
#include "wordlist/word_deletion.h"
#include "wordlist/word_list.h"

namespace zorvia {
namespace {

using Words = std::vector<std::u16string>;
using Rows = std::vector<std::u16string>;

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

// Two corpora with the same rows, one with the summary: counts that tie,
// words that differ only in length or case, a prefix matched by thousands of
// words and by a handful, and GLOB's pattern characters.
class SummaryLists : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::string> lines;
        for (int i = 0; i < 4500; ++i) {
            char word[8];
            std::snprintf(word, sizeof word, "K%04d", i * 7 % 4500);
            std::string line;
            for (int n = 0; n <= i % 4; ++n) line += std::string(n % 2 ? " k" : " K") + (word + 1);
            if (i % 9 == 0) line += " Kx";
            lines.push_back(line);
        }
        lines.push_back("the The THE of a an an a of Of apple apples APPLY ab[c a*b a?c 日本 日本語");
        for (CCorpusDatabase* db : {&plain, &summary}) {
            test::OpenCorpus(*db);
            test::AddFile(*db, "/k.txt", lines);
            test::AddFile(*db, "/b.txt", {"the apple", "K0007 K0007 kx"});
            // Ids at the far ends, which a writer may choose.
            ASSERT_TRUE(db->Exec(u"INSERT INTO word VALUES (9223372036854775807, 1, 'far', 'FAR'), "
                                 u"(-9223372036854775807, 1, 'Far', 'FAR')"));
        }
        test::FakeProgress progress;
        ASSERT_EQ(CreateSpeedUp(summary, progress).result, SpeedUpResult::Done);
    }
    void ExpectSameLists() {
        EXPECT_FALSE(HasWordSummary(plain));
        const auto words = [](const std::vector<WordListRow>& rows) {
            Rows out;
            for (const WordListRow& row : rows) out.push_back(row.word + u"|" + FormatInt(row.count));
            return out;
        };
        for (int limit : {20, 5000}) {
            EXPECT_EQ(words(QueryFrequencyTable(summary, limit)), words(QueryFrequencyTable(plain, limit)));
            for (const char16_t* prefix : {u"", u"k", u"K00", u"k1", u"kx", u"K4499", u"a", u"ap", u"日", u"*", u"?",
                                           u"[", u"a[", u"k*9", u"k?1", u"[ak]", u"*e", u"k0[0-2]", u"a*", u"'"}) {
                SCOPED_TRACE(test::N(prefix));
                EXPECT_EQ(words(QueryWordsStartingWith(summary, prefix, limit)),
                          words(QueryWordsStartingWith(plain, prefix, limit)));
            }
        }
        EXPECT_EQ(BuildCompleteWordList(summary, u"").page, BuildCompleteWordList(plain, u"").page);
        EXPECT_EQ(BuildVersionPage(summary, false, u"", nullptr), BuildVersionPage(plain, false, u"", nullptr));
    }
    CCorpusDatabase plain;
    CCorpusDatabase summary;
};

TEST_F(SummaryLists, AreTheGroupingQueriesRowForRow) {
    ASSERT_GT(QueryWordsStartingWith(plain, u"k", 5000).size(), 4096u);  // enough to rank rather than sort
    ExpectSameLists();
    // Deletions empty some groups and change the order of others.
    test::FakePrompt prompt;
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    for (CCorpusDatabase* db : {&plain, &summary}) {
        EXPECT_TRUE(DeleteWordsFromCorpus(*db, {u"k0007", u"the", u"k1000"}).deleted);
        EXPECT_EQ(RemoveRegisteredFile(*db, 2, prompt), FileRemovalResult::Removed);
        EXPECT_TRUE(db->Exec(u"DELETE FROM word WHERE wid % 5 = 0"));
    }
    ExpectSameLists();
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
