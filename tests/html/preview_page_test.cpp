#include "html/preview_page.h"

#include <gtest/gtest.h>

#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "html/page_frame.h"
#include "support/corpus_builder.h"

namespace zorvia {
namespace {

TEST(MarkPreviewLine, MarksWholeWordsSplittingTypedPartFromRest) {
    EXPECT_EQ(MarkPreviewLine(u"An apple, apples and APPLE.", u"APPLE", 3, 1),
              u"An <span><em>app</em><em class=\"rest\">le</em></span>, apples and "
              u"<span id=\"theTarget\"><em>APP</em><em class=\"rest\">LE</em></span>.");
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
    EXPECT_EQ(page.secondPiece,
              u"<script type='text/javascript'><!--\nfunction my_move() {\n"
              u"  var obj = document.getElementById('theTarget')\n  if( obj != null ) {\n"
              u"    var yTop = obj.offsetTop;\n    var h = document.body.clientHeight;\n"
              u"    var y = yTop - h/2;\n    scrollTo( '0', y );\n  }\n}\n"
              u"window.onresize = my_move;\nmy_move();\n//--></script>\n</body>\n</html>\n");
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
}

}  // namespace
}  // namespace zorvia
