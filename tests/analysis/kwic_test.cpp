// The KWIC table of every hit: contexts across lines and deleted rows,
// file edges, phrases and wildcards, sorting by keys with ties, text order.
#include <gtest/gtest.h>

#include <random>

#include "analysis/kwic.h"
#include "analysis/token_stream.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;
using Rows = std::vector<std::string>;

// Every row of a run as its TSV record without the line end.
Rows RunRows(const std::u16string& path, const std::u16string& node, int context, const std::string& keys,
             JobOutcome expected = JobOutcome::Done) {
    KwicRequest request;
    request.node = node;
    request.context = context;
    const auto parsed = ParseKwicSortKeys(keys.empty() ? "K" : keys);
    EXPECT_TRUE(parsed.has_value()) << keys;
    if (!keys.empty() && parsed) request.keys = *parsed;
    CKwicTable table(context, static_cast<int>(ParseKwicNode(node).size()));
    CCorpusReader reader;
    EXPECT_TRUE(reader.Open(path));
    NullJobProgress progress;
    const JobResult result = RunKwic(reader, request, {}, table, progress);
    EXPECT_EQ(result.outcome, expected) << test::N(result.errorText);
    Rows rows;
    std::vector<std::string> fields;
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        table.ExportRow(r, fields);
        std::string row;
        for (std::size_t f = 0; f < fields.size(); ++f) row += (f ? "\t" : "") + fields[f];
        rows.push_back(row);
    }
    return rows;
}

// A corpus in `dir` holding the files with their lines; its path.
std::u16string MakeCorpus(const TempDir& dir, const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    test::OpenCorpus(db, path);
    for (const auto& [name, lines] : files) test::AddFile(db, name, lines);
    return path;
}

class Kwic : public ::testing::Test {
protected:
    void SetUp() override {
        CCorpusDatabase db;
        test::OpenCorpus(db, path);
        // wids: x 1, the 2, cat 3, sat 4 | on 5, the 6, mat 7, The 8, end 9
        test::AddFile(db, "/a.txt", {"x the cat sat", "", "on the mat. The end"});
        // the 10, dog 11, the 12, Cat 13
        test::AddFile(db, "/b.txt", {"the dog the Cat"});
        ASSERT_TRUE(db.Exec(u"DELETE FROM word WHERE wid = 3"));
    }
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
};

TEST_F(Kwic, EveryTokenComesInWidOrderWithItsFile) {
    CCorpusReader reader;
    ASSERT_TRUE(reader.Open(path));
    CWordForms forms;
    CLineLookup lines(reader);
    std::string seen;
    const auto result = ForEachToken(reader, forms, lines, {}, [&](const Token& token, const LineInfo& line) {
        seen += std::to_string(line.oid) + ":" + std::to_string(line.lineNo) + ":" + forms.Word(token.form) + " ";
        return token.wid < 12;
    });
    EXPECT_TRUE(result.done());
    EXPECT_EQ(seen, "1:0:x 1:0:the 1:0:sat 1:2:on 1:2:the 1:2:mat 1:2:The 1:2:end 2:0:the 2:0:dog 2:0:the ");
}

TEST_F(Kwic, SortsByKeysInOrderMissingTokensFirstTiesByWid) {
    const auto wids = [&](const std::string& keys, int context = 1) {
        std::string out;
        for (const std::string& row : RunRows(path, u"the", context, keys)) out += row.substr(0, row.find('\t')) + " ";
        return out;
    };
    EXPECT_EQ(wids("R1"), "12 10 8 6 2 ");
    EXPECT_EQ(wids("L1"), "10 12 8 6 2 ");  // b's first "the" has nothing on its left
    EXPECT_EQ(wids("R2"), "8 12 2 6 10 ");  // a key may reach past the shown context
    EXPECT_EQ(wids("K"), "2 6 8 10 12 ");   // all THE: corpus order
    EXPECT_EQ(wids("F,R1"), "8 6 2 12 10 ");
    EXPECT_EQ(wids("r1,l1"), "12 10 8 6 2 ");
}

