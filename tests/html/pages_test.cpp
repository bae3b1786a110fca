// The preview page of a hit and the report pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "corpus/corpus_fakes.h"
#include "corpus/database_files.h"
#include "html/page_frame.h"
#include "html/preview_page.h"
#include "html/report_pages.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::N;
using test::W;

// The page test below shows the typed part split from the rest.
TEST(MarkPreviewLine, MarksWholeWordsOnly) {
    // Line ends are boundaries; PINEAPPLE and appleapple hold no whole word.
    EXPECT_EQ(MarkPreviewLine(u"apple PINEAPPLE appleapple (apple)", u"APPLE", 5, 1),
              u"<span><em>apple</em></span> PINEAPPLE appleapple (<span id=\"theTarget\"><em>apple</em></span>)");
    // Typed longer than the word searched: an empty rest.
    EXPECT_EQ(MarkPreviewLine(u"apple", u"APPLE", 6, -1), u"<span><em>apple</em><em class=\"rest\"></em></span>");
}

class PreviewPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenCorpus(db);
        test::AddFile(db, "/data/before.txt", {"the previous file"});                              // lid 1
        test::AddFile(db, "C:\\texts\\fruit.txt", {"the apple", "", "An apple, apples and APPLE.", "the end"});  // 2 to 4
    }
    PreviewPage Page(const std::u16string& word, std::size_t index, const std::u16string& typed, int bodyLine) {
        ConcordanceHit hit = SearchConcordance(db, word, 50).at(index);
        CompleteHit(db, hit);
        return BuildPreviewPage(db, hit, word, typed, bodyLine, head);
    }
    CCorpusDatabase db;
    const std::u16string head = BuildPageHead(u"/opt/zorvia/");
    const std::u16string heading = head + u"<h1>fruit.txt</h1><hr>\n";
};

TEST_F(PreviewPageTest, ShowsTheHitsFileAroundItWithTheTargetMarked) {
    const PreviewPage page = Page(u"APPLE", 2, u"app", 100);
    EXPECT_EQ(page.bodyFilePath, u"C:\\texts\\fruit.txt");
    EXPECT_EQ(page.bodyLine, 2);
    EXPECT_EQ(page.firstPiece,
              heading + u"<div class=\"result\">\n"
                        u"  <div class=\"result\" id=\"line2\">the <span><em>app</em><em class=\"rest\">le</em></span></div>\n"
                        u"  <div class=\"result\" id=\"line3\">An <span><em>app</em><em class=\"rest\">le</em></span>, "
                        u"apples and <span id=\"theTarget\"><em>APP</em><em class=\"rest\">LE</em></span>.</div>\n"
                        u"  <div class=\"result\" id=\"line4\">the end</div>\n"
                        u"</div>\n");
    // Its script centres the target on load and on every resize.
    EXPECT_NE(page.secondPiece.find(u"window.onresize = my_move;\nmy_move();"), std::u16string::npos);
    EXPECT_NE(page.secondPiece.find(u"getElementById('theTarget')"), std::u16string::npos);
}

TEST_F(PreviewPageTest, WindowOfLinesFollowsBodyLineAndStaysInTheFile) {
    // First line of its file: the previous file's line (lid 1) is not shown.
    EXPECT_EQ(Page(u"the", 1, u"the", 100).firstPiece.find(u"previous"), std::u16string::npos);
    EXPECT_EQ(Page(u"end", 0, u"end", 1).firstPiece,
              heading + u"<div class=\"result\">\n  <div class=\"result\" id=\"line4\">the <span id=\"theTarget\">"
                        u"<em>end</em></span></div>\n</div>\n");
    EXPECT_EQ(Page(u"end", 0, u"end", 0).firstPiece, heading);

    // No rank: marked, but not the target. No search word: no lines.
    ConcordanceHit hit = SearchConcordance(db, u"end", 50).at(0);
    CompleteHit(db, hit);
    hit.i_foundat = -1;
    EXPECT_EQ(BuildPreviewPage(db, hit, u"end", u"end", 1, head).firstPiece.find(u"theTarget"), std::u16string::npos);
    EXPECT_EQ(BuildPreviewPage(db, hit, u"", u"", 1, head).firstPiece, heading);

    // A file name that looks like markup is shown as it is.
    test::AddFile(db, "/data/<b>a&b.txt", {"the markup"});
    EXPECT_EQ(Page(u"markup", 0, u"markup", 0).firstPiece, head + u"<h1>&lt;b&gt;a&amp;b.txt</h1><hr>\n");
}

