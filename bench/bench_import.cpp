// Corpus building throughput. The generated corpus is imported file by file
// through the real importer (decoding, splitting, folding, the statement
// texts, a pump every other line), and, for reference, the very same
// statements are sent by a bare loop from lines and words split beforehand:
// what SQLite alone costs. Then the removal of a file holding a tenth of the
// corpus, and the removal of a 500-word stop list.
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/corpus_transaction.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/file_removal.h"
#include "corpus/stopword_removal.h"
#include "corpus/text_line_reader.h"
#include "corpus/word_rules.h"
#include "corpus_generator.h"
#include "platform/file_status.h"
#include "platform/text_convert.h"
#include "corpus/word_summary.h"

namespace zorvia::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_import: %s\n", what.c_str());
    std::exit(1);
}

// The progress window without a screen: the operations pump it at their
// own cadence and it never cancels.
class HeadlessProgress : public IProgressSink {
public:
    void Begin() override {}
    void SetText(const std::u16string& text) override { m_textLength += text.size(); }
    void SetPosition(int permille) override { m_position = permille; }
    bool Pump() override {
        ++pumps;
        return true;
    }
    void End() override {}
    long long pumps = 0;

private:
    std::size_t m_textLength = 0;
    int m_position = 0;
};

class NoStatus : public IStatusText {
public:
    void SetStatusText(const std::u16string&) override {}
};

// Says Yes to every question; any message is a failure of the run.
class YesPrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons buttons, PromptIcon) override {
        if (buttons != PromptButtons::Ok) return PromptAnswer::Yes;
        if (text != kWordsDeletedMessage) Fail("the operation said: " + WideToUtf8(text));
        return PromptAnswer::Ok;
    }
    std::optional<std::u16string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool IsShiftDown() override { return false; }
};

std::string FreshDatabase(const std::string& workDir, const std::string& name) {
    const std::string path = (fs::path(workDir) / name).string();
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
    return path;
}

double MegaBytes(const std::string& path) {
    const auto size = FileSizeOf(Utf8ToWide(path));
    return size ? static_cast<double>(*size) / 1e6 : 0.0;
}

struct Run {
    double seconds = 0;
    long long words = 0;
    long long lines = 0;
    double dbMegaBytes = 0;
};

// --- the reference: the same statements from a bare loop ------------------------

// One file split beforehand, kept in one block of memory so that the
// timed loop meets the heap as the importer does: for each stored line the
// SQL text after the file id, and for each of its words the SQL text after
// the line id.
struct SplitFile {
    std::string fileRowSql;
    std::string text;  // every tail, one after the other
    struct Piece {
        std::size_t offset;
        std::size_t length;
    };
    struct Line {
        Piece tail;        // ", <line_no>, '<text>' )"
        std::size_t firstWord;  // into words
        std::size_t wordCount;
    };
    std::vector<Line> lines;
    std::vector<Piece> words;  // ", '<word>', '<WORD>' )"

    Piece Add(const std::string& piece) {
        text += piece;
        return {text.size() - piece.size(), piece.size()};
    }
    std::string_view View(Piece piece) const { return std::string_view(text).substr(piece.offset, piece.length); }
};

std::string Escaped(std::u16string_view text) {
    std::u16string quoted;
    AppendEscaped(quoted, text);
    return WideToUtf8(quoted);
}

SplitFile Split(const std::string& file, std::int32_t date) {
    SplitFile split;
    const std::u16string path = Utf8ToWide(file);
    split.fileRowSql =
        "INSERT INTO original_file VALUES( NULL, '" + Escaped(path) + "', " + std::to_string(date) + ",'' )";
    TextLineReader reader;
    if (!reader.Open(path)) Fail("cannot open " + file);
    std::u16string line;
    for (int index = 0; index < kMaxImportLines && reader.ReadLine(line); ++index) {
        if (line.empty()) continue;
        SplitFile::Line out{split.Add(", " + std::to_string(index) + ", '" + Escaped(line) + "' )"),
                            split.words.size(), 0};
        ForEachWord(line, [&](std::u16string_view word) {
            split.words.push_back(split.Add(", '" + Escaped(word) + "', '" + Escaped(FoldToUpper(word)) + "' )"));
            ++out.wordCount;
        });
        split.lines.push_back(out);
    }
    split.text.shrink_to_fit();
    return split;
}

void ExecOrFail(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        Fail("reference statement failed: " + text);
    }
}

sqlite3* OpenReference(const std::string& dbPath) {
    sqlite3* db = nullptr;
    if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK) Fail("cannot open " + dbPath);
    // The connection as the application sets it up.
    ExecOrFail(db, "PRAGMA cache_size=-65536");
    for (const char16_t* statement : kSchemaStatements) ExecOrFail(db, WideToUtf8(statement));
    return db;
}

