#include "corpus/file_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <utility>

#include "corpus/database_files.h"
#include "corpus_fakes.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using namespace std::string_literals;
using test::DumpCorpus;
using test::FakePrompt;
using test::FakeProgress;
using test::FakeStatus;
using test::N;
using test::TempDir;
using test::TraceCapture;

using Texts = std::vector<std::u16string>;

std::int64_t FixedClock() { return 1'141'707'900; }

// Lines of one file through one scanner, and the trimmed text of each.
TEST(HtmlScanner, StateCarriesFromLineToLine) {
    const std::vector<std::pair<Texts, Texts>> cases = {
        // A > inside a quoted value does not end the tag; an apostrophe is no quote.
        {{u"<a title=\"a>b\">x</a>", u"<a title='a>b'>x</a>"}, {u"x", u"b'>x"}},
        // A tag and its quoted value run over lines; CR ends a tag name.
        {{u"one<img alt=\"two", u"three\" src=x", u"y>four", u"<br\r>five"}, {u"one", u"", u"four", u"five"}},
        // Script ends only at "</script>" within one line, in any case.
        {{u"<SCRIPT type=\"a\">x<y</ScRiPt>shown", u"<script>a</script >b", u"c</script>d"}, {u"shown", u"", u"d"}},
        // Comments: two hyphens and > in the same line end them; written in
        // one run they close at their own end; "<!-->" does not.
        {{u"<!--x-->after", u"<!---->too", u"<!-->hidden", u"-->shown"}, {u"after", u"too", u"", u"shown"}},
        {{u"<!-- a --", u">b", u"-->c"}, {u"", u"", u"c"}},
        // A tag or a comment never closed hides the rest of the file.
        {{u"shown<p class=\"x", u"hidden"}, {u"shown", u""}},
        {{u"shown<!-- never", u"hidden"}, {u"shown", u""}},
    };
    for (const auto& [lines, expected] : cases) {
        HtmlScanner scanner;
        std::u16string visible;
        Texts got;
        for (const std::u16string& line : lines) {
            scanner.VisibleText(line, visible);
            got.emplace_back(TrimBlanks(visible));
        }
        EXPECT_EQ(got, expected) << N(lines[0]);
    }
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("c.zorviacorpusdb")));
        SetRegistrationClockForTesting(&FixedClock);
    }
    void TearDown() override { SetRegistrationClockForTesting(nullptr); }

    ImportOutcome Import(const std::u16string& path) { return ImportOneFile(db, path, prompt, progress, status); }
    // "line_no|text" of every stored line, "word|WORD" of every occurrence.
    Texts Lines(int oid) {
        return test::QueryRows(db, u"SELECT line_no, line_data FROM line WHERE oid=" + FormatInt(oid) + u" ORDER BY lid");
    }
    Texts Words(int oid) {
        return test::QueryRows(db, u"SELECT word, word_upper FROM word WHERE lid IN (SELECT lid FROM line WHERE oid=" +
                                       FormatInt(oid) + u") ORDER BY wid");
    }
    // No transaction may be left open when an operation is done.
    bool TransactionClosed() { return test::NoTransactionOpen(db); }

    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
    FakeProgress progress;
    FakeStatus status;
};

TEST_F(ImportTest, TextFileStoresNonEmptyLinesVerbatimWithTheirWords) {
    const auto path = dir.Write("it's a \"テスト\".txt", "Hello world\r\n\r\n  \r\n");
    TraceCapture trace;
    const ImportOutcome outcome = Import(path);
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(test::QueryRows(db, u"SELECT filename, date, memo FROM original_file"), Texts{path + u"|1141707900|"});
    EXPECT_EQ(Lines(outcome.oid), (Texts{u"0|Hello world", u"2|  "}));
    EXPECT_EQ(Words(outcome.oid), (Texts{u"Hello|HELLO", u"world|WORLD"}));
    EXPECT_TRUE(prompt.messages.empty());

    // Three lines count as 4; pumps on lines 0 and 2 and once before the commit.
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"loading...", u"loading... (line : 0)",
                                     u"loading... (line : 2)", u"commiting..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 500, 1000}));
    EXPECT_EQ(progress.pumps, 3);
    EXPECT_EQ(status.texts,
              (Texts{u"loading...", u"loading... (line : 0)", u"loading... (line : 2)", u"commit..."}));
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"oid : 1\n", "     0 : /Hello world/\n", "     1 : skip\n",
                                                       "     2 : /  /\n"}));
    EXPECT_TRUE(TransactionClosed());
}

