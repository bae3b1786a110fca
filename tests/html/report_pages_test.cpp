#include "html/report_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corpus/database_files.h"
#include "corpus/defrag.h"
#include "html/page_frame.h"
#include "platform/file_status.h"
#include "platform/text_convert.h"
#include "support/scoped_time_zone.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::N;
using test::TempDir;
using test::TraceCapture;
using test::W;

const std::u16string kHead = BuildPageHead(u"/opt/zorvia/");

// A corpus built with the import's own statements.
class SmallCorpus {
public:
    explicit SmallCorpus(CCorpusDatabase& db) : m_db(db) {}

    int AddFile(const std::string& name, int date) {
        Run("INSERT INTO original_file VALUES( NULL, '" + name + "', " + std::to_string(date) + ",'' )");
        return m_db.GetLastInsertRowId();
    }
    int AddLine(int oid, int lineNo, const std::string& text) {
        Run("INSERT INTO line VALUES( NULL, " + std::to_string(oid) + ", " + std::to_string(lineNo) + ", '" +
            text + "' )");
        return m_db.GetLastInsertRowId();
    }
    void AddWord(int lid, const std::string& word, const std::string& upper) {
        Run("INSERT INTO word VALUES( NULL, " + std::to_string(lid) + ", '" + word + "', '" + upper + "' )");
    }
    void Run(const std::string& sql) { ASSERT_TRUE(m_db.Exec(W(sql.c_str()))) << sql; }

private:
    CCorpusDatabase& m_db;
};

class RecordingStatus : public IStatusText {
public:
    void SetStatusText(const std::u16string& text) override { texts.push_back(text); }
    std::vector<std::u16string> texts;
};

class ReportPagesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenDatabaseWithSchema(db, u":memory:")); }

    // 3 files, 120 lines, 950 words; the words are ten forms written in two
    // letter cases, so 20 distinct spellings.
    void FillThreeFiles() {
        SmallCorpus corpus(db);
        corpus.Run("BEGIN TRANSACTION");
        int words = 0;
        for (int f = 0; f < 3; ++f) {
            const int oid = corpus.AddFile("/texts/f" + std::to_string(f) + ".txt", 1000 + f);
            for (int l = 0; l < 40; ++l) {
                const int lid = corpus.AddLine(oid, l + 1, "line");
                for (int w = 0; w < (f * 40 + l < 110 ? 8 : 7); ++w, ++words) {
                    const std::string form = "w" + std::to_string(words % 10);
                    corpus.AddWord(lid, words % 20 < 10 ? form : "W" + form.substr(1), "W" + form.substr(1));
                }
            }
        }
        corpus.Run("COMMIT");
        ASSERT_EQ(words, 950);
    }

    CCorpusDatabase db;
};

std::u16string VersionFooter() {
    return u"<div class=\"copyright\">Copyright (C) 2026 Zorvia Concordancer developers</div>\n"
           u"<div class=\"supportpage\">\n"
           u" <a href=\"https://zorvia-concordancer.example.org/support/\" target=\"_blank\">"
           u"https://zorvia-concordancer.example.org/support/</a>\n"
           u"</div>\n"
           u"</body>\n</html>\n";
}

TEST_F(ReportPagesTest, VersionPageAlignsTheCountsAndAddsUniqueWordsOnlyWhenFull) {
    FillThreeFiles();
    const std::u16string opening = kHead + u"<h1>Zorvia Concordancer Ver.1.0.1</h1><hr>\n<div>\n <pre>";
    const std::u16string counts =
        u" registered files :          3"
        u"\n lines            :        120"
        u"\n words            :        950";

    RecordingStatus status;
    EXPECT_EQ(BuildVersionPage(db, true, kHead, &status),
              opening + counts + u" </pre>\n</div>\n" + VersionFooter());
    EXPECT_EQ(status.texts, (std::vector<std::u16string>{u"Retrieving : file count...",
                                                          u"Retrieving : line count...",
                                                          u"Retrieving : word count..."}));

    status.texts.clear();
    EXPECT_EQ(BuildVersionPage(db, false, kHead, &status),
              opening + counts + u"\n unique words     :         20 </pre>\n</div>\n" + VersionFooter());
    ASSERT_EQ(status.texts.size(), 4u);
    EXPECT_EQ(status.texts[3], u"Retrieving : unique word count...");
}

TEST_F(ReportPagesTest, VersionPageCountsZeroForAnEmptyCorpusAndWithoutDatabase) {
    const std::u16string zeros =
        u" registered files :          0"
        u"\n lines            :          0"
        u"\n words            :          0"
        u"\n unique words     :          0 </pre>";
    EXPECT_NE(BuildVersionPage(db, false, kHead, nullptr).find(zeros), std::u16string::npos);

    CCorpusDatabase closed;
    const CorpusCounts counts = QueryCorpusCounts(closed, false, nullptr);
    EXPECT_EQ(counts.files + counts.lines + counts.words + counts.uniqueWords, 0);
    EXPECT_NE(BuildVersionPage(closed, false, kHead, nullptr).find(zeros), std::u16string::npos);
}

TEST_F(ReportPagesTest, RegisteredFileListShowsFullPathsOldestFirst) {
    test::ScopedTimeZone zone("UTC0");
    SmallCorpus corpus(db);
    corpus.AddFile("/data/new.html", 1144022700);
    corpus.AddFile("E:\\texts\\old.txt", 1175385900 - 400000000);
    EXPECT_EQ(BuildRegisteredFileList(db, kHead), kHead +
                        u"<h1>登録ファイル一覧</h1>\n<hr>\n<div>\n <table>\n"
                        u"  <tr><th>ファイル名</th><th>登録日</th></tr>\n"
                        u"  <tr><td>E:\\texts\\old.txt</td><td>1994/07/28 08:58</td></tr>\n"
                        u"  <tr><td>/data/new.html</td><td>2006/04/03 00:05</td></tr>\n"
                        u" </table>\n</div>\n</body>\n</html>\n");
}