// The statements of one file as the importer sends them, from the split
// text: only SQLite's own work is timed.
void Reference(sqlite3* db, const SplitFile& split, Run& run) {
    std::string sql;
    sql.reserve(4096);
    const auto start = Clock::now();
    ExecOrFail(db, "BEGIN TRANSACTION");
    ExecOrFail(db, split.fileRowSql);
    const std::string oid = std::to_string(static_cast<int>(sqlite3_last_insert_rowid(db)));
    for (const SplitFile::Line& line : split.lines) {
        sql.assign("INSERT INTO line VALUES( NULL, ").append(oid).append(split.View(line.tail));
        ExecOrFail(db, sql);
        const std::string lid = std::to_string(static_cast<int>(sqlite3_last_insert_rowid(db)));
        for (std::size_t w = line.firstWord; w < line.firstWord + line.wordCount; ++w) {
            sql.assign("INSERT INTO word VALUES( NULL, ").append(lid).append(split.View(split.words[w]));
            ExecOrFail(db, sql);
        }
        run.words += static_cast<long long>(line.wordCount);
        ++run.lines;
    }
    ExecOrFail(db, "COMMIT");
    run.seconds += SecondsSince(start);
}

// --- the importer and the reference, file by file ------------------------------

Run& Import(CCorpusDatabase& db, const std::string& file, Run& run, long long& pumps) {
    YesPrompt prompt;
    HeadlessProgress progress;
    NoStatus status;
    const auto start = Clock::now();
    const ImportOutcome outcome = ImportOneFile(db, Utf8ToWide(file), prompt, progress, status);
    run.seconds += SecondsSince(start);
    if (outcome.result != ImportResult::Committed) Fail("import of " + file + " failed");
    run.words += outcome.words;
    run.lines += outcome.lines;
    pumps += progress.pumps;
    return run;
}

// --- removals ----------------------------------------------------------------------

// The generated files of `words` words as one file, so that a tenth of the
// corpus is one registered file.
std::string OneFileOf(const std::string& workDir, long words, Encoding encoding) {
    const std::vector<std::string> parts = EnsureCorpusFiles(workDir, words, encoding);
    const std::string path =
        (fs::path(workDir) / ("tenth-" + std::to_string(words) + "-" + EncodingTag(encoding) + ".txt")).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::ifstream in(parts[i], std::ios::binary);
        // Only the first part keeps its byte-order mark.
        if (i > 0 && encoding == Encoding::Utf16Le) in.seekg(2);
        out << in.rdbuf();
    }
    if (!out) Fail("cannot write " + path);
    return path;
}

struct RemovalTimes {
    double file = 0;
    double stopWords = 0;
};

// `label` names the figures: the encoding, and "_summary" for the corpus
// with the kept word-count summary.
RemovalTimes Removals(const std::string& dbPath, const std::string& workDir, long size, Encoding encoding,
                      const std::string& label) {
    const std::string tag = label;
    CCorpusDatabase db;
    if (!OpenDatabaseWithSchema(db, Utf8ToWide(dbPath))) Fail("cannot open " + dbPath);
    YesPrompt prompt;
    HeadlessProgress progress;
    NoStatus status;

    const std::string tenth = OneFileOf(workDir, size / 10 > 0 ? size / 10 : 1, encoding);
    const ImportOutcome added = ImportOneFile(db, Utf8ToWide(tenth), prompt, progress, status);
    if (added.result != ImportResult::Committed) Fail("import of " + tenth + " failed");
    auto start = Clock::now();
    if (RemoveRegisteredFile(db, added.oid, prompt) != FileRemovalResult::Removed) Fail("file removal failed");
    const double removeSeconds = SecondsSince(start);
    std::fprintf(stderr, "remove a tenth (%s): %lld lines, %lld words in %.2f s\n", tag.c_str(),
                 static_cast<long long>(added.lines), static_cast<long long>(added.words), removeSeconds);
    PrintBench("remove_file_tenth_" + tag + "_seconds", removeSeconds, "s");

    // The 500 most frequent words: what a stop list holds.
    if (!db.Exec(u"SELECT word_upper FROM word GROUP BY word_upper ORDER BY count(*) DESC, length(word_upper), word_upper "
                 u"LIMIT 500")) {
        Fail("word list query failed");
    }
    const std::string listPath = (fs::path(workDir) / ("stopwords-500-" + tag + ".txt")).string();
    {
        std::ofstream list(listPath, std::ios::binary | std::ios::trunc);
        for (int r = 0; r < db.GetRowCount(); ++r) list << WideToUtf8(db.GetCell(r, 0)) << "\r\n";
    }
    if (!db.Exec(u"SELECT count(*) FROM word")) Fail("count failed");
    const long long before = db.GetCellInt(0, 0);
    start = Clock::now();
    const StopWordOutcome outcome = DeleteWordsInFile(db, Utf8ToWide(listPath), prompt, progress, status, {});
    const double stopSeconds = SecondsSince(start);
    if (outcome.result != StopWordResult::Deleted) Fail("stop-word removal failed");
    if (!db.Exec(u"SELECT count(*) FROM word")) Fail("count failed");
    const long long after = db.GetCellInt(0, 0);
    std::fprintf(stderr, "stop words (%s): %lld statements deleted %lld of %lld words in %.2f s\n", tag.c_str(),
                 static_cast<long long>(outcome.statements), before - after, before, stopSeconds);
    PrintBench("remove_stopwords_500_" + tag + "_seconds", stopSeconds, "s");
    PrintBench("remove_stopwords_500_" + tag + "_words_per_s", static_cast<double>(before - after) / stopSeconds,
               "words/s");
    return {removeSeconds, stopSeconds};
}

