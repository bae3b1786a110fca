#include "corpus/file_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "corpus/database_files.h"
#include "corpus_fakes.h"
#include "support/test_support.h"

namespace zorvia {
namespace {

using test::DumpCorpus;
using test::FakePrompt;
using test::FakeProgress;
using test::FakeStatus;
using test::N;
using test::TempDir;
using test::TraceCapture;
using test::W;

using namespace std::string_literals;
using LineRows = std::vector<std::pair<int, std::u16string>>;

std::int64_t FixedClock() { return 1'141'707'900; }  // 2006-03-07 05:05 UTC

TEST(FileKind, ByTheEndOfThePathIgnoringCase) {
    EXPECT_EQ(FileKindOfPath(u"a.txt"), ImportFileKind::Text);
    EXPECT_EQ(FileKindOfPath(u"/d/A.TXT"), ImportFileKind::Text);
    EXPECT_EQ(FileKindOfPath(u"a.Html"), ImportFileKind::Html);
    EXPECT_EQ(FileKindOfPath(u"a.htm"), ImportFileKind::Html);
    EXPECT_EQ(FileKindOfPath(u".txt"), ImportFileKind::Text);
    for (const char16_t* refused : {u"a.text", u"a.xhtml", u"a", u"a.txt.gz", u"txt", u"a.tx", u""}) {
        EXPECT_EQ(FileKindOfPath(refused), ImportFileKind::Unknown) << N(refused);
    }
}

// The visible text of each line of a file, one scanner for the whole file.
std::vector<std::u16string> Scan(std::initializer_list<const char16_t*> lines) {
    HtmlScanner scanner;
    std::vector<std::u16string> out;
    std::u16string visible;
    for (const char16_t* line : lines) {
        scanner.VisibleText(line, visible);
        out.emplace_back(TrimBlanks(visible));
    }
    return out;
}

using Texts = std::vector<std::u16string>;

TEST(HtmlScanner, KeepsTextAndDropsTagsAndQuotedAttributes) {
    EXPECT_EQ(Scan({u"<p class=\"greeting\">Hi <b>there</b></p>"}), Texts{u"Hi there"});
    // A > inside a quoted value does not end the tag; an apostrophe is no quote.
    EXPECT_EQ(Scan({u"<a title=\"a>b\">x</a>"}), Texts{u"x"});
    EXPECT_EQ(Scan({u"<a title='a>b'>x</a>"}), Texts{u"b'>x"});
    EXPECT_EQ(Scan({u"  <br><img src=\"a.png\">\t<hr/>  "}), Texts{u""});
    // References stay as written.
    EXPECT_EQ(Scan({u"a&nbsp;b &lt;"}), Texts{u"a&nbsp;b &lt;"});
    // A tag runs over lines, its quoted value too.
    EXPECT_EQ(Scan({u"one<img alt=\"two", u"three\" src=x", u"y>four"}), (Texts{u"one", u"", u"four"}));
    // A tag name ends at a carriage return as at a blank.
    EXPECT_EQ(Scan({u"<br\r>x"}), Texts{u"x"});
}

TEST(HtmlScanner, ScriptBodiesAreHiddenUntilTheirEndTag) {
    EXPECT_EQ(Scan({u"<script>", u"document.write(\"<b>bold</b>\");", u"</script>after"}),
              (Texts{u"", u"", u"after"}));
    EXPECT_EQ(Scan({u"<SCRIPT type=\"text/javascript\">x<y</ScRiPt>shown"}), Texts{u"shown"});
    // The end tag must lie in one line; "</script >" does not end it.
    EXPECT_EQ(Scan({u"<script>a</script >b", u"c</script>d"}), (Texts{u"", u"d"}));
    // Style sheets are not special.
    EXPECT_EQ(Scan({u"<style>p { color: red }</style>"}), Texts{u"p { color: red }"});
}

TEST(HtmlScanner, CommentsEndAtTwoHyphensAndAGreaterThanSign) {
    EXPECT_EQ(Scan({u"<!-- note -->text"}), Texts{u"text"});
    EXPECT_EQ(Scan({u"a<!-- opened", u"hidden > still", u"closed -->b"}), (Texts{u"a", u"", u"b"}));
    // Written in one run, the comment closes at its own end.
    EXPECT_EQ(Scan({u"<!--x-->after"}), Texts{u"after"});
    EXPECT_EQ(Scan({u"<!---->after"}), Texts{u"after"});
    // "<!-->" has no closing hyphens of its own: it stays open.
    EXPECT_EQ(Scan({u"<!-->hidden", u"-->shown"}), (Texts{u"", u"shown"}));
    // Hyphens and > in different lines do not close it.
    EXPECT_EQ(Scan({u"<!-- a --", u">b", u"-->c"}), (Texts{u"", u"", u"c"}));
}

TEST(HtmlScanner, ResetStartsAFreshFile) {
    HtmlScanner scanner;
    std::u16string visible;
    scanner.VisibleText(u"<p class=\"never closed", visible);
    EXPECT_EQ(scanner.GetState(), HtmlScanner::State::Quoted);
    scanner.Reset();
    scanner.VisibleText(u"text", visible);
    EXPECT_EQ(visible, u"text");
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenDatabaseWithSchema(db, dir.File("c.zorviacorpusdb")));
        SetRegistrationClockForTesting(&FixedClock);
    }
    void TearDown() override { SetRegistrationClockForTesting(nullptr); }

