// Collocates, clusters, dispersion and keywords on small corpora whose
// results are worked out by hand: windows merged, cut at file edges and
// running across lines and deleted rows; n-grams within lines; ranges; D.
#include <expat.h>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>

#include "analysis/collocates.h"
#include "analysis/dispersion.h"
#include "analysis/keywords.h"
#include "analysis/ngrams.h"
#include "analysis/word_counts.h"
#include "corpus/corpus_fakes.h"
#include "corpus/word_summary.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::TempDir;
using Rows = std::vector<std::string>;

Rows Records(const ITableModel& table) {
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

using Files = std::vector<std::pair<std::string, std::vector<std::string>>>;

// Adds the files with their lines to the corpus at `path`, made if new.
void Make(const std::u16string& path, const Files& files) {
    CCorpusDatabase db;
    test::OpenCorpus(db, path);
    for (const auto& [name, lines] : files) test::AddFile(db, name, lines);
}

// Runs `job` on a fresh reader of `path` and expects it done.
template <typename Job>
void RunOn(const std::u16string& path, Job job) {
    CCorpusReader reader;
    ASSERT_TRUE(reader.Open(path));
    NullJobProgress progress;
    const JobResult result = job(reader, progress);
    EXPECT_TRUE(result.done()) << test::N(result.errorText);
}

class Analyses : public ::testing::Test {
protected:
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
};

TEST_F(Analyses, CollocateWindowsMergeAndStopAtFileEdges) {
    // A1 N2 X3 B4 N5 C6 | D7 (a later line) ; N8 E9 B10 ; B11 B12 A13
    Make(path, {{"/a.txt", {"A N X B N C", "", "D"}}, {"/b.txt", {"N E B"}}, {"/c.txt", {"B B A"}}});
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(path) && db.Exec(u"DELETE FROM word WHERE wid = 3"));
    // Span 1,2. The windows: N2 takes A1 | B4 (N5 is the node); N5 takes
    // B4 | C6 D7; N8 takes nothing on the left (D7 is in another file) and
    // E9 B10. B4 lies in two windows, left of one and right of the other,
    // and counts once: W = 6, N = 12. B: O = 2 = E, so MI and LL are 0.
    CollocateRequest request{u"n", 1, 2, 1};
    CCollocateTable table;
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunCollocates(r, request, {}, p, table); });
    EXPECT_EQ(table.windowArea, 6);
    EXPECT_EQ(table.corpusTokens, 12);
    EXPECT_EQ(table.nodeFrequency, 3);
    EXPECT_EQ(Records(table), (Rows{
                                  "C\t1\t0\t1\t1\t1.0000\t0.5000\t1.4773\t13.0000",
                                  "D\t1\t0\t1\t1\t1.0000\t0.5000\t1.4773\t13.0000",
                                  "E\t1\t0\t1\t1\t1.0000\t0.5000\t1.4773\t13.0000",
                                  "B\t2\t1\t2\t4\t0.0000\t0.0000\t0.0000\t13.1926",
                                  "A\t1\t1\t0\t2\t0.0000\t0.0000\t0.0000\t12.6781",
                              }));
    // Any column orders the rows, ties in the default order.
    table.SetOrder(*table.OrderBy(CCollocateTable::kFc, true));
    EXPECT_EQ(table.Row(0).word, "B");
    EXPECT_EQ(table.Row(1).word, "A");
    EXPECT_EQ(table.Row(2).word, "C");

    // --min drops rows; the counts of the corpus come again once it changed.
    request.minO = 2;
    test::AddFile(db, "/d.txt", {"B B B"});
    CCollocateTable again;
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunCollocates(r, request, {}, p, again); });
    ASSERT_EQ(again.RowCount(), 1u);
    EXPECT_EQ(again.Row(0).fc, 7);
    EXPECT_EQ(again.corpusTokens, 15);

    CCorpusReader reader;
    ASSERT_TRUE(reader.Open(path));
    NullJobProgress progress;
    EXPECT_EQ(RunCollocates(reader, {u"a b", 5, 5, 1}, {}, progress, table).outcome, JobOutcome::Failed);
    EXPECT_EQ(RunCollocates(reader, {u"a", 0, 0, 1}, {}, progress, table).outcome, JobOutcome::Failed);
}