TEST_F(ReportPagesTest, CompleteWordListOrdersByCountThenLengthThenCodePoint) {
    SmallCorpus corpus(db);
    const int oid = corpus.AddFile("a.txt", 0);
    const int lid = corpus.AddLine(oid, 1, "x");
    // Folded forms: BB x1, A x1, AB x1, Ä x1, THE x3, É x2 (written in both cases).
    for (const auto& [word, upper] : std::vector<std::pair<std::string, std::string>>{
             {"bb", "BB"}, {"the", "THE"}, {"é", "É"}, {"The", "THE"}, {"ab", "AB"},
             {"THE", "THE"}, {"a", "A"}, {"É", "É"}, {"ä", "Ä"}}) {
        corpus.AddWord(lid, word, upper);
    }
    const CompleteWordListResult result = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(result.rowCount, 6);
    EXPECT_EQ(N(result.page), N(kHead) +
                                  "<h1>Complete Word List</h1>\n<hr>\n<div>\n <table>\n"
                                  "  <tr><th>単語</th><th>出現回数</th></tr>\n"
                                  "  <tr><td>the</td><td>3</td></tr>\n"
                                  "  <tr><td>é</td><td>2</td></tr>\n"
                                  "  <tr><td>a</td><td>1</td></tr>\n"
                                  "  <tr><td>ä</td><td>1</td></tr>\n"
                                  "  <tr><td>ab</td><td>1</td></tr>\n"
                                  "  <tr><td>bb</td><td>1</td></tr>\n"
                                  " </table>\n</div>\n</body>\n</html>\n");
}

TEST_F(ReportPagesTest, CompleteWordListOfAnEmptyCorpusHasOnlyTheHeaderRow) {
    const CompleteWordListResult result = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(result.rowCount, 0);
    EXPECT_EQ(result.page, kHead + kCompleteWordListHeading + u" </table>\n</div>\n" + kPageTail);
}

TEST(DefragReport, ReportsWholeKilobytesAndTheDecrease) {
    EXPECT_EQ(BuildDefragReport(10240000, 8192000, kHead),
              kHead + u"<h1>Defrag Result</h1>\n<hr>\n<div>\n <pre>\n"
                      u" デフラグ前：10000 [KB]\n"
                      u" デフラグ後：8000 [KB]\n"
                      u"  20.00 ％減少\n"
                      u" </pre>\n</div></body>\n</html>\n");
    const DefragFigures small = ComputeDefragFigures(1500, 1500);
    EXPECT_EQ(small.beforeKb, 1);
    EXPECT_EQ(small.decreasePercent, 0.0);
    // Beyond 2 GiB the kilobytes still come out right.
    EXPECT_EQ(ComputeDefragFigures(5000LL * 1024 * 1024, 0).beforeKb, 5000 * 1024);
}

TEST(DefragReport, UnreadableOrEmptyFileReportsZeroWithoutDividing) {
    const std::u16string page = BuildDefragReport(0, 0, kHead);
    EXPECT_NE(page.find(u" デフラグ前：0 [KB]\n デフラグ後：0 [KB]\n  0.00 ％減少\n"), std::u16string::npos);
    EXPECT_EQ(ComputeDefragFigures(0, 4096).decreasePercent, 0.0);
}

TEST(Defrag, VacuumShrinksTheFileAndReportsBothSizes) {
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
    SmallCorpus corpus(db);
    const int oid = corpus.AddFile("a.txt", 0);
    corpus.Run("BEGIN TRANSACTION");
    for (int i = 0; i < 2000; ++i) corpus.AddLine(oid, i, std::string(200, 'x'));
    corpus.Run("COMMIT");
    corpus.Run("DELETE FROM line");

    const std::int64_t sizeBefore = *FileSizeOf(path);
    const DefragResult result = RunDefrag(db, path);
    EXPECT_TRUE(result.vacuumSucceeded);
    EXPECT_EQ(result.beforeBytes, sizeBefore);
    EXPECT_EQ(result.afterBytes, *FileSizeOf(path));
    EXPECT_LT(result.afterBytes, result.beforeBytes / 10);
}

TEST(Defrag, FailingVacuumIsTracedAndLeavesTheSizeUnchanged) {
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    ASSERT_TRUE(OpenDatabaseWithSchema(db, path));
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    TraceCapture trace;
    const DefragResult result = RunDefrag(db, path);
    EXPECT_FALSE(result.vacuumSucceeded);
    EXPECT_NE(N(result.errorText).find("VACUUM"), std::string::npos);
    EXPECT_EQ(trace.Joined(), "exec error : " + N(result.errorText) + "\n");
    EXPECT_GT(result.beforeBytes, 0);
    EXPECT_EQ(result.afterBytes, result.beforeBytes);
    EXPECT_EQ(ComputeDefragFigures(result.beforeBytes, result.afterBytes).decreasePercent, 0.0);

    // A path that cannot be read counts as 0 bytes.
    const DefragResult missing = RunDefrag(db, dir.File("missing"));
    EXPECT_EQ(missing.beforeBytes, 0);
    EXPECT_EQ(missing.afterBytes, 0);
}

}  // namespace
}  // namespace zorvia