    ImportOutcome Import(const std::u16string& path) { return ImportOneFile(db, path, prompt, progress, status); }

    LineRows Lines(int oid) {
        LineRows rows;
        EXPECT_TRUE(db.Exec(u"SELECT line_no, line_data FROM line WHERE oid=" + FormatInt(oid) + u" ORDER BY lid"));
        for (int r = 0; r < db.GetRowCount(); ++r) rows.emplace_back(db.GetCellInt(r, 0), db.GetCell(r, 1));
        return rows;
    }
    // "word/WORD" of every occurrence of the file, in reading order.
    Texts Words(int oid) {
        Texts words;
        EXPECT_TRUE(db.Exec(u"SELECT word, word_upper FROM word WHERE lid IN (SELECT lid FROM line WHERE oid=" +
                            FormatInt(oid) + u") ORDER BY wid"));
        for (int r = 0; r < db.GetRowCount(); ++r) words.push_back(db.GetCell(r, 0) + u"/" + db.GetCell(r, 1));
        return words;
    }
    int Count(const char16_t* sql) {
        EXPECT_TRUE(db.Exec(sql));
        return db.GetCellInt(0, 0);
    }
    // Nothing else may be open when an operation is done.
    bool TransactionClosed() {
        if (!db.Exec(u"BEGIN TRANSACTION")) return false;
        db.Exec(u"ROLLBACK");
        return true;
    }

    TempDir dir;
    CCorpusDatabase db;
    FakePrompt prompt;
    FakeProgress progress;
    FakeStatus status;
};

TEST_F(ImportTest, TextFileStoresNonEmptyLinesVerbatimWithTheirWords) {
    const auto path = dir.Write("three.txt", "Hello world\r\n\r\n  \r\n");
    TraceCapture trace;
    const ImportOutcome outcome = Import(path);
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(outcome.lines, 2);
    EXPECT_EQ(outcome.words, 2);
    EXPECT_TRUE(prompt.messages.empty());

    ASSERT_TRUE(db.Exec(u"SELECT oid, filename, date, memo FROM original_file"));
    ASSERT_EQ(db.GetRowCount(), 1);
    EXPECT_EQ(db.GetCellInt(0, 0), outcome.oid);
    EXPECT_EQ(db.GetCell(0, 1), path);
    EXPECT_EQ(db.GetCellInt(0, 2), 1'141'707'900);
    EXPECT_EQ(db.GetCell(0, 3), u"");
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"Hello world"}, {2, u"  "}}));
    EXPECT_EQ(Words(outcome.oid), (Texts{u"Hello/HELLO", u"world/WORLD"}));

    // Three lines: the count is 4; pumps on lines 0 and 2, then once before
    // the commit.
    EXPECT_EQ(progress.texts, (Texts{u"counting...", u"loading...", u"loading... (line : 0)",
                                     u"loading... (line : 2)", u"commiting..."}));
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 500, 1000}));
    EXPECT_EQ(progress.pumps, 3);
    EXPECT_EQ(progress.begins, 1);
    EXPECT_EQ(progress.ends, 1);
    EXPECT_EQ(status.texts,
              (Texts{u"loading...", u"loading... (line : 0)", u"loading... (line : 2)", u"commit..."}));
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"oid : 1\n", "     0 : /Hello world/\n", "     1 : skip\n",
                                                       "     2 : /  /\n"}));
    EXPECT_TRUE(TransactionClosed());
}