NgramRequest Ngrams(int n, std::int64_t min, std::u16string word = {}) {
    NgramRequest request;
    request.n = n;
    request.minFrequency = min;
    request.word = std::move(word);
    return request;
}

// A corpus of random words over a few files and lines, with some tokens
// deleted; and the same tokens read back by plain SQL: per file, per line.
struct RandomCorpus {
    struct Token {
        std::string upper;
        std::int64_t lid;
    };
    std::vector<std::vector<Token>> files;

    RandomCorpus(const std::u16string& path, unsigned seed) {
        std::mt19937 random(seed);
        CCorpusDatabase db;
        test::OpenCorpus(db, path);
        for (int file = 0; file < 4; ++file) {
            std::vector<std::string> lines;
            for (int line = 0; line < 1 + static_cast<int>(random() % 12); ++line) {
                std::string text;
                for (unsigned word = 0; word < random() % 9; ++word) text += std::string(1, "nnabcdef"[random() % 8]) + " ";
                lines.push_back(text);
            }
            test::AddFile(db, "/r" + std::to_string(file) + ".txt", lines);
        }
        EXPECT_TRUE(db.Exec(u"DELETE FROM word WHERE wid % 7 = 3"));
        for (const std::u16string& row : test::QueryRows(
                 db, u"SELECT l.oid, w.lid, w.word_upper FROM word AS w JOIN line AS l ON l.lid = w.lid ORDER BY w.wid")) {
            const std::string fields = test::N(row);
            const auto bar = fields.find('|'), bar2 = fields.rfind('|');
            const auto oid = static_cast<std::size_t>(std::stoi(fields.substr(0, bar)));
            if (files.size() < oid) files.resize(oid);
            files[oid - 1].push_back({fields.substr(bar2 + 1), std::stoll(fields.substr(bar + 1, bar2 - bar - 1))});
        }
    }
};

TEST_F(Analyses, CollocateCountsMatchACountOfEveryWindow) {
    const RandomCorpus corpus(path, 11);
    for (const auto& [left, right] : {std::pair{2, 3}, std::pair{0, 4}, std::pair{3, 0}, std::pair{1, 1}}) {
        // Each position of each file, marked from every node's window.
        std::map<std::string, std::array<std::int64_t, 3>> expected;  // O, O_L, O_R
        std::int64_t w = 0;
        for (const auto& tokens : corpus.files) {
            const auto n = static_cast<int>(tokens.size());
            std::vector<int> sides(tokens.size());
            for (int i = 0; i < n; ++i) {
                if (tokens[std::size_t(i)].upper != "N") continue;
                for (int k = std::max(0, i - left); k < i; ++k) sides[std::size_t(k)] |= 1;
                for (int k = i + 1; k <= std::min(n - 1, i + right); ++k) sides[std::size_t(k)] |= 2;
            }
            for (int i = 0; i < n; ++i) {
                if (sides[std::size_t(i)] == 0 || tokens[std::size_t(i)].upper == "N") continue;
                auto& counts = expected[tokens[std::size_t(i)].upper];
                ++counts[0];
                counts[1] += sides[std::size_t(i)] & 1;
                counts[2] += (sides[std::size_t(i)] & 2) / 2;
                ++w;
            }
        }
        CCollocateTable table;
        RunOn(path, [&](CCorpusReader& r, IJobProgress& p) {
            return RunCollocates(r, {u"n", left, right, 1}, {}, p, table);
        });
        std::map<std::string, std::array<std::int64_t, 3>> found;
        for (std::size_t row = 0; row < table.RowCount(); ++row)
            found[table.Row(row).word] = {table.Row(row).o, table.Row(row).oLeft, table.Row(row).oRight};
        EXPECT_EQ(found, expected) << left << "," << right;
        EXPECT_EQ(table.windowArea, w) << left << "," << right;
    }
}