// --- peak memory ------------------------------------------------------------------

constexpr char kImportOnlyOption[] = "--import-only";

// The import alone, in a process of its own: imports `files` into a new
// corpus at `dbPath` and exits.
int ImportOnly(const std::string& dbPath, const std::vector<std::string>& files) {
    CCorpusDatabase db;
    if (!OpenDatabaseWithSchema(db, Utf8ToWide(dbPath))) Fail("cannot open " + dbPath);
    for (const std::string& file : files) {
        YesPrompt prompt;
        HeadlessProgress progress;
        NoStatus status;
        if (ImportOneFile(db, Utf8ToWide(file), prompt, progress, status).result != ImportResult::Committed)
            Fail("import of " + file + " failed");
    }
    return 0;
}

// The peak resident memory, in MB, of a process that imports `files` into a
// new corpus and nothing else.
double ImportPeakMegaBytes(const std::string& workDir, const std::string& name, const std::vector<std::string>& files) {
    const std::string dbPath = FreshDatabase(workDir, name);
    std::vector<std::string> args = {"/proc/self/exe", kImportOnlyOption, dbPath};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) Fail("cannot start the import");
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Fail("the import process failed");
    std::error_code ec;
    fs::remove(dbPath, ec);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;  // ru_maxrss is in kilobytes
}