// The style sheet's link is a file: URL for any program directory.
TEST(PageHead, LinksTheStyleSheetByAValidFileUrl) {
    const auto link = [](const std::u16string& url) { return u"<link href=\"" + url + u"general.css\""; };
    EXPECT_NE(BuildPageHead(u"/x/a#b 50%?\"&<辞/").find(link(u"file:///x/a%23b%2050%25%3F%22%26%3C%E8%BE%9E/")),
              std::u16string::npos);
    EXPECT_NE(BuildPageHead(u"C:\\Program Files\\").find(link(u"file:///C:/Program%20Files/")), std::u16string::npos);
}

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
    const std::u16string rule = u"\n word rule        : separators";

    test::FakeStatus status;
    EXPECT_EQ(BuildVersionPage(db, true, kHead, &status), opening + counts + rule + u" </pre>\n</div>\n" + kFooter);
    EXPECT_EQ(status.texts.size(), 3u);
    EXPECT_EQ(BuildVersionPage(db, false, kHead, &status),
              opening + counts + u"\n unique words     :         20" + rule + u" </pre>\n</div>\n" + kFooter);
    ASSERT_EQ(status.texts.size(), 7u);
    EXPECT_EQ(status.texts[0], u"Retrieving : file count...");
    EXPECT_EQ(status.texts[6], u"Retrieving : unique word count...");
}

// The version page of a closed corpus: see the window test of the guard.
TEST_F(ReportPagesTest, AnEmptyWordListHasItsHeaderRow) {
    const CompleteWordListResult words = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(words.rowCount, 0);
    EXPECT_EQ(words.page, kHead + kCompleteWordListHeading + u" </table>\n</div>\n" + kPageTail);
}

TEST_F(ReportPagesTest, RegisteredFileListShowsFullPathsOldestFirst) {
    test::ScopedTimeZone zone("JST-9");
    Exec("INSERT INTO original_file VALUES( NULL, '/data/new.html', 1175385900,'' )");
    Exec("INSERT INTO original_file VALUES( NULL, 'E:\\texts\\old.txt', 1144022700,'memo' )");
    Exec("INSERT INTO original_file VALUES( NULL, '/data/a&b <c>.txt', 1175385960,'' )");
    EXPECT_EQ(BuildRegisteredFileList(db, kHead),
              kHead + u"<h1>登録ファイル一覧</h1>\n<hr>\n<div>\n <table>\n"
                      u"  <tr><th>ファイル名</th><th>登録日</th></tr>\n"
                      u"  <tr><td>E:\\texts\\old.txt</td><td>2006/04/03 09:05</td></tr>\n"
                      u"  <tr><td>/data/new.html</td><td>2007/04/01 09:05</td></tr>\n"
                      u"  <tr><td>/data/a&amp;b &lt;c&gt;.txt</td><td>2007/04/01 09:06</td></tr>\n"
                      u" </table>\n</div>\n</body>\n</html>\n");
}

TEST_F(ReportPagesTest, CompleteWordListOrdersByCountThenLengthThenCodePoint) {
    for (const auto& [word, upper] : {std::pair{"bb", "BB"}, {"the", "THE"}, {"é", "É"}, {"The", "THE"}, {"ab", "AB"},
                                      {"THE", "THE"}, {"a", "A"}, {"É", "É"}, {"ä", "Ä"}}) {
        AddWord(1, word, upper);
    }
    // Words may hold markup characters; every row shows as stored.
    AddWord(1, "<script>document", "<SCRIPT>DOCUMENT");
    AddWord(1, "a=\"&amp;\"", "A=\"&AMP;\"");
    const CompleteWordListResult result = BuildCompleteWordList(db, kHead);
    EXPECT_EQ(result.rowCount, 8);
    EXPECT_EQ(N(result.page), N(kHead + kCompleteWordListHeading) +
                                  "  <tr><td>the</td><td>3</td></tr>\n"
                                  "  <tr><td>é</td><td>2</td></tr>\n"
                                  "  <tr><td>a</td><td>1</td></tr>\n"
                                  "  <tr><td>ä</td><td>1</td></tr>\n"
                                  "  <tr><td>ab</td><td>1</td></tr>\n"
                                  "  <tr><td>bb</td><td>1</td></tr>\n"
                                  "  <tr><td>a=&quot;&amp;amp;&quot;</td><td>1</td></tr>\n"
                                  "  <tr><td>&lt;script&gt;document</td><td>1</td></tr>\n"
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