// A corpus with the kept word-count summary gives the analyses the very
// counts the word table gives, also after the triggers kept it.
TEST_F(Analyses, CountsFromTheWordSummaryEqualThoseOfTheWordTable) {
    const RandomCorpus corpus(path, 5);
    const auto results = [&](bool summary) {
        Rows rows;
        RunOn(path, [&](CCorpusReader& r, IJobProgress& p) {
            EXPECT_EQ(HasSummary(r), summary);
            CCollocateTable table;
            const JobResult result = RunCollocates(r, {u"n", 2, 2, 1}, {}, p, table);
            rows = Records(table);
            rows.push_back("N=" + std::to_string(CountTokens(r).value_or(-1)));
            CWordFrequencies frequencies(r);
            std::vector<WordFrequency> words;
            EXPECT_TRUE(frequencies.AllWords({}, [](std::int64_t) {}, words).done());
            for (const WordFrequency& word : words) rows.push_back(word.word + "=" + std::to_string(word.count));
            rows.push_back("f(zz)=" + std::to_string(frequencies.Count("ZZ").value_or(-1)));
            return result;
        });
        return rows;
    };
    const Rows plain = results(false);
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(path));
    test::FakeProgress progress;
    ASSERT_EQ(CreateSpeedUp(db, progress).result, SpeedUpResult::Done);
    EXPECT_EQ(results(true), plain);
    ASSERT_TRUE(db.Exec(u"DELETE FROM word WHERE wid % 5 = 1 OR word_upper = 'B'"));
    const Rows kept = results(true);
    EXPECT_NE(kept, plain);
    ASSERT_EQ(RemoveSpeedUp(db).result, SpeedUpResult::Done);
    EXPECT_EQ(results(false), kept);
}

TEST_F(Analyses, TheFileVersionChangesWithEveryCommitOnly) {
    Make(path, {{"/a.txt", {"a b"}}});
    const auto version = [&] {
        CCorpusReader reader;
        EXPECT_TRUE(reader.Open(path));
        return CorpusFileVersion(reader);
    };
    const auto first = version();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(version(), first);
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(path) && db.Exec(u"DELETE FROM word WHERE wid = 1"));
    EXPECT_NE(version(), first);
}

Rows NgramRows(const std::u16string& path, NgramRequest request, NgramRunInfo* info = nullptr) {
    CNgramTable table(request.n);
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunNgrams(r, request, {}, p, table, info); });
    return Records(table);
}

TEST_F(Analyses, NgramsStayInsideLinesAndCountFiles) {
    // "K\r" sorts before "K" followed by a space: keys compare as text.
    Make(path, {{"/a.txt", {"A B C A B", "C A B"}}, {"/b.txt", {"A Q B C"}}, {"/c.txt", {"K\r L", "K M", "K\r L", "K M"}}});
    {
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(path) && db.Exec(u"DELETE FROM word WHERE word_upper = 'Q'"));
    }
    // "A B C" of the end of a's first line and the start of its second is
    // not one: runs stay inside a line. b's deleted Q leaves no gap.
    EXPECT_EQ(NgramRows(path, Ngrams(3, 2)), (Rows{"A B C\t2\t2", "C A B\t2\t1"}));
    EXPECT_EQ(NgramRows(path, Ngrams(2, 1, u"c")), (Rows{"B C\t2\t2", "C A\t2\t1"}));
    EXPECT_EQ(NgramRows(path, Ngrams(2, 2)),
              (Rows{"A B\t4\t2", "B C\t2\t2", "C A\t2\t1", "K\r L\t2\t1", "K M\t2\t1"}));
    EXPECT_EQ(NgramRows(path, Ngrams(6, 1)), Rows{});

    // The key column sorts as the default order's last key does; a sort
    // asked to stop gives nothing.
    CNgramTable table(2);
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunNgrams(r, Ngrams(2, 2), {}, p, table); });
    table.SetOrder(*table.OrderBy(CNgramTable::kNgram, true));
    EXPECT_EQ(table.Key(0), "K M");
    EXPECT_EQ(table.Key(1), "K\r L");
    std::stop_source stopped;
    stopped.request_stop();
    CNgramTable big(1 + 1);
    const std::uint32_t ids[2] = {0, 0};
    big.SetWords({"A"});
    for (int i = 0; i < 100000; ++i) big.AddRow(ids, static_cast<std::uint32_t>(i % 7), 1);
    EXPECT_FALSE(big.OrderBy(CNgramTable::kFrequency, true, stopped.get_token()).has_value());
}