TEST_F(Kwic, PhrasesMatchConsecutiveTokensOfOneFileAndPatternsUseGlob) {
    EXPECT_EQ(RunRows(path, u"sat  on", 1, ""), (Rows{"4\t/a.txt\t0\tthe\tsat on\tthe"}));
    EXPECT_EQ(RunRows(path, u"the c*", 1, ""), (Rows{"12\t/b.txt\t0\tdog\tthe Cat\t"}));
    // K compares the node's keys joined by a space.
    EXPECT_EQ(RunRows(path, u"* the", 0, "K"), (Rows{"11\t/b.txt\t0\t\tdog the\t", "7\t/a.txt\t2\t\tmat The\t",
                                                     "5\t/a.txt\t2\t\ton the\t", "1\t/a.txt\t0\t\tx the\t"}));
    // A phrase never runs from one file into the next; a word matches
    // whole, never by its beginning.
    EXPECT_EQ(RunRows(path, u"end the", 1, ""), Rows{});
    EXPECT_EQ(RunRows(path, u"th", 2, ""), Rows{});
    EXPECT_EQ(RunRows(path, u"?a?", 0, "K"), (Rows{"13\t/b.txt\t0\t\tCat\t", "7\t/a.txt\t2\t\tmat\t",
                                                   "4\t/a.txt\t0\t\tsat\t"}));
}

TEST(KwicOrder, ComparesCodePointsAsSqliteDoesNotUtf16Units) {
    TempDir dir;
    // U+1D400 is a surrogate pair in UTF-16 (0xD835 …), below U+FF3A there.
    const std::u16string path = MakeCorpus(dir, {{"/c.txt", {"k \xF0\x9D\x90\x80", "k \xEF\xBD\x9A", "k b"}}});
    EXPECT_EQ(RunRows(path, u"K", 1, "R1"),
              (Rows{"5\t/c.txt\t2\t\xEF\xBD\x9A\tk\tb", "3\t/c.txt\t1\t\xF0\x9D\x90\x80\tk\t\xEF\xBD\x9A",
                    "1\t/c.txt\t0\t\tk\t\xF0\x9D\x90\x80"}));
}

TEST(KwicSortKeys, ParsesNamesAndRefusesAnythingElse) {
    EXPECT_EQ(ParseKwicSortKeys("L20,k,R1,f"),
              (std::vector<KwicSortKey>{{KwicSortKey::Kind::Left, 20},
                                        {KwicSortKey::Kind::Node, 0},
                                        {KwicSortKey::Kind::Right, 1},
                                        {KwicSortKey::Kind::File, 0}}));
    for (const char* bad : {"", "L0", "R21", "L01", "X", "R1,", ",K", "KK", "L"})
        EXPECT_FALSE(ParseKwicSortKeys(bad).has_value()) << bad;
}