TEST_F(ImportTest, HtmlFileStoresTheVisibleTextTrimmedWithPhysicalLineNumbers) {
    const auto path = dir.Write("page.HTM",
                                "<html>\n"                                            // 0
                                "<head><title>Title</title>\n"                        // 1
                                "<script>\n"                                          // 2
                                "document.write(\"<b>x</b>\");\n"                     // 3
                                "</script>after\n"                                    // 4
                                "<p class=\"greeting\">Hi <b>there</b></p>\n"         // 5
                                "<!-- note -->\tvisible <!-- a\n"                     // 6
                                "hidden\n"                                            // 7
                                "-->  Don't stop-me <i title='x'>now</i>!  \n"        // 8
                                "  <br>  <hr>  \n"                                    // 9
                                "&nbsp;&amp;\r\n");                                   // 10
    const ImportOutcome outcome = Import(path);
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{1, u"Title"},
                                            {4, u"after"},
                                            {5, u"Hi there"},
                                            {6, u"visible"},
                                            {8, u"Don't stop-me now!"},
                                            {10, u"&nbsp;&amp;"}}));
    EXPECT_EQ(Words(outcome.oid),
              (Texts{u"Title/TITLE", u"after/AFTER", u"Hi/HI", u"there/THERE", u"visible/VISIBLE", u"Don/DON",
                     u"t/T", u"stop/STOP", u"me/ME", u"now/NOW", u"&nbsp/&NBSP", u"&amp/&AMP"}));
}

TEST_F(ImportTest, QuotesSpacesAndJapaneseInPathAndTextAreStoredAsTheyAre) {
    // Code page 932: 日本語 and ﾃｽﾄ.
    const auto path = dir.Write("it's a \"テスト\" file.txt", "it's \x93\xfa\x96\x7b\x8c\xea \xc3\xbd\xc4\n");
    const ImportOutcome outcome = Import(path);
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    ASSERT_TRUE(db.Exec(u"SELECT filename FROM original_file"));
    EXPECT_EQ(db.GetCell(0, 0), path);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"it's 日本語 ﾃｽﾄ"}}));
    EXPECT_EQ(Words(outcome.oid), (Texts{u"it/IT", u"s/S", u"日本語/日本語", u"ﾃｽﾄ/ﾃｽﾄ"}));
}

TEST_F(ImportTest, Utf16FileWithByteOrderMark) {
    std::string bytes = "\xff\xfe";
    for (char16_t c : std::u16string(u"naïve ａｂｃ\r\n2行目\r\n")) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    const ImportOutcome outcome = Import(dir.Write("u16.txt", bytes));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"naïve ａｂｃ"}, {1, u"2行目"}}));
    EXPECT_EQ(Words(outcome.oid), (Texts{u"naïve/NAÏVE", u"ａｂｃ/ＡＢＣ", u"2行目/2行目"}));
}

TEST_F(ImportTest, RefusalsLeaveEverythingAsItWas) {
    // No database.
    CCorpusDatabase closed;
    EXPECT_EQ(ImportOneFile(closed, dir.Write("a.txt", "a\n"), prompt, progress, status).result,
              ImportResult::NotOpen);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"データベースが開かれていません");

    // Unknown kind: refused before the file is even looked at.
    prompt.messages.clear();
    EXPECT_EQ(Import(dir.Write("a.xhtml", "a\n")).result, ImportResult::UnknownKind);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"ファイル形式が不明です。追加できません。");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::Ok);

    // A file that is gone by the time it is imported: nothing shown, no
    // transaction left open.
    prompt.messages.clear();
    const auto gone = dir.Write("gone.txt", "a\n");
    std::filesystem::remove(dir.NativeFile("gone.txt"));
    EXPECT_EQ(Import(gone).result, ImportResult::OpenFailed);
    std::filesystem::create_directory(dir.NativeFile("folder.txt"));
    EXPECT_FALSE(ImportFile(db, dir.File("folder.txt"), prompt, progress, status));  // nor a directory
    EXPECT_TRUE(prompt.messages.empty());

    EXPECT_EQ(progress.begins, 0);
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 0);
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
    EXPECT_EQ(progress.pumps, 4);  // the cancelling one and one more
    EXPECT_EQ(progress.ends, 1);
    // The status bar keeps the last line it showed.
    EXPECT_EQ(status.last, u"loading... (line : 4)");
    EXPECT_TRUE(TransactionClosed());

    // The next file gets the next free ids, as if the cancelled one never was.
    const ImportOutcome next = Import(dir.Write("third.txt", "x\n"));
    EXPECT_EQ(next.oid, 2);
}