TEST_F(Analyses, NgramCountsMatchACountOfEveryLine) {
    const RandomCorpus corpus(path, 5);
    for (int n = 2; n <= 4; ++n) {
        std::map<std::string, std::pair<int, std::set<std::size_t>>> expected;
        for (std::size_t file = 0; file < corpus.files.size(); ++file) {
            const auto& tokens = corpus.files[file];
            for (std::size_t i = 0; i + std::size_t(n) <= tokens.size(); ++i) {
                if (tokens[i].lid != tokens[i + std::size_t(n) - 1].lid) continue;
                std::string key = tokens[i].upper;
                for (int k = 1; k < n; ++k) key += " " + tokens[i + std::size_t(k)].upper;
                ++expected[key].first;
                expected[key].second.insert(file);
            }
        }
        std::multiset<std::string> rows, found;
        for (const auto& [key, counts] : expected)
            rows.insert(key + "\t" + std::to_string(counts.first) + "\t" + std::to_string(counts.second.size()));
        for (const std::string& row : NgramRows(path, Ngrams(n, 1))) found.insert(row);
        EXPECT_EQ(found, rows) << n;
    }
}

TEST_F(Analyses, NgramCountsGoneThroughTemporaryFilesAreExact) {
    std::mt19937 random(7);
    Files files(4);
    for (std::size_t file = 0; file < files.size(); ++file) {
        files[file] = {"/f" + std::to_string(file) + ".txt", std::vector<std::string>(60)};
        for (std::string& text : files[file].second)
            for (int word = 0; word < 12; ++word) text += std::string(1, static_cast<char>('a' + random() % 5)) + " ";
    }
    Make(path, files);
    NgramRunInfo kept, spilled;
    const Rows inMemory = NgramRows(path, Ngrams(3, 1), &kept);
    NgramRequest small = Ngrams(3, 1);
    small.memoryBudget = 1;  // every new n-gram sends the counts to the files
    small.spillDirectory = dir.path();
    EXPECT_EQ(NgramRows(path, small, &spilled), inMemory);
    EXPECT_EQ(kept.spills, 0);
    EXPECT_GT(spilled.spills, 50);
    EXPECT_EQ(spilled.distinct, kept.distinct);
    EXPECT_EQ(inMemory.size(), 125u);  // every 3-gram of 5 letters occurs

    // Without a place for the temporary files the run fails; it never
    // reports counts it could not finish.
    small.spillDirectory = dir.path() + "/missing";
    CNgramTable table(3);
    CCorpusReader reader;
    ASSERT_TRUE(reader.Open(path));
    NullJobProgress progress;
    const JobResult failed = RunNgrams(reader, small, {}, progress, table);
    EXPECT_EQ(failed.outcome, JobOutcome::Failed);
    EXPECT_NE(test::N(failed.errorText).find("missing"), std::string::npos);
    EXPECT_EQ(table.RowCount(), 0u);
}

struct DispersionCase {
    const char* name;
    std::vector<std::string> first;  // the lines of /a.txt
    const char* deleted;              // a word removed afterwards
};

class Dispersion : public ::testing::TestWithParam<DispersionCase> {};

TEST_P(Dispersion, RowsDAndPositions) {
    TempDir dir;
    const std::u16string path = dir.File("c.zorviacorpusdb");
    Make(path, {{"/a.txt", GetParam().first}, {"/t/b&<c>.txt", {"x k", "x k"}}, {"/empty.txt", {"gone gone"}}});
    {
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(path) && db.Exec(u"DELETE FROM word WHERE word_upper = 'GONE' OR word_upper = '" +
                                             test::W(GetParam().deleted) + u"'"));
    }
    CDispersionTable table;
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunDispersion(r, u"K", {}, p, table); });
    // p = 1/4 and 2/4 over the two files with tokens: D = 2/3.
    EXPECT_EQ(Records(table), (Rows{"/a.txt\t4\t1\t2500.00", "/t/b&<c>.txt\t4\t2\t5000.00", "/empty.txt\t0\t0\t0.00"}));
    EXPECT_EQ(table.Summary(), "D=0.6667 frequency=3 files=2");
    EXPECT_EQ(table.File(0).positions, std::vector<float>{0.0f});
    EXPECT_EQ(table.File(1).positions, (std::vector<float>{0.25f, 0.75f}));
}

