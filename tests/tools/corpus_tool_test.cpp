// The corpus tool as a user runs it: the built program on a corpus file in a
// temporary directory; its output and the corpus it leaves are checked.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "corpus/registered_files.h"
#include "platform/file_status.h"
#include "support/corpus_builder.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::W;

// Each of `parts` somewhere in `text`.
void ExpectContains(const std::string& text, std::initializer_list<std::string> parts) {
    for (const std::string& part : parts) EXPECT_NE(text.find(part), std::string::npos) << part << " not in:\n" << text;
}

class CorpusTool : public ::testing::Test {
protected:
    // A corpus at `at` holding the files with their lines.
    static void Make(const std::string& at, const std::vector<std::pair<std::string, std::vector<std::string>>>& files) {
        CCorpusDatabase db;
        test::OpenCorpus(db, W(at.c_str()));
        for (const auto& [name, lines] : files) test::AddFile(db, name, lines);
    }
    void AddSample() {
        Make(path, {{"/texts/one.txt", {"Before it all.", "He said: the end.", "After\tthat."}},
                    {"C:\\texts\\two.txt", {"", "The cat and the dog", "", "日本語 the"}}});
    }
    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin(), {ZORVIA_CORPUS_TOOL, path});
        return args;
    }
    test::ProgramRun Run(std::vector<std::string> args, const std::string& cwd = "") {
        return test::RunProgram(Args(std::move(args)), nullptr, cwd);
    }
    int Count(const char16_t* sql) {
        CCorpusDatabase db;
        EXPECT_TRUE(db.Open(W(path.c_str())));
        return test::QueryInt(db, sql);
    }
    test::TempDir dir;
    const std::string path = dir.NativeFile("c.zorviacorpusdb");
};

TEST_F(CorpusTool, SearchWordsAndReportsReadTheCorpus) {
    AddSample();
    // TSV lines carry the stored line number, the aligned form counts from 1.
    const std::string first = "1\tBefore it all. He said: \tthe\t end. After that.\tone.txt\t1\n";
    EXPECT_EQ(Run({"search", "THE", "--tsv"}).out, first +
                                                       "2\t\tThe\t cat and the dog\ttwo.txt\t1\n"
                                                       "3\tThe cat and \tthe\t dog\ttwo.txt\t1\n"
                                                       "4\t日本語 \tthe\t\ttwo.txt\t3\n");
    EXPECT_EQ(Run({"search", "--limit=1", "the", "--tsv"}).out, first);
    // Aligned: every key in column 42, wide characters counting two.
    EXPECT_EQ(Run({"search", "the", "--limit", "4"}).out,
              "   1              Before it all. He said: the end. After that.                     one.txt:2\n"
              "   2                                      The cat and the dog                      two.txt:2\n"
              "   3                          The cat and the dog                                  two.txt:2\n"
              "   4                               日本語 the                                      two.txt:4\n");
    for (const char* command : {"search", "kwic", "collocates"}) {
        const test::ProgramRun none = Run({command, "zzz"});
        EXPECT_EQ(std::to_string(none.status) + " " + none.err, "0 no occurrences of 'zzz'\n") << command;
    }

    EXPECT_EQ(Run({"words", "--limit", "3", "--tsv"}).out, "the\t4\nhe\t1\nit\t1\n");
    EXPECT_EQ(Run({"words", "a*", "--limit", "2"}).out, "all  1\nand  1\n");
    EXPECT_EQ(Run({"words", "[", "--tsv"}).out, "");

    // "The" and "the" are two unique words; the word list folds them.
    EXPECT_EQ(Run({"stats"}).out, "files\t2\nlines\t5\nwords\t16\nunique words\t14\n");
    EXPECT_EQ(Run({"wordlist"}).out,
              "the\t4\nhe\t1\nit\t1\nall\t1\nand\t1\ncat\t1\ndog\t1\nend\t1\n日本語\t1\nsaid\t1\nthat\t1\n"
              "after\t1\nbefore\t1\n");
}