TEST_F(ImportTest, CommandsRunFromInsideThePumpSeeTheOpenTransaction) {
    // What the program keeps from happening (its window is disabled while
    // the progress window is up): a second import started inside a pump is
    // refused and leaves the first one intact.
    FakeProgress inner;
    progress.onPump = [&](int pump) {
        if (pump != 1) return;
        const ImportOutcome nested = ImportOneFile(db, dir.Write("nested.txt", "n\n"), prompt, inner, status);
        EXPECT_EQ(nested.result, ImportResult::Failed);
    };
    const ImportOutcome outcome = Import(dir.Write("outer.txt", "o p\nq\n"));
    EXPECT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(inner.begins, 0);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_NE(prompt.messages[0].text.find(u"データベースの更新を開始できませんでした"), std::u16string::npos);
    EXPECT_NE(prompt.messages[0].text.find(u"within a transaction"), std::u16string::npos);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"o p"}, {1, u"q"}}));
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 1);
}

// Each failing statement abandons the file: rolled back, the user told with
// SQLite's message, nothing of the file left, the earlier corpus intact.
class ImportFaultTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        ASSERT_EQ(Import(dir.Write("kept.txt", "kept line\n")).result, ImportResult::Committed);
        before = DumpCorpus(db);
        prompt.messages.clear();
        progress = FakeProgress();
        victim = dir.Write("victim.txt", "alpha beta\ngamma\ndelta epsilon\n");
    }
    void ExpectAbandoned(const ImportOutcome& outcome, const char16_t* what, const char16_t* sqliteText) {
        EXPECT_EQ(outcome.result, ImportResult::Failed);
        ASSERT_EQ(prompt.messages.size(), 1u);
        const std::u16string& text = prompt.messages[0].text;
        EXPECT_EQ(text.rfind(what, 0), 0u) << N(text);
        EXPECT_NE(text.find(sqliteText), std::u16string::npos) << N(text);
        EXPECT_NE(outcome.errorText.find(sqliteText), std::u16string::npos);
        EXPECT_EQ(progress.begins, progress.ends);
        EXPECT_EQ(DumpCorpus(db), before);
        EXPECT_TRUE(TransactionClosed());
    }
    std::string before;
    std::u16string victim;
};

TEST_F(ImportFaultTest, FailedFileRowInsert) {
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER refuse BEFORE INSERT ON original_file "
                        u"BEGIN SELECT RAISE(ABORT, 'file row refused'); END"));
    before = DumpCorpus(db);
    const ImportOutcome outcome = Import(victim);
    ExpectAbandoned(outcome, u"データベースへの書き込みに失敗しました。", u"file row refused");
    // Abandoned before the counting pass.
    EXPECT_EQ(progress.texts, Texts{u"counting..."});
}

TEST_F(ImportFaultTest, FailedLineInsertDoesNotAttachWordsToTheLineBefore) {
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER refuse BEFORE INSERT ON line WHEN NEW.line_no = 1 "
                        u"BEGIN SELECT RAISE(ABORT, 'line refused'); END"));
    before = DumpCorpus(db);
    ExpectAbandoned(Import(victim), u"データベースへの書き込みに失敗しました。", u"line refused");
}

TEST_F(ImportFaultTest, FailedWordInsert) {
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER refuse BEFORE INSERT ON word WHEN NEW.word_upper = 'DELTA' "
                        u"BEGIN SELECT RAISE(ABORT, 'word refused'); END"));
    before = DumpCorpus(db);
    ExpectAbandoned(Import(victim), u"データベースへの書き込みに失敗しました。", u"word refused");
}

TEST_F(ImportFaultTest, ReadOnlyDatabase) {
    ASSERT_TRUE(db.Exec(u"PRAGMA query_only=1"));
    ExpectAbandoned(Import(victim), u"データベースへの書き込みに失敗しました。", u"readonly");
}