TEST_F(ImportTest, HtmlStoresTheVisibleTextOfEachLine) {
    const ImportOutcome outcome = Import(dir.Write("page.HTM",
                                             "<html><head><title>Title</title>\n"          // 0
                                             "<script>\n"                                  // 1
                                             "document.write(\"<b>x</b>\");\n"             // 2
                                             "</script>after\n"                            // 3
                                             "<p class=\"greeting\">Hi <b>there</b></p>\n"  // 4
                                             "<!-- note -->\tvisible <!-- a\n"             // 5
                                             "hidden\n"                                    // 6
                                             "-->  Don't stop-me <i title='x'>now</i>!\n"  // 7
                                             "  <br>  <hr>  \n"                            // 8
                                             "&nbsp;&amp;\r\n"));                          // 9
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid),
              (Texts{u"0|Title", u"3|after", u"4|Hi there", u"5|visible", u"7|Don't stop-me now!", u"9|&nbsp;&amp;"}));
    EXPECT_EQ(Words(outcome.oid),
              (Texts{u"Title|TITLE", u"after|AFTER", u"Hi|HI", u"there|THERE", u"visible|VISIBLE", u"Don|DON",
                     u"t|T", u"stop|STOP", u"me|ME", u"now|NOW", u"&nbsp|&NBSP", u"&amp|&AMP"}));
}

// Gone between the chooser and the import, or a directory: nothing shown,
// nothing begun. A closed corpus and an unknown kind are refused with a
// message: see the window tests of dropped files.
TEST_F(ImportTest, AFileThatCannotBeOpenedIsPassedOverQuietly) {
    const auto gone = dir.Write("gone.txt", "a\n");
    std::filesystem::remove(dir.NativeFile("gone.txt"));
    std::filesystem::create_directory(dir.NativeFile("folder.txt"));
    EXPECT_EQ(Import(gone).result, ImportResult::OpenFailed);
    EXPECT_EQ(Import(dir.File("folder.txt")).result, ImportResult::OpenFailed);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(progress.begins, 0);
    EXPECT_TRUE(TransactionClosed());
}

TEST_F(ImportTest, CancelLeavesTheCorpusExactlyAsBefore) {
    ASSERT_EQ(Import(dir.Write("first.txt", "one two\nthree\n")).result, ImportResult::Committed);
    const std::string before = DumpCorpus(db);
    progress = FakeProgress();
    progress.cancelAtPump = 3;  // on line 4, after lines 0 to 3 were written
    const ImportOutcome outcome = Import(dir.Write("second.txt", "a b\nc d\ne f\ng h\ni j\nk l\n"));
    EXPECT_EQ(outcome.result, ImportResult::Cancelled);
    EXPECT_EQ(outcome.lines, 4);
    EXPECT_EQ(DumpCorpus(db), before);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"中止しました");
    EXPECT_EQ(progress.texts.back(), u"ABORTING...");
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(status.last, u"loading... (line : 4)");
    EXPECT_TRUE(TransactionClosed());
}

// Each failing statement abandons the file: rolled back, the user told with
// SQLite's message, the earlier corpus intact. A BEGIN refused inside another
// transaction leaves that one alone.
TEST_F(ImportTest, AFailingStatementAbandonsTheFile) {
    ASSERT_EQ(Import(dir.Write("kept.txt", "kept line\n")).result, ImportResult::Committed);
    const auto victim = dir.Write("victim.txt", "alpha beta\ngamma\ndelta epsilon\n");
    const std::u16string write = u"データベースへの書き込みに失敗しました。";
    test::ExpectEachFaultChangesNothing(
        db, dir.File("c.zorviacorpusdb"), prompt,
        {{"file row", u"CREATE TRIGGER t BEFORE INSERT ON original_file BEGIN SELECT RAISE(ABORT, 'no file'); END",
          false, write, u"no file"},
         {"line", u"CREATE TRIGGER t BEFORE INSERT ON line WHEN NEW.line_no = 1 BEGIN SELECT RAISE(ABORT, 'no line'); END",
          false, write, u"no line"},
         {"word", u"CREATE TRIGGER t BEFORE INSERT ON word WHEN NEW.word_upper = 'DELTA' "
                  u"BEGIN SELECT RAISE(ABORT, 'no word'); END",
          false, write, u"no word"},
         {"commit", nullptr, true, u"データベースへの書き込みを確定できませんでした。", u"locked"},
         {"begin", u"BEGIN TRANSACTION", false, u"データベースの更新を開始できませんでした。", u"within a transaction"}},
        1, [&] {
            progress = FakeProgress();
            EXPECT_EQ(Import(victim).result, ImportResult::Failed);
            EXPECT_EQ(progress.begins, progress.ends);
        });
}

