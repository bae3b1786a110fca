#include "html/report_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corpus/corpus_fakes.h"
#include "corpus/database_files.h"
#include "html/page_frame.h"
#include "support/scoped_time_zone.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::N;
using test::W;

const std::u16string kHead = BuildPageHead(u"/opt/zorvia/");
const std::u16string kFooter =
    u"<div class=\"copyright\">Copyright (C) 2026 Zorvia Concordancer developers</div>\n"
    u"<div class=\"supportpage\">\n"
    u" <a href=\"https://zorvia-concordancer.example.org/support/\" target=\"_blank\">"
    u"https://zorvia-concordancer.example.org/support/</a>\n"
    u"</div>\n</body>\n</html>\n";

class ReportPagesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenDatabaseWithSchema(db, u":memory:")); }
    // The import's own statements.
    void Exec(const std::string& sql) { ASSERT_TRUE(db.Exec(W(sql.c_str()))) << sql; }
    void AddWord(int lid, const std::string& word, const std::string& upper) {
        Exec("INSERT INTO word VALUES( NULL, " + std::to_string(lid) + ", '" + word + "', '" + upper + "' )");
    }
    CCorpusDatabase db;
};

TEST_F(ReportPagesTest, VersionPageAlignsTheCountsAndCountsUniqueWordsOnlyWhenFull) {
    // 3 files, 120 lines, 950 words: ten forms, each in two letter cases.
    Exec("BEGIN TRANSACTION");
    for (int f = 1; f <= 3; ++f) Exec("INSERT INTO original_file VALUES( NULL, 'f.txt', 0,'' )");
    for (int l = 0; l < 120; ++l) Exec("INSERT INTO line VALUES( NULL, " + std::to_string(l / 40 + 1) + ", 1, 'x' )");
    for (int w = 0; w < 950; ++w) AddWord(w % 120 + 1, (w % 20 < 10 ? "w" : "W") + std::to_string(w % 10), "W");
    Exec("COMMIT");
    const std::u16string opening = kHead + u"<h1>Zorvia Concordancer Ver.1.0.1</h1><hr>\n<div>\n <pre>";
    const std::u16string counts =
        u" registered files :          3\n lines            :        120\n words            :        950";

    test::FakeStatus status;
    EXPECT_EQ(BuildVersionPage(db, true, kHead, &status), opening + counts + u" </pre>\n</div>\n" + kFooter);
    EXPECT_EQ(status.texts.size(), 3u);
    EXPECT_EQ(BuildVersionPage(db, false, kHead, &status),
              opening + counts + u"\n unique words     :         20 </pre>\n</div>\n" + kFooter);
    ASSERT_EQ(status.texts.size(), 7u);
    EXPECT_EQ(status.texts[0], u"Retrieving : file count...");
    EXPECT_EQ(status.texts[6], u"Retrieving : unique word count...");
}

TEST_F(ReportPagesTest, NoDatabaseCountsZeroAndAnEmptyWordListHasItsHeaderRow) {
    const std::u16string zeros = u" registered files :          0\n lines            :          0\n"
                                 u" words            :          0\n unique words     :          0 </pre>";
    CCorpusDatabase closed;
    EXPECT_NE(BuildVersionPage(closed, false, kHead, nullptr).find(zeros), std::u16string::npos);

    const CompleteWordListResult words = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(words.rowCount, 0);
    EXPECT_EQ(words.page, kHead + kCompleteWordListHeading + u" </table>\n</div>\n" + kPageTail);
}

TEST_F(ReportPagesTest, RegisteredFileListShowsFullPathsOldestFirst) {
    test::ScopedTimeZone zone("JST-9");
    Exec("INSERT INTO original_file VALUES( NULL, '/data/new.html', 1175385900,'' )");
    Exec("INSERT INTO original_file VALUES( NULL, 'E:\\texts\\old.txt', 1144022700,'memo' )");
    EXPECT_EQ(BuildRegisteredFileList(db, kHead),
              kHead + u"<h1>登録ファイル一覧</h1>\n<hr>\n<div>\n <table>\n"
                      u"  <tr><th>ファイル名</th><th>登録日</th></tr>\n"
                      u"  <tr><td>E:\\texts\\old.txt</td><td>2006/04/03 09:05</td></tr>\n"
                      u"  <tr><td>/data/new.html</td><td>2007/04/01 09:05</td></tr>\n"
                      u" </table>\n</div>\n</body>\n</html>\n");
}

TEST_F(ReportPagesTest, CompleteWordListOrdersByCountThenLengthThenCodePoint) {
    for (const auto& [word, upper] : {std::pair{"bb", "BB"}, {"the", "THE"}, {"é", "É"}, {"The", "THE"}, {"ab", "AB"},
                                      {"THE", "THE"}, {"a", "A"}, {"É", "É"}, {"ä", "Ä"}}) {
        AddWord(1, word, upper);
    }
    const CompleteWordListResult result = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(result.rowCount, 6);
    EXPECT_EQ(N(result.page), N(kHead + kCompleteWordListHeading) +
                                  "  <tr><td>the</td><td>3</td></tr>\n"
                                  "  <tr><td>é</td><td>2</td></tr>\n"
                                  "  <tr><td>a</td><td>1</td></tr>\n"
                                  "  <tr><td>ä</td><td>1</td></tr>\n"
                                  "  <tr><td>ab</td><td>1</td></tr>\n"
                                  "  <tr><td>bb</td><td>1</td></tr>\n"
                                  " </table>\n</div>\n</body>\n</html>\n");
}

TEST(DefragReport, ReportsWholeKilobytesAndNeverDividesByZero) {
    EXPECT_EQ(BuildDefragReport(10240000, 8192000, kHead),
              kHead + u"<h1>Defrag Result</h1>\n<hr>\n<div>\n <pre>\n"
                      u" デフラグ前：10000 [KB]\n デフラグ後：8000 [KB]\n  20.00 ％減少\n"
                      u" </pre>\n</div></body>\n</html>\n");
    EXPECT_EQ(ComputeDefragFigures(1500, 1500).beforeKb, 1);
    EXPECT_EQ(ComputeDefragFigures(5000LL << 20, 0).beforeKb, 5000 << 10);  // beyond 2 GiB
    EXPECT_NE(BuildDefragReport(0, 4096, kHead).find(u" デフラグ前：0 [KB]\n デフラグ後：4 [KB]\n  0.00 ％減少\n"),
              std::u16string::npos);
}

}  // namespace
}  // namespace zorvia