TEST_F(ImportFaultTest, AnotherConnectionHoldingTheWriteLock) {
    CCorpusDatabase other;
    ASSERT_TRUE(other.Open(dir.File("c.zorviacorpusdb")));
    ASSERT_TRUE(other.Exec(u"BEGIN IMMEDIATE"));
    ExpectAbandoned(Import(victim), u"データベースへの書き込みに失敗しました。", u"locked");
    ASSERT_TRUE(other.Exec(u"ROLLBACK"));
}

TEST_F(ImportFaultTest, CommitRefusedWhileAReaderHoldsTheFile) {
    CCorpusDatabase reader;
    ASSERT_TRUE(reader.Open(dir.File("c.zorviacorpusdb")));
    ASSERT_TRUE(reader.Exec(u"BEGIN"));
    ASSERT_TRUE(reader.Exec(u"SELECT count(*) FROM word"));
    const ImportOutcome outcome = Import(victim);
    ASSERT_TRUE(reader.Exec(u"COMMIT"));
    ExpectAbandoned(outcome, u"データベースへの書き込みを確定できませんでした。", u"locked");
    EXPECT_EQ(progress.texts.back(), u"commiting...");
}

TEST_F(ImportFaultTest, CommitRefusedByADeferredForeignKey) {
    ASSERT_TRUE(db.Exec(u"CREATE TABLE parent ( id INTEGER PRIMARY KEY )"));
    ASSERT_TRUE(db.Exec(u"CREATE TABLE audit ( pid INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED )"));
    ASSERT_TRUE(db.Exec(u"CREATE TRIGGER audit_file AFTER INSERT ON original_file "
                        u"BEGIN INSERT INTO audit VALUES( 999 ); END"));
    ASSERT_TRUE(db.Exec(u"PRAGMA foreign_keys=ON"));
    before = DumpCorpus(db);
    // Only the file row is written: with foreign keys on, a line row would
    // fail at once on the table its REFERENCES clause names.
    ExpectAbandoned(Import(dir.Write("blank.txt", "\n\n")), u"データベースへの書き込みを確定できませんでした。",
                    u"FOREIGN KEY");
}

TEST_F(ImportFaultTest, BeginRefusedInsideAnotherTransactionLeavesThatTransactionAlone) {
    ASSERT_TRUE(db.Exec(u"BEGIN TRANSACTION"));
    ASSERT_TRUE(db.Exec(u"INSERT INTO original_file VALUES( NULL, 'outer', 0, '' )"));
    const ImportOutcome outcome = Import(victim);
    EXPECT_EQ(outcome.result, ImportResult::Failed);
    EXPECT_EQ(progress.begins, 0);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text.rfind(u"データベースの更新を開始できませんでした。", 0), 0u);
    // The outer transaction is still open with its row, and nothing else.
    ASSERT_TRUE(db.Exec(u"COMMIT"));
    EXPECT_EQ(Count(u"SELECT count(*) FROM original_file"), 2);
    EXPECT_EQ(Count(u"SELECT count(*) FROM line"), 1);
}

TEST_F(ImportTest, BadInputIsStoredAsFarAsItReadsAndNeverBreaksTheImport) {
    // Binary bytes named .txt: NULs cut lines, 0x80 ends the text where it
    // starts a line.
    const std::string binary = "ab\0cd\nef\xff\x01gh\n\x01\x02\x03\n\x80rest\n"s;
    ImportOutcome outcome = Import(dir.Write("binary.txt", binary));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"ab"}, {1, u"ef"}, {2, u"\x01gh"}, {3, u"\x01\x02\x03"}}));

    // HTML that never closes its tag, or its comment: the rest is hidden and
    // the file is still registered.
    outcome = Import(dir.Write("open-tag.html", "shown<p class=\"x\nhidden\nhidden too\n"));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"shown"}}));
    outcome = Import(dir.Write("open-comment.html", "shown<!-- never\nhidden\n"));
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{0, u"shown"}}));

    // A single line of 3 MB with a word every 1000 characters.
    std::string longLine;
    for (int i = 0; i < 3000; ++i) longLine += std::string(999, 'a' + i % 26) + " ";
    outcome = Import(dir.Write("long.txt", longLine));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(outcome.words, 3000);
    ASSERT_TRUE(db.Exec(u"SELECT length(line_data) FROM line WHERE oid=" + FormatInt(outcome.oid)));
    EXPECT_EQ(db.GetCellInt(0, 0), 3'000'000);

    // An empty file registers with no lines.
    outcome = Import(dir.Write("empty.htm", ""));
    EXPECT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_TRUE(Lines(outcome.oid).empty());
    EXPECT_TRUE(prompt.messages.empty());
}