// Binary bytes named .txt: NULs cut lines, an undecodable byte ends its
// line, and at the start of one it is skipped: every line after it is kept.
TEST_F(ImportTest, BadInputKeepsEveryLineAfterTheBytesThatDoNotDecode) {
    const ImportOutcome outcome = Import(dir.Write("binary.txt", "ab\0cd\nef\xff\x01gh\n\x80rest\n\x80\x80\nlast\n"s));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (Texts{u"0|ab", u"1|ef", u"2|\x01gh", u"3|rest", u"5|last"}));
    EXPECT_EQ(outcome.reading.encoding, TextLineReader::Encoding::Cp932);
    EXPECT_EQ(outcome.reading.undecodableBytes, 4);
    EXPECT_EQ(outcome.reading.firstUndecodableLine, 2);
    EXPECT_TRUE(prompt.messages.empty());
}

// A Japanese text gives the same rows in every encoding the reader
// detects; the encoding is kept nowhere in the corpus.
TEST_F(ImportTest, EveryEncodingOfATextGivesTheSameRows) {
    const std::string utf8 = "日本語のテキスト、です。\r\n\r\nＡＢＣ abc「引用」 ｘｙ\r\nｶﾀｶﾅ 終わり\r\n";
    const auto utf16 = [&](const char* name, const char* mark) { return mark + *test::Iconv(name, "UTF-8", utf8); };
    const std::pair<std::string, TextLineReader::Encoding> copies[] = {
        {utf8, TextLineReader::Encoding::Utf8},
        {"\xEF\xBB\xBF" + utf8, TextLineReader::Encoding::Utf8},
        {*test::Iconv("CP932", "UTF-8", utf8), TextLineReader::Encoding::Cp932},
        {utf16("UTF-16LE", "\xFF\xFE"), TextLineReader::Encoding::Utf16Le},
        {utf16("UTF-16BE", "\xFE\xFF"), TextLineReader::Encoding::Utf16Be},
    };
    std::optional<std::pair<Texts, Texts>> first;
    for (const auto& [bytes, encoding] : copies) {
        const ImportOutcome outcome = Import(dir.Write("copy.txt", bytes));
        ASSERT_EQ(outcome.result, ImportResult::Committed);
        EXPECT_EQ(outcome.reading.encoding, encoding);
        EXPECT_EQ(outcome.reading.undecodableBytes, 0);
        const auto rows = std::make_pair(Lines(outcome.oid), Words(outcome.oid));
        if (!first) first = rows;
        EXPECT_EQ(rows, *first) << EncodingName(encoding);
    }
    EXPECT_EQ(first->first.size(), 3u);
    EXPECT_EQ(first->second[0], test::W("日本語のテキスト、です。|日本語のテキスト、です。"));
    EXPECT_EQ(test::QueryRows(db, u"SELECT DISTINCT memo FROM original_file"), Texts{u""});
    EXPECT_EQ(test::QueryInt(db, u"SELECT count(*) FROM sqlite_master"), 5);

    // Detection off: UTF-8 is read as code page 932, as the first versions did.
    const ImportOutcome off =
        ImportOneFile(db, dir.Write("off.txt", utf8), prompt, progress, status, {EncodingChoice::MarkOnly, false, {}});
    EXPECT_EQ(off.reading.encoding, TextLineReader::Encoding::Cp932);
    EXPECT_NE(Lines(off.oid), first->first);
}

TEST_F(ImportTest, AFileAtTheLineLimitIsReadUpToItWithProgressAgainstTheLimit) {
    // Lines 9,999,999 and 10,000,000 carry text; the count pass finds no end.
    // Line index × 1000 passes 2^31 on the way.
    const ImportOutcome outcome = Import(dir.Write("10m.txt", std::string(9'999'999, '\n') + "last\nbeyond\n"));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (Texts{u"9999999|last"}));
    EXPECT_FALSE(progress.positionsOutOfOrder);
    EXPECT_EQ(progress.lastPosition, 1000);
    EXPECT_EQ(progress.pumps, 5'000'000 + 1);
}

}  // namespace
}  // namespace zorvia