// A larger corpus read both ways the windows are read (stepping through a
// frequent word, looking up a rare one), checked against contexts worked out
// here from every token in order.
TEST(KwicWindows, AgreeWithAPlainReadingOfEveryToken) {
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    CCorpusDatabase db;
    test::OpenCorpus(db, path);
    std::mt19937 random(7);
    const char* vocabulary[] = {"a", "a", "a", "a", "b", "b", "c", "d", "rare"};
    for (int f = 0; f < 3; ++f) {
        std::vector<std::string> lines;
        for (int l = 0; l < 150; ++l) {
            std::string line;
            for (int w = 0; w < 1 + int(random() % 12); ++w) {
                const char* word = vocabulary[random() % std::size(vocabulary)];
                if (std::string(word) == "rare" && random() % 8 != 0) word = "d";
                line += std::string(line.empty() ? "" : " ") + word;
            }
            lines.push_back(random() % 10 == 0 ? "" : line);
        }
        test::AddFile(db, "/f" + std::to_string(f) + ".txt", lines);
    }
    ASSERT_TRUE(db.Exec(u"DELETE FROM word WHERE wid % 7 = 3"));
    struct Tok {
        std::string wid, word, upper, file, line;
    };
    std::vector<Tok> tokens;
    ASSERT_TRUE(db.Exec(u"SELECT w.wid, w.word, w.word_upper, f.filename, l.line_no FROM word w JOIN line l "
                        u"ON l.lid = w.lid JOIN original_file f ON f.oid = l.oid ORDER BY w.wid"));
    for (int r = 0; r < db.GetRowCount(); ++r)
        tokens.push_back({test::N(db.GetCell(r, 0)), test::N(db.GetCell(r, 1)), test::N(db.GetCell(r, 2)),
                          test::N(db.GetCell(r, 3)), test::N(db.GetCell(r, 4))});
    const int context = 3;
    for (const std::string node : {"a", "rare"}) {
        struct Expected {
            std::vector<std::pair<bool, std::string>> keys;  // R1, L2: present, word_upper
            long wid;
            std::string row;
        };
        std::vector<Expected> expected;
        const std::string upper = node == "a" ? "A" : "RARE";
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (tokens[i].upper != upper) continue;
            // A file's tokens are consecutive in wid order.
            auto at = [&](long offset) -> const Tok* {
                const long j = static_cast<long>(i) + offset;
                if (j < 0 || j >= static_cast<long>(tokens.size()) || tokens[std::size_t(j)].file != tokens[i].file)
                    return nullptr;
                return &tokens[std::size_t(j)];
            };
            std::string left, right;
            for (long k = context; k >= 1; --k)
                if (const Tok* t = at(-k)) left += (left.empty() ? "" : " ") + t->word;
            for (long k = 1; k <= context; ++k)
                if (const Tok* t = at(k)) right += (right.empty() ? "" : " ") + t->word;
            auto key = [](const Tok* t) { return t ? std::pair{true, t->upper} : std::pair{false, std::string()}; };
            expected.push_back({{key(at(1)), key(at(-2))},
                                std::stol(tokens[i].wid),
                                tokens[i].wid + "\t" + tokens[i].file + "\t" + tokens[i].line + "\t" + left + "\t" +
                                    tokens[i].word + "\t" + right});
        }
        std::sort(expected.begin(), expected.end(), [](const Expected& x, const Expected& y) {
            return std::tie(x.keys, x.wid) < std::tie(y.keys, y.wid);
        });
        Rows rows;
        for (const Expected& e : expected) rows.push_back(e.row);
        ASSERT_GT(rows.size(), node == "a" ? 500u : 5u);
        EXPECT_EQ(RunRows(path, test::W(node.c_str()), context, "R1,L2"), rows) << node;
    }
}

// The first batch arrives before the run is over; a stop asked for then
// ends the run as stopped, with no order handed over.
TEST(KwicRun, HandsRowsOverInBatchesAndStopsWhenAsked) {
    TempDir dir;
    const std::u16string path = MakeCorpus(dir, {{"/a.txt", std::vector<std::string>(500, "a b a")}});
    struct Sink : IKwicSink {
        std::stop_source source;
        std::vector<std::size_t> batches;
        bool ordered = false;
        void OnRows(KwicBatch batch) override {
            batches.push_back(batch.hits.size());
            source.request_stop();
        }
        void OnOrder(std::vector<std::uint32_t>) override { ordered = true; }
    } sink;
    KwicRequest request{u"a", 2, {{KwicSortKey::Kind::Right, 1}}};
    CCorpusReader reader;
    ASSERT_TRUE(reader.Open(path, sink.source.get_token()));
    NullJobProgress quiet;
    EXPECT_EQ(RunKwic(reader, request, sink.source.get_token(), sink, quiet).outcome, JobOutcome::Stopped);
    EXPECT_EQ(sink.batches, std::vector<std::size_t>{64});
    EXPECT_FALSE(sink.ordered);
}

}  // namespace
}  // namespace zorvia