// Files of millions of lines: empty lines write nothing, so only the reading
// and the progress are measured.
std::string ManyLines(int emptyLines, const std::string& last) { return std::string(emptyLines, '\n') + last; }

TEST_F(ImportTest, ProgressOfMillionsOfLinesStaysInRangeWithoutOverflow) {
    progress.keepTexts = false;
    status.keepTexts = false;
    // 2^31 / 1000 lines and more: index × 1000 no longer fits in 32 bits.
    const ImportOutcome outcome = Import(dir.Write("3m.txt", ManyLines(3'000'000, "end\n")));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{3'000'000, u"end"}}));
    EXPECT_FALSE(progress.positionsWentBack);
    EXPECT_EQ(progress.minPosition, 0);
    EXPECT_EQ(progress.maxPosition, 1000);
    EXPECT_EQ(progress.pumps, 1'500'001 + 1);
}

TEST_F(ImportTest, FileAtTheLineLimitIsReadUpToItWithProgressAgainstTheLimit) {
    progress.keepTexts = false;
    status.keepTexts = false;
    // Lines 9,999,999 and 10,000,000 carry text; only the first is read.
    const ImportOutcome outcome = Import(dir.Write("10m.txt", ManyLines(9'999'999, "last\nbeyond\n")));
    ASSERT_EQ(outcome.result, ImportResult::Committed);
    EXPECT_EQ(Lines(outcome.oid), (LineRows{{9'999'999, u"last"}}));
    EXPECT_FALSE(progress.positionsWentBack);
    EXPECT_EQ(progress.minPosition, 0);
    EXPECT_EQ(progress.maxPosition, 1000);
    EXPECT_EQ(status.last, u"commit...");
}

TEST(DroppedFiles, AsksForEachFileUnlessShiftWasHeldOnYes) {
    const std::vector<std::u16string> three = {u"/a.txt", u"/b.txt", u"/c.txt"};
    std::vector<std::u16string> imported;
    auto importOne = [&](const std::u16string& path) { imported.push_back(path); };

    FakePrompt prompt;
    prompt.answers = {PromptAnswer::Yes};
    prompt.shiftDown = true;
    ImportDroppedFiles(three, prompt, importOne);
    EXPECT_EQ(imported, three);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, u"/a.txt をデータベースに追加しますか？");
    EXPECT_EQ(prompt.messages[0].buttons, PromptButtons::YesNoCancel);

    // No skips one file, Cancel the rest.
    imported.clear();
    FakePrompt cancel;
    cancel.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Cancel};
    ImportDroppedFiles({u"/a.txt", u"/b.txt", u"/c.txt", u"/d.txt"}, cancel, importOne);
    EXPECT_EQ(imported, (Texts{u"/b.txt"}));
    EXPECT_EQ(cancel.messages.size(), 3u);

    // One file: Yes and No only; Shift without Yes changes nothing.
    imported.clear();
    FakePrompt single;
    single.shiftDown = true;
    single.answers = {PromptAnswer::No};
    ImportDroppedFiles({u"/a.txt"}, single, importOne);
    EXPECT_TRUE(imported.empty());
    ASSERT_EQ(single.messages.size(), 1u);
    EXPECT_EQ(single.messages[0].buttons, PromptButtons::YesNo);
}

TEST(AddFileRequest, OffersTheSupportedKindsFirst) {
    const FileRequest request = AddFileRequest();
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.title, u"データベースに追加するファイルを選択してください");
    ASSERT_EQ(request.filters.size(), 4u);
    EXPECT_EQ(request.filters[0].pattern, u"*.txt;*.html;*.htm");
    EXPECT_EQ(request.filters[2].display, u"HTMLファイル (*.html;*.htm)");
    EXPECT_EQ(request.filters[3].pattern, u"*.*");
    EXPECT_EQ(request.defaultPattern, u"*.txt");
    EXPECT_TRUE(request.initialName.empty());
}

}  // namespace
}  // namespace zorvia
