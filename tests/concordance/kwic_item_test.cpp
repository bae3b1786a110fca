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
    // "left|key|right" of the item.
    std::u16string Text(const std::u16string& word, std::size_t index) {
        const auto text = Item(word, index);
        return text ? text->left + u"|" + text->key + u"|" + text->right : u"<nothing drawn>";
    }
    CCorpusDatabase db;
    LineCache cache;
    std::vector<ConcordanceHit> hits;
};

TEST_F(KwicItem, KeyIsTheHitsWholeWordWithContextRunningIntoNeighbours) {
    test::AddFile(db, "/a.txt", {"Theme of the theory", "He said: the end.", "The cat and the dog"});
    EXPECT_EQ(Text(u"THE", 0), u"Theme of |the| theory He said: the end.");
    EXPECT_EQ(Text(u"the", 1), u"Theme of the theory He said: |the| end. The cat and the dog");
    EXPECT_EQ(Text(u"the", 2), u"He said: the end. |The| cat and the dog");
    EXPECT_EQ(Text(u"the", 3), u"He said: the end. The cat and |the| dog");
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
    EXPECT_EQ(Text(u"the", 1), u"|the| start");
    EXPECT_EQ(hits[1].lid_b, -1);
    EXPECT_EQ(Text(u"the", 2), u"after an empty |the| last");
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

// The x ranges of a layout's texts; key parts in the typed (t) or the rest
// (r) colour.
std::string Geometry(const KwicLayout& layout) {
    const auto range = [](const KwicRect& r) { return std::to_string(r.left) + "-" + std::to_string(r.right); };
    std::string text = "left " + range(layout.leftRect) + " key";
    for (const KwicKeyPart& part : layout.keyParts)
        text += " " + test::N(part.text) + "@" + range(part.rect) + (part.colour == kKwicTypedColour ? "t" : "r");
    return text + " right " + range(layout.rightRect);
}

TEST(LayoutKwic, CentresTheKeyAndColoursItsParts) {
    const KwicLayout layout = LayoutKwic(9, {u"He said: ", u"the", u" end."}, 3, {5, 20, 234, 36}, FakeWidth);
    EXPECT_EQ(layout.number, u"  10");
    EXPECT_EQ(layout.numberRect.right, 30);
    EXPECT_EQ(layout.dividerX, 30);
    // x0 = 33, w = 30, c = (234 - 33 - 30) / 2 = 85.
    EXPECT_EQ(Geometry(layout), "left 33-118 key the@118-148t right 148-234");

    // A key wider than the area: c = -101 / 2 truncates to -50.
    const KwicLayout wide = LayoutKwic(0, {u"l", std::u16string(30, u'k'), u"r"}, 30, {0, 0, 227, 16}, FakeWidth);
    EXPECT_EQ(wide.keyX, -22);
    EXPECT_LT(wide.leftRect.right, wide.leftRect.left);

    // The typed part of the key blue, the part the search completed violet;
    // typed longer than the key (applz searched as appl), all of it blue.
    EXPECT_EQ(Geometry(LayoutKwic(0, {u"", u"apple", u""}, 4, {0, 0, 228, 16}, FakeWidth)),
              "left 28-103 key appl@103-143t e@143-153r right 153-228");
    EXPECT_EQ(Geometry(LayoutKwic(0, {u"", u"appl", u""}, 5, {0, 0, 228, 16}, FakeWidth)),
              "left 28-108 key appl@108-148t @148-148r right 148-228");
}

}  // namespace
}  // namespace zorvia