INSTANTIATE_TEST_SUITE_P(Analyses, Dispersion,
                         ::testing::Values(DispersionCase{"wholeFiles", {"k x", "", "x x"}, "NONE"},
                                           DispersionCase{"deletedInside", {"k x q", "", "x x"}, "Q"}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(Analyses, DispersionOfEqualSpreadAndOfOneFileAndTheSvgParses) {
    Make(path, {{"/a&<b>.txt", {"k x k x"}}});
    CDispersionTable table;
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunDispersion(r, u"k", {}, p, table); });
    EXPECT_EQ(table.Summary(), "D=- frequency=2 files=1");
    Make(path, {{"/c.txt", {"x k"}}});
    RunOn(path, [&](CCorpusReader& r, IJobProgress& p) { return RunDispersion(r, u"k", {}, p, table); });
    EXPECT_EQ(table.Summary(), "D=1.0000 frequency=3 files=2");

    const std::u16string svg = dir.File("plot.svg");
    ASSERT_TRUE(WriteDispersionSvg(table, svg).done());
    struct Counts {
        int bars = 0, marks = 0;
        std::string text;
    } counts;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto& c = *static_cast<Counts*>(data);
            if (std::string(name) == "rect" && std::string(attributes[0]) == "x") ++c.bars;
            for (int i = 0; attributes[i] != nullptr; i += 2)
                if (std::string(attributes[i]) == "d")
                    for (const char* at = attributes[i + 1]; *at != '\0'; ++at) c.marks += *at == 'M';
        },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
        static_cast<Counts*>(data)->text.append(text, static_cast<std::size_t>(length));
    });
    const std::string bytes = test::ReadFileBytes(dir.NativeFile("plot.svg"));
    ASSERT_EQ(XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE), XML_STATUS_OK)
        << XML_ErrorString(XML_GetErrorCode(parser)) << "\n" << bytes;
    XML_ParserFree(parser);
    EXPECT_EQ(counts.bars, 2);
    EXPECT_EQ(counts.marks, 3);
    EXPECT_NE(counts.text.find("/a&<b>.txt: 2"), std::string::npos);
}

TEST_F(Analyses, KeywordsAgainstAReferenceCorpus) {
    const std::u16string reference = dir.File("r.zorviacorpusdb");
    Make(path, {{"/t.txt", {"x x x x y z"}}});
    Make(reference, {{"/r.txt", {"y y z z z w w w w w w w"}}});
    const auto keywords = [&](bool negative, double minLl) {
        CKeywordTable table;
        CCorpusReader target, other;
        EXPECT_TRUE(target.Open(path) && other.Open(reference));
        NullJobProgress progress;
        EXPECT_TRUE(RunKeywords(target, other, {negative, minLl}, {}, progress, table).done());
        return Records(table);
    };
    // X is absent from the reference (O2' = 0.5); Y has equal rates (1/6,
    // 2/12) and is in neither list.
    EXPECT_EQ(keywords(false, 3.84), Rows{"X\t4\t0\t8.7889\t4.0000"});
    EXPECT_EQ(keywords(true, 3.84), Rows{"W\t0\t7\t5.6765\t-2.8074"});
    EXPECT_EQ(keywords(true, 0), (Rows{"W\t0\t7\t5.6765\t-2.8074", "Z\t1\t3\t0.1313\t-0.5850"}));

    // Counts kept from the first runs are not used once a corpus changed.
    Make(reference, {{"/r2.txt", {"x x x x x x x x x x x x"}}});
    EXPECT_EQ(keywords(false, 3.84), Rows{});
    EXPECT_EQ(keywords(true, 0), Rows{"W\t0\t7\t3.1240\t-1.8074"});

    EXPECT_FALSE(ReferenceCorpusProblem(reference).has_value());
    EXPECT_TRUE(ReferenceCorpusProblem(dir.Write("not.txt", "plain text, not a database")).has_value());
    EXPECT_TRUE(ReferenceCorpusProblem(dir.File("missing.zorviacorpusdb")).has_value());
}

}  // namespace
}  // namespace zorvia