TEST_F(CorpusTool, OptimizeAndDefragSayWhatTheyDidOrWhyNot) {
    AddSample();
    const auto objects = [&] { return Count(u"SELECT count(*) FROM sqlite_master"); };
    test::ProgramRun run = Run({"optimize"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "the index word_lid and the word-count summary are in place\n");
    EXPECT_EQ(objects(), 22);
    EXPECT_EQ(Run({"stats"}).out, "files\t2\nlines\t5\nwords\t16\nunique words\t14\n");
    run = Run({"optimize", "--remove"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "the speed-up is removed\n");
    EXPECT_EQ(objects(), 5);
    CCorpusDatabase db;
    ASSERT_TRUE(db.Open(W(path.c_str())));
    ASSERT_TRUE(db.Exec(u"CREATE TABLE word_lid ( x )"));  // the name is taken
    run = Run({"optimize"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zorvia-corpus: cannot speed up the corpus: there is already a table named word_lid\n");
    EXPECT_EQ(objects(), 6);

    ASSERT_TRUE(db.Exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                        u"INSERT INTO line SELECT NULL, 1, 1, printf('%.200c', 'x') FROM n"));
    ASSERT_TRUE(db.Exec(u"DELETE FROM line"));
    const std::int64_t before = FileSizeOf(W(path.c_str())).value_or(0);
    run = Run({"defrag"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::int64_t after = FileSizeOf(W(path.c_str())).value_or(0);
    EXPECT_LT(after, before / 10);
    char expected[128];
    std::snprintf(expected, sizeof expected, "before\t%lld KB\nafter\t%lld KB\ndecrease\t%.2f %%\n",
                  static_cast<long long>(before / 1024), static_cast<long long>(after / 1024),
                  static_cast<double>(before - after) / static_cast<double>(before) * 100.0);
    EXPECT_EQ(run.out, expected);
    // Another connection holding the write lock makes VACUUM fail.
    ASSERT_TRUE(db.Exec(u"BEGIN IMMEDIATE"));
    run = Run({"defrag"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zorvia-corpus: VACUUM failed: database is locked\n");
    ExpectContains(run.out, {"decrease\t0.00 %\n"});
}

TEST_F(CorpusTool, BadArgumentsAreRefused) {
    AddSample();
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"search"}, {"search", "a", "b"}, {"search", "the", "--limit"},
                                               {"search", "the", "--limit", "0"}, {"search", "the", "--limit", "9999999999"},
                                               {"words", "--wide"}, {"optimize", "now"}, {"stats", "extra"},
                                               {"import"}, {"remove-words"}, {"remove-file", "x"},
                                               {"import", "--encoding"}, {"import", "--encoding", "latin1", "a.txt"},
                                               {"remove-words", "--strict", "a.txt"}, {"import", "--fast", "a.txt"},
                                               {"remove-file", "-3"}, {"remove-file", "99999999999"}, {"nonsense"},
                                               {"kwic"}, {"kwic", "a", "--sort", "R21"}, {"kwic", "a", "--context", "0"},
                                               {"kwic", "a", "--tsv", "--csv"}, {"kwic", "a", "--limit"},
                                               {"collocates"}, {"collocates", "a", "b"}, {"collocates", "a", "--span", "0,0"},
                                               {"collocates", "a", "--span", "21,1"}, {"collocates", "a", "--sort", "X"},
                                               {"collocates", "a", "--min", "0"}, {"ngrams", "--n", "7"}, {"ngrams", "a"},
                                               {"ngrams", "--word", "a b"}, {"dispersion"}, {"dispersion", "a", "--tsv", "--csv"},
                                               {"keywords"}, {"keywords", "--reference", path, "--min-ll", "x"},
                                               {"keywords", "--reference", path, "--bogus"}}) {
        const test::ProgramRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << args.back();
        EXPECT_EQ(run.err.rfind("zorvia-corpus: ", 0), 0u) << args[0] << ": " << run.err;
    }
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 16);
}

TEST_F(CorpusTool, WordRuleIsPrintedSetWhileEmptyAndFollowedByEveryCommand) {
    const std::string sample = ZORVIA_SAMPLE_DIR "/japanese-morphemes.txt";
    EXPECT_EQ(Run({"word-rule"}).out, "separators\n");
    EXPECT_EQ(Run({"word-rule", "separators"}).out, "separators\n");
    EXPECT_EQ(Count(u"SELECT count(*) FROM sqlite_master"), 5);
    EXPECT_EQ(Run({"word-rule", "morphemes"}).status, 2);
    const std::vector<std::string> dictionary = {ZORVIA_CORPUS_TOOL, "--mecab-dictionary", "ipadic-utf8", path};
    auto withDictionary = [&](std::vector<std::string> args) {
        args.insert(args.begin(), dictionary.begin(), dictionary.end());
        return test::RunProgram(args);
    };
    EXPECT_EQ(withDictionary({"word-rule", "mecab"}).out, "mecab\n");
    test::ProgramRun run = withDictionary({"import", sample});
    EXPECT_EQ(run.status, 0) << run.err;
    ExpectContains(run.out, {"(utf-8, 10 lines, "});

    run = Run({"word-rule", "separators"});
    EXPECT_EQ(run.status, 1);
    ExpectContains(run.err, {"ファイルが登録されている"});
    EXPECT_EQ(Run({"word-rule"}).out, "mecab\n");
    const std::string hits = Run({"search", "日本", "--tsv"}).out;
    EXPECT_EQ(std::count(hits.begin(), hits.end(), '\n'), 4) << hits;
    // A node typed as one string is cut into the corpus's words.
    const std::string kwic = Run({"kwic", "日本中", "--tsv"}).out;
    ExpectContains(kwic, {"\t日本 中\t"});
    EXPECT_EQ(Run({"words", "日本", "--tsv"}).out, "日本\t4\n日本語\t1\n");
}

TEST_F(CorpusTool, ImportsListsAndRemovesFilesAndWords) {
    const std::string odd = "it's a \"テスト\".html";
    dir.Write("a.txt", "Hello world\n\nthe cat\n");
    dir.Write(odd, "<p class=\"x\">the <b>end</b></p>\n");
    dir.Write("notes.doc", "x\n");

    // Relative paths are stored in full; an unknown kind and a missing file
    // fail without stopping the others.
    test::ProgramRun run = Run({"import", "a.txt", "notes.doc", "missing.txt", odd}, dir.path());
    EXPECT_EQ(run.status, 1);
    ExpectContains(run.out, {"imported oid 1: " + dir.NativeFile("a.txt") + " (cp932, 2 lines, 4 words)", "oid 2: "});
    ExpectContains(run.err, {"ファイル形式が不明です。追加できません。", "notes.doc: not imported: unknown file kind",
                             "missing.txt: no such file"});
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 6);

    const std::string date = test::N(FormatRegistrationDate(Count(u"SELECT date FROM original_file WHERE oid=1")));
    EXPECT_EQ(Run({"files"}).out, "1\t" + date + "\t" + dir.NativeFile("a.txt") + "\n2\t" + date + "\t" +
                                      dir.NativeFile(odd) + "\n");

    // Removal answers its own question and says so; a second time the id is
    // unknown.
    run = Run({"remove-file", "1"});
    EXPECT_EQ(run.status, 0);
    ExpectContains(run.err, {dir.NativeFile("a.txt") + " を削除してもよろしいですか？ -> yes"});
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 2);
    EXPECT_EQ(Run({"remove-file", "1"}).status, 1);
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 1);

    // So does the removal of listed words, to its question on long lists.
    dir.Write("large.txt", "the, AND\n" + std::string(100'000, '\n'));
    run = Run({"remove-words", dir.NativeFile("large.txt")});
    EXPECT_EQ(run.status, 0);
    ExpectContains(run.err, {"ファイルが１０万行以上あります。読み込みを続けますか？ -> yes", "削除しました"});
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 1);
    EXPECT_EQ(Run({"remove-words", dir.NativeFile("none.txt")}).status, 1);
    // Another program holds the write lock: nothing deleted, and said so.
    CCorpusDatabase other;
    ASSERT_TRUE(other.Open(W(path.c_str())) && other.Exec(u"BEGIN IMMEDIATE"));
    dir.Write("end.txt", "end\n");
    run = Run({"remove-words", dir.NativeFile("end.txt")});
    EXPECT_EQ(run.status, 1);
    ExpectContains(run.err, {"no word was deleted: database is locked"});
}

// Each file is read in its own encoding and says which; bytes that do not
// decode are a warning, or with --strict a refusal. The tool's own UTF-8
// word list read back removes every word.
TEST_F(CorpusTool, ReportsHowEachFileWasReadAndWarnsOfBytesThatDidNotDecode) {
    const std::string text = "日本語 の テキスト\nsecond line\n";
    dir.Write("utf8.txt", text);
    dir.Write("sjis.txt", *test::Iconv("CP932", "UTF-8", text));
    dir.Write("bad.txt", "one\n\x80two\nthree\xFF four\n");
    test::ProgramRun run = Run({"import", "utf8.txt", "sjis.txt", "bad.txt"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "imported oid 1: " + dir.NativeFile("utf8.txt") + " (utf-8, 2 lines, 5 words)\n"
                       "imported oid 2: " + dir.NativeFile("sjis.txt") + " (cp932, 2 lines, 5 words)\n"
                       "imported oid 3: " + dir.NativeFile("bad.txt") + " (cp932, 4 lines, 4 words)\n");
    EXPECT_EQ(run.err, "warning: " + dir.NativeFile("bad.txt") + ": 2 bytes could not be decoded as cp932 (first at line 2)\n");

    // Code page 932 forced to UTF-8 does not decode, and --strict refuses it.
    run = Run({"import", "--strict", "--encoding=utf-8", "sjis.txt"}, dir.path());
    EXPECT_EQ(run.status, 1);
    ExpectContains(run.err, {"could not be decoded as utf-8 (first at line 1)\n", "sjis.txt: not imported (--strict)\n"});
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 3);

    run = Run({"wordlist"});
    const auto lines = std::count(run.out.begin(), run.out.end(), '\n');
    dir.Write("list.txt", run.out);
    run = Run({"remove-words", "--encoding", "auto", dir.NativeFile("list.txt")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "deleted the words of " + dir.NativeFile("list.txt") + " (utf-8, " + std::to_string(lines) +
                           " lines, " + std::to_string(2 * lines) + " words)\n");
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 0);
}

// Only a corpus, a new file or an empty one is opened; a query that fails is
// an error, never an empty result; inputs must be regular files.
TEST_F(CorpusTool, RefusesWhatIsNoCorpusAndReportsEveryFailedQuery) {
    const auto refused = [&](const std::string& db, std::vector<std::string> args, const std::string& message) {
        args.insert(args.begin(), {ZORVIA_CORPUS_TOOL, db});
        const test::ProgramRun run = test::RunProgram(args);
        EXPECT_EQ(run.status, 1) << db;
        ExpectContains(run.err, {message});
        EXPECT_EQ(run.out, "") << db;
    };
    refused("", {"stats"}, "'' names no corpus file");
    refused(":memory:", {"import", "x.txt"}, "':memory:' names no corpus file");
    const std::string foreign = dir.NativeFile("other.sqlite");
    {
        CCorpusDatabase db;
        ASSERT_TRUE(db.Open(W(foreign.c_str())) && db.Exec(u"CREATE TABLE foo ( x )"));
    }
    const std::string bytes = test::ReadFileBytes(foreign);
    refused(foreign, {"import", dir.NativeFile("none.txt")}, "is not a corpus database (it holds other tables)");
    EXPECT_EQ(test::ReadFileBytes(foreign), bytes);
    // A missing or empty file is no corpus to read; nothing is created.
    const std::string missing = dir.NativeFile("missing.zorviacorpusdb");
    refused(missing, {"kwic", "x"}, "zorvia-corpus: cannot read " + missing + ": no such file\n");
    EXPECT_FALSE(std::filesystem::exists(missing));
    dir.Write("empty.zorviacorpusdb", "");
    refused(dir.NativeFile("empty.zorviacorpusdb"), {"export-vrt", dir.NativeFile("c.vrt")}, "zorvia-corpus: ");
    EXPECT_EQ(test::ReadFileBytes(dir.NativeFile("empty.zorviacorpusdb")), "");

    // Inputs that are not regular files.
    AddSample();
    ASSERT_EQ(mkfifo(dir.NativeFile("fifo.txt").c_str(), 0600), 0);
    refused(path, {"import", dir.NativeFile("fifo.txt")}, "fifo.txt: not a regular file");
    refused(path, {"remove-words", dir.NativeFile("fifo.txt")}, "fifo.txt: not a regular file");

    // Another program holding the corpus locked.
    CCorpusDatabase other;
    ASSERT_TRUE(other.Open(W(path.c_str())) && other.Exec(u"BEGIN EXCLUSIVE"));
    refused(path, {"files"}, "cannot open database " + path + ": database is locked");
    ASSERT_TRUE(other.Exec(u"ROLLBACK"));

    // Damaged pages: the index of the words and the table of the files.
    const int pageSize = test::QueryInt(other, u"PRAGMA page_size");
    std::string damaged = test::ReadFileBytes(path);
    for (const char16_t* name : {u"word_word_upper", u"original_file"}) {
        const int page = test::QueryInt(other, u"SELECT rootpage FROM sqlite_master WHERE name='" + std::u16string(name) + u"'");
        damaged.replace(static_cast<std::size_t>(page - 1) * pageSize, pageSize, pageSize, '\xFF');
    }
    other.Close();
    dir.Write("c.zorviacorpusdb", damaged);
    for (const char* command : {"search", "words", "wordlist", "stats", "files"}) {
        refused(path, command == std::string("search") ? std::vector<std::string>{"search", "the"}
                                                       : std::vector<std::string>{command},
                "zorvia-corpus: database disk image is malformed\n");
    }

    // A new corpus that cannot be written (no file may grow: a full disk)
    // leaves no file behind. The messages pass through a pipe, which may.
    const std::string fresh = dir.NativeFile("fresh.zorviacorpusdb");
    const test::ProgramRun run = test::RunProgram(
        {"/bin/sh", "-c", "{ (trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"); echo \"status $?\"; } 2>&1 | cat",
         ZORVIA_CORPUS_TOOL, fresh, "stats"});
    ExpectContains(run.out, {"cannot create the corpus " + fresh + ": disk I/O error\nstatus 1\n"});
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST_F(CorpusTool, CtrlCRollsBackTheCurrentFileAndStops) {
    // Big enough to take a good part of a second.
    std::string text;
    for (int i = 0; i < 60'000; ++i) text += "the quick brown fox jumps over the lazy dog\n";
    dir.Write("big.txt", text);
    dir.Write("after.txt", "after\n");
    // The schema is created first: its statements use a journal too.
    ASSERT_EQ(Run({"files"}).status, 0);
    test::TempDir scratch;
    const pid_t pid = test::StartProgram(scratch, Args({"import", dir.NativeFile("big.txt"), dir.NativeFile("after.txt")}));
    // The journal appears with the first row of the file.
    const std::string journal = path + "-journal";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(journal) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(std::filesystem::exists(journal));
    kill(pid, SIGINT);
    const test::ProgramRun run = test::FinishProgram(scratch, pid);
    EXPECT_EQ(run.status, 130);
    ExpectContains(run.err, {"中止しました", "big.txt rolled back, the files after it not imported"});
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 0);
    EXPECT_EQ(Count(u"SELECT count(*) FROM word"), 0);
}

TEST_F(CorpusTool, KwicWritesEveryHitSortedAsTsvCsvOrAligned) {
    Make(path, {{"/t/one.txt", {"a the b", "", "c, \"the\" d"}}, {"/t/two.txt", {"the e\r the"}}});
    EXPECT_EQ(Run({"kwic", "the", "--tsv"}).out,
              "wid\tfile\tline_no\tleft\tnode\tright\n"
              "2\t/t/one.txt\t0\ta\tthe\tb c the d\n"
              "5\t/t/one.txt\t2\ta the b c\tthe\td\n"
              "7\t/t/two.txt\t0\t\tthe\te\r the\n"
              "9\t/t/two.txt\t0\tthe e\r\tthe\t\n");
    EXPECT_EQ(Run({"kwic", "THE", "--sort=R1", "--context", "1", "--limit", "2", "--csv"}).out,
              "\xEF\xBB\xBFwid,file,line_no,left,node,right\r\n9,/t/two.txt,0,\"e\r\",the,\r\n"
              "2,/t/one.txt,0,a,the,b\r\n");
    // Two words make a phrase; aligned, the node starts in one column.
    EXPECT_EQ(Run({"kwic", "the", "b", "--context", "1"}).out,
              std::string(8, ' ') + "2  " + std::string(35, ' ') + "a the b c" + std::string(35, ' ') + "  one.txt:1\n");
}

TEST_F(CorpusTool, CollocatesNgramsDispersionAndKeywords) {
    const std::string reference = dir.NativeFile("r.zorviacorpusdb");
    Make(path, {{"/t/one.txt", {"a n b", "b n c"}}, {"/t/two.txt", {"n a"}}});  // a1 n2 b3 | b4 n5 c6 ; n7 a8
    Make(reference, {{"/r.txt", {"n n x x"}}});
    // Span 1,1: A1 B3 | B4 C6 | A8; W = 5 of N = 8. Span 0,1: B3 C6 A8.
    const std::string header = "word_upper\tO\tO_L\tO_R\tf(c)\tMI\tT\tLL\tlogDice\n";
    EXPECT_EQ(Run({"collocates", "N", "--span", "1,1", "--tsv"}).out,
              header + "A\t2\t1\t1\t2\t0.6781\t0.5303\t2.2672\t13.6781\n"
                       "B\t2\t1\t1\t2\t0.6781\t0.5303\t2.2672\t13.6781\n"
                       "C\t1\t0\t1\t1\t0.6781\t0.3750\t1.0243\t13.0000\n");
    EXPECT_EQ(Run({"collocates", "n", "--span=1,1", "--sort", "word_upper", "--min", "2", "--limit", "1", "--csv"}).out,
              "\xEF\xBB\xBFword_upper,O,O_L,O_R,f(c),MI,T,LL,logDice\r\nA,2,1,1,2,0.6781,0.5303,2.2672,13.6781\r\n");
    EXPECT_EQ(Run({"collocates", "n", "--span", "0,1", "--limit", "1"}).out,
              "word_upper  O  O_L  O_R  f(c)      MI       T      LL  logDice\n"
              "C           1    0    1     1  1.4150  0.6250  2.2092  13.0000\n");

    EXPECT_EQ(Run({"ngrams", "--n", "2", "--min", "1", "--tsv"}).out,
              "ngram\tfrequency\trange\nA N\t1\t1\nB N\t1\t1\nN A\t1\t1\nN B\t1\t1\nN C\t1\t1\n");
    EXPECT_EQ(Run({"ngrams", "--n=2", "--word", "c", "--min=1", "--tsv"}).out, "ngram\tfrequency\trange\nN C\t1\t1\n");

    // p = 2/6 and 1/2: m = 5/12, s = 1/12, D = 1 - 1/5. The summary is
    // the last line, in one field.
    const std::string svg = dir.NativeFile("n.svg");
    EXPECT_EQ(Run({"dispersion", "n", "--tsv", "--svg", svg}).out,
              "path\tn_i\th_i\tper_10000\n/t/one.txt\t6\t2\t3333.33\n/t/two.txt\t2\t1\t5000.00\n"
              "# D=0.8000 frequency=3 files=2\n");
    EXPECT_EQ(test::ReadFileBytes(svg).substr(0, 5), "<svg ");

    EXPECT_EQ(Run({"keywords", "--reference", reference, "--min-ll", "0", "--limit", "2", "--tsv"}).out,
              "word_upper\tO1\tO2\tLL\tlog_ratio\nA\t2\t0\t1.6219\t1.0000\nB\t2\t0\t1.6219\t1.0000\n");
    EXPECT_EQ(Run({"keywords", "--reference=" + reference, "--negative", "--tsv"}).out,
              "word_upper\tO1\tO2\tLL\tlog_ratio\nX\t0\t2\t4.3944\t-3.0000\n");
    const test::ProgramRun refused = Run({"keywords", "--reference", svg});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "zorvia-corpus: cannot read " + svg + ": file is not a database\n");
}

TEST_F(CorpusTool, ExportVrtWritesTheCorpusEscaped) {
    Make(path, {{"/t/a&b.txt", {"x <y>"}}});
    const std::string out = dir.NativeFile("c.vrt");
    const test::ProgramRun run = Run({"export-vrt", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(out), "<text id=\"1\" path=\"/t/a&amp;b.txt\">\n<l n=\"0\">\nx\tX\n&lt;y&gt;\t&lt;Y&gt;\n"
                                        "</l>\n</text>\n");
}

}  // namespace
}  // namespace zorvia