void PeakMemory(const BenchArgs& args) {
    const std::vector<std::string> files = EnsureCorpusFiles(args.workDir, args.size, Encoding::Cp932);
    PrintBench("import_peak_rss_mb",
               ImportPeakMegaBytes(args.workDir, "rss-" + std::to_string(args.size) + ".zorviacorpusdb", files), "MB");
    // One line of 50 MB: what the import holds of a line at once.
    const OneLineFile oneLine = EnsureOneLineFile(args.workDir, 50'000'000);
    const double lineMegaBytes = static_cast<double>(oneLine.utf16Units) * 2.0 / 1e6;
    PrintBench("import_one_line_peak_rss_mb", ImportPeakMegaBytes(args.workDir, "rss-one-line.zorviacorpusdb", {oneLine.path}),
               "MB");
    PrintBench("import_one_line_utf16_mb", lineMegaBytes, "MB");
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::bench;
    if (argc >= 3 && std::string_view(argv[1]) == kImportOnlyOption)
        return ImportOnly(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    PeakMemory(*args);
    for (Encoding encoding : {Encoding::Cp932, Encoding::Utf16Le}) {
        const std::vector<std::string> files = EnsureCorpusFiles(args->workDir, args->size, encoding);
        const std::string tag = EncodingTag(encoding);
        const std::string size = std::to_string(args->size);

        long long pumps = 0;
        const std::string importDb = FreshDatabase(args->workDir, "import-" + tag + "-" + size + ".zorviacorpusdb");
        const std::string referenceDb =
            FreshDatabase(args->workDir, "reference-" + tag + "-" + size + ".zorviacorpusdb");
        // The cost of keeping the word-count summary, measured on one
        // encoding: it does not depend on how the text was read.
        const bool withSummary = encoding == Encoding::Cp932;
        const std::string summaryDb =
            FreshDatabase(args->workDir, "summary-" + tag + "-" + size + ".zorviacorpusdb");
        Run imported;
        Run reference;
        Run summarized;
        {
            CCorpusDatabase db;
            if (!OpenDatabaseWithSchema(db, Utf8ToWide(importDb))) Fail("cannot open " + importDb);
            CCorpusDatabase summary;
            if (withSummary) {
                if (!OpenDatabaseWithSchema(summary, Utf8ToWide(summaryDb))) Fail("cannot open " + summaryDb);
                HeadlessProgress progress;
                if (CreateSpeedUp(summary, progress).result != SpeedUpResult::Done) Fail("cannot add the summary");
            }
            sqlite3* bare = OpenReference(referenceDb);
            const std::int32_t date = RegistrationTimeNow();
            // File by file in turns, each side going first in its turn, so
            // that all meet the same machine (other load, the disk's
            // write-back) over the run.
            long long summaryPumps = 0;
            for (std::size_t i = 0; i < files.size(); ++i) {
                const SplitFile split = Split(files[i], date);
                const std::function<void()> sides[] = {
                    [&] { Import(db, files[i], imported, pumps); },
                    [&] { Reference(bare, split, reference); },
                    [&] {
                        if (withSummary) Import(summary, files[i], summarized, summaryPumps);
                    },
                };
                for (std::size_t k = 0; k < std::size(sides); ++k) sides[(i + k) % std::size(sides)]();
            }
            sqlite3_close(bare);
        }
        imported.dbMegaBytes = MegaBytes(importDb);
        reference.dbMegaBytes = MegaBytes(referenceDb);
        if (reference.words != imported.words || reference.lines != imported.lines) {
            Fail("the importer and the reference disagree on the corpus");
        }

        const double importRate = static_cast<double>(imported.words) / imported.seconds;
        const double referenceRate = static_cast<double>(reference.words) / reference.seconds;
        std::fprintf(stderr, "import %s: %zu files, %lld lines, %lld words, %lld pumps\n", tag.c_str(), files.size(),
                     imported.lines, imported.words, pumps);
        PrintBench("import_" + tag + "_words_per_s", importRate, "words/s");
        PrintBench("import_" + tag + "_seconds", imported.seconds, "s");
        PrintBench("import_" + tag + "_db_mb", imported.dbMegaBytes, "MB");
        PrintBench("reference_" + tag + "_words_per_s", referenceRate, "words/s");
        PrintBench("reference_" + tag + "_seconds", reference.seconds, "s");
        PrintBench("reference_" + tag + "_db_mb", reference.dbMegaBytes, "MB");
        PrintBench("import_" + tag + "_vs_reference", 100.0 * importRate / referenceRate, "%");
        if (withSummary) {
            if (summarized.words != imported.words) Fail("the imports with and without the summary disagree");
            PrintBench("import_" + tag + "_summary_seconds", summarized.seconds, "s");
            PrintBench("import_" + tag + "_summary_db_mb", MegaBytes(summaryDb), "MB");
            PrintBench("import_" + tag + "_summary_vs_plain", 100.0 * summarized.seconds / imported.seconds, "%");
        }

        std::error_code ec;
        std::filesystem::remove(referenceDb, ec);
        // The removals also on a copy with only the index of the speed-up: what
        // the summary adds to the index's own cost.
        const std::string indexDb = FreshDatabase(args->workDir, "index-" + tag + "-" + size + ".zorviacorpusdb");
        if (withSummary) {
            std::filesystem::copy_file(importDb, indexDb, ec);
            CCorpusDatabase db;
            if (ec || !db.Open(Utf8ToWide(indexDb)) || !db.Exec(u"CREATE INDEX word_lid ON word(lid)"))
                Fail("cannot make the copy with the index");
        }
        const RemovalTimes plain = Removals(importDb, args->workDir, args->size, encoding, tag);
        std::filesystem::remove(importDb, ec);
        if (withSummary) {
            const RemovalTimes indexed = Removals(indexDb, args->workDir, args->size, encoding, tag + "_index");
            const RemovalTimes kept = Removals(summaryDb, args->workDir, args->size, encoding, tag + "_summary");
            PrintBench("remove_file_tenth_" + tag + "_summary_vs_plain", 100.0 * kept.file / plain.file, "%");
            PrintBench("remove_file_tenth_" + tag + "_summary_vs_index", 100.0 * kept.file / indexed.file, "%");
            PrintBench("remove_stopwords_500_" + tag + "_summary_vs_plain", 100.0 * kept.stopWords / plain.stopWords,
                       "%");
            PrintBench("remove_stopwords_500_" + tag + "_summary_vs_index",
                       100.0 * kept.stopWords / indexed.stopWords, "%");
        }
        std::filesystem::remove(indexDb, ec);
        std::filesystem::remove(summaryDb, ec);
    }
    return 0;
}
