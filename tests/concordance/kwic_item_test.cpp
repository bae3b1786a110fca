#include "concordance/kwic_item.h"

#include <gtest/gtest.h>

#include "concordance/concordance_search.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

class KwicItem : public ::testing::Test {
protected:
    void SetUp() override { test::OpenCorpus(db); }
    // The texts of hit `index` of `word`, as the list draws them.
    std::optional<KwicText> Item(const std::u16string& word, std::size_t index) {
        hits = SearchConcordance(db, word, 50);
        if (index >= hits.size()) return std::nullopt;
        return PrepareKwicItem(db, hits[index], cache, word, static_cast<int>(index));
    }
    void ExpectItem(const std::u16string& word, std::size_t index, const KwicText& expected) {
        const auto text = Item(word, index);
        ASSERT_TRUE(text) << index;
        EXPECT_EQ(text->left, expected.left) << index;
        EXPECT_EQ(text->key, expected.key) << index;
        EXPECT_EQ(text->right, expected.right) << index;
    }
    CCorpusDatabase db;
    LineCache cache;
    std::vector<ConcordanceHit> hits;
};

TEST_F(KwicItem, KeyIsTheHitsWholeWordWithContextRunningIntoNeighbours) {
    test::AddFile(db, "/a.txt", {"Theme of the theory", "He said: the end.", "The cat and the dog"});
    ExpectItem(u"THE", 0, {u"Theme of ", u"the", u" theory He said: the end."});
    ExpectItem(u"the", 1, {u"Theme of the theory He said: ", u"the", u" end. The cat and the dog"});
    ExpectItem(u"the", 2, {u"He said: the end. ", u"The", u" cat and the dog"});
    ExpectItem(u"the", 3, {u"He said: the end. The cat and ", u"the", u" dog"});
    EXPECT_EQ(hits[3].i_foundat, 1);
    EXPECT_EQ(hits[3].line_no, 2);
    EXPECT_EQ(cache.size(), 3u);
    // With no search word the whole line is right of an empty key.
    EXPECT_EQ(PrepareKwicItem(db, hits[0], cache, u"", 0)->right, u"Theme of the theory He said: the end.");
}

TEST_F(KwicItem, FileStartsAndUnstoredLinesEndTheContext) {
    test::AddFile(db, "/first.txt", {"last of the first file"});
    test::AddFile(db, "/second.txt", {"the start", "", "after an empty the", "last"});
    test::TraceCapture trace;
    // The previous file's line has the lid just before, but is not shown.
    ExpectItem(u"the", 1, {u"", u"the", u" start"});
    EXPECT_EQ(hits[1].lid_b, -1);
    ExpectItem(u"the", 2, {u"after an empty ", u"the", u" last"});
    EXPECT_EQ(trace.Count("１つ前の行がないっぽ？\n"), 1);
}

TEST_F(KwicItem, HitsWhoseOccurrenceIsGoneDrawNothing) {
    test::AddFile(db, "/a.txt", {"the one"});
    test::AddFile(db, "/b.txt", {"the two"});
    hits = SearchConcordance(db, u"the", 50);
    // File a.txt removed after the search; THE deleted from b.txt.
    ASSERT_TRUE(db.Exec(u"DELETE FROM line WHERE oid=1"));
    ASSERT_TRUE(db.Exec(u"DELETE FROM word"));
    test::TraceCapture trace;
    EXPECT_FALSE(PrepareKwicItem(db, hits[0], cache, u"the", 0));
    EXPECT_FALSE(PrepareKwicItem(db, hits[1], cache, u"the", 1));
    EXPECT_EQ(trace.Count(" line の中に -1 番目の検索語が見つからなかったorz\n"), 1);
}

// Ten pixels per code unit.
int FakeWidth(std::u16string_view text) { return static_cast<int>(text.size()) * 10; }

TEST(LayoutKwic, CentresTheKeyAndColoursItsParts) {
    KwicLayout layout = LayoutKwic(9, {u"He said: ", u"the", u" end."}, 3, {5, 20, 234, 36}, FakeWidth);
    EXPECT_EQ(layout.number, u"  10");
    EXPECT_EQ(layout.numberRect.right, 30);
    EXPECT_EQ(layout.dividerX, 30);
    // x0 = 33, w = 30, c = (234 - 33 - 30) / 2 = 85.
    EXPECT_EQ(layout.leftRect.left, 33);
    EXPECT_EQ(layout.leftRect.right, 118);
    ASSERT_EQ(layout.keyParts.size(), 1u);
    EXPECT_EQ(layout.keyParts[0].rect.left, 118);
    EXPECT_EQ(layout.keyParts[0].colour, kKwicTypedColour);
    EXPECT_EQ(layout.rightRect.left, 148);
    EXPECT_EQ(layout.rightRect.right, 234);

    // A key wider than the area: c = -101 / 2 truncates to -50.
    const KwicLayout wide = LayoutKwic(0, {u"l", std::u16string(30, u'k'), u"r"}, 30, {0, 0, 227, 16}, FakeWidth);
    EXPECT_EQ(wide.keyX, -22);
    EXPECT_LT(wide.leftRect.right, wide.leftRect.left);

    // The typed part of the key blue, the part the search completed violet.
    layout = LayoutKwic(0, {u"", u"apple", u""}, 4, {0, 0, 228, 16}, FakeWidth);
    ASSERT_EQ(layout.keyParts.size(), 2u);  // kx = 28 + 75
    EXPECT_EQ(layout.keyParts[0].text, u"appl");
    EXPECT_EQ(layout.keyParts[0].rect.right, 143);
    EXPECT_EQ(layout.keyParts[1].text, u"e");
    EXPECT_EQ(layout.keyParts[1].rect.left, 143);
    EXPECT_EQ(layout.keyParts[1].rect.right, 153);
    EXPECT_EQ(layout.keyParts[1].colour, kKwicRestColour);
    // Typed longer than the key (applz searched as appl): all of it blue.
    layout = LayoutKwic(0, {u"", u"appl", u""}, 5, {0, 0, 228, 16}, FakeWidth);
    EXPECT_EQ(layout.keyParts[0].text, u"appl");
    EXPECT_EQ(layout.keyParts[1].text, u"");
}

}  // namespace
}  // namespace zorvia
