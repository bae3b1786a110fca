// What one keystroke of incremental search costs on a large corpus: the
// word list's prefix query, the concordance query (with the fallback to the
// most frequent word beginning with the prefix), the first preview page and
// the lookups that drawing the visible items of the concordance list runs.
//
// Each keystroke is measured twice in the same run: through the program's
// own code, and as the bare SQL texts that code sent (recorded from the
// connection, then replayed on a second connection with no work per row).
// The difference is what the program adds to the queries. The same is then
// measured on a copy of the corpus with the opt-in speed-up, with the
// frequency table, the version page and the complete word list beside.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "concordance/concordance_search.h"
#include "concordance/hit_lookups.h"
#include "concordance/kwic_item.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/word_rules.h"
#include "analysis_support.h"
#include "corpus_generator.h"
#include "html/page_frame.h"
#include "html/preview_page.h"
#include "html/report_pages.h"
#include "platform/text_convert.h"
#include "wordlist/word_list.h"
#include "corpus/word_summary.h"

namespace zorvia::bench {
namespace {

using Clock = std::chrono::steady_clock;

// How many items of the concordance list a window shows at once.
constexpr int kVisibleItems = 15;
constexpr int kRepetitions = 7;

// The corpus database for `words` words, imported once through the real
// importer and kept in the work directory.
std::string EnsureCorpusDatabase(const BenchArgs& args) {
    const std::string path = args.workDir + "/keystroke-" + std::to_string(args.size) + ".zorviacorpusdb";
    const std::string done = path + ".complete";
    if (std::filesystem::exists(done)) return path;
    std::filesystem::remove(path);
    const auto files = EnsureCorpusFiles(args.workDir, args.size, Encoding::Cp932);
    CCorpusDatabase db;
    OpenDatabaseWithSchema(db, Utf8ToWide(path));
    QuietPrompt prompt;
    QuietProgress progress;
    for (const std::string& file : files) {
        if (!ImportFile(db, Utf8ToWide(file), prompt, progress, progress)) {
            std::fprintf(stderr, "import of %s failed\n", file.c_str());
            std::exit(1);
        }
    }
    std::ofstream(done) << "ok\n";
    return path;
}

// A fresh copy of the corpus with the speed-up of "検索の高速化" (the index
// and the word-count summary), timed.
std::string MakeOptimizedCopy(const std::string& path) {
    const std::string suffix = ".zorviacorpusdb";
    const std::string optimized = path.substr(0, path.size() - suffix.size()) + "-optimized" + suffix;
    std::filesystem::copy_file(path, optimized, std::filesystem::copy_options::overwrite_existing);
    CCorpusDatabase db;
    db.Open(Utf8ToWide(optimized));
    QuietProgress progress;
    const auto start = Clock::now();
    const SpeedUpOutcome outcome = CreateSpeedUp(db, progress);
    if (outcome.result != SpeedUpResult::Done) {
        std::fprintf(stderr, "cannot speed the corpus up: %s\n", WideToUtf8(outcome.errorText).c_str());
        std::exit(1);
    }
    PrintBench("optimize_seconds", std::chrono::duration<double>(Clock::now() - start).count(), "s");
    return optimized;
}

// The search command of the main window, on the core functions it calls.
class Keystroke : public ISearchCommandTarget {
public:
    explicit Keystroke(CCorpusDatabase& db) : m_db(db) {}
    void WordListSearch(const std::u16string& prefix) override { m_rows = QueryWordsStartingWith(m_db, prefix, 20); }
    int WordListCount() override { return static_cast<int>(m_rows.size()); }
    std::u16string WordListKey0() override { return m_rows.empty() ? std::u16string() : m_rows[0].key; }
    bool ConcordanceSearch(const std::u16string& word) override {
        m_hits = SearchConcordance(m_db, word, 50);
        m_cache.clear();
        if (m_hits.empty()) return false;
        CompleteHit(m_db, m_hits[0]);
        m_page = BuildPreviewPage(m_db, m_hits[0], m_searchWord, m_typed, 100, m_head);
        return true;
    }

    void Run(const std::u16string& typed) {
        m_typed = typed;
        RunSearchFallbacks(typed, m_searchWord, *this);
        for (int i = 0; i < kVisibleItems && i < static_cast<int>(m_hits.size()); ++i) {
            PrepareKwicItem(m_db, m_hits[static_cast<std::size_t>(i)], m_cache, m_searchWord, i);
        }
    }
    std::size_t Hits() const { return m_hits.size(); }

private:
    CCorpusDatabase& m_db;
    std::u16string m_typed;
    std::u16string m_searchWord;
    std::u16string m_head = BuildPageHead(u"/opt/zorvia/");
    std::vector<WordListRow> m_rows;
    std::vector<ConcordanceHit> m_hits;
    LineCache m_cache;
    PreviewPage m_page;
};

std::vector<std::string>* g_recorded = nullptr;

int RecordStatement(unsigned, void*, void* statement, void*) {
    if (g_recorded != nullptr) g_recorded->push_back(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
    return 0;
}

int IgnoreRow(void*, int, char**, char**) { return 0; }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Timing {
    double app = 0;
    double bare = 0;
    std::size_t statements = 0;
};

// `action` through the program's code, then the statements it sent replayed
// bare; medians of `repetitions` runs.
Timing MeasureAction(CCorpusDatabase& db, sqlite3* bare, int repetitions, const std::function<void()>& action) {
    std::vector<double> app, ref;
    std::vector<std::string> recorded;
    sqlite3_trace_v2(db.NativeHandle(), SQLITE_TRACE_STMT, &RecordStatement, nullptr);
    for (int r = 0; r < repetitions; ++r) {
        recorded.clear();
        g_recorded = &recorded;
        const auto start = Clock::now();
        action();
        app.push_back(MillisecondsSince(start));
        g_recorded = nullptr;

        const auto bareStart = Clock::now();
        for (const std::string& sql : recorded) sqlite3_exec(bare, sql.c_str(), &IgnoreRow, nullptr, nullptr);
        ref.push_back(MillisecondsSince(bareStart));
    }
    sqlite3_trace_v2(db.NativeHandle(), 0, nullptr, nullptr);
    return {Median(app), Median(ref), recorded.size()};
}

Timing MeasureKeystroke(CCorpusDatabase& db, sqlite3* bare, const std::u16string& typed) {
    return MeasureAction(db, bare, kRepetitions, [&] {
        Keystroke keystroke(db);
        keystroke.Run(typed);
    });
}

std::u16string FirstWord(CCorpusDatabase& db, const std::u16string& sql) {
    db.Exec(sql);
    return db.GetRowCount() > 0 ? FoldToLower(db.GetCell(0, 0)) : std::u16string();
}

void RunVariant(const std::string& variant, const std::string& path) {
    CCorpusDatabase db;
    if (!db.Open(Utf8ToWide(path))) std::exit(1);
    sqlite3* bare = nullptr;
    sqlite3_open_v2(path.c_str(), &bare, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(bare, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);

    // The most frequent word, and a rarely used long one.
    const std::u16string frequent =
        FirstWord(db, u"SELECT word_upper FROM word GROUP BY word_upper ORDER BY count(*) DESC LIMIT 1");
    const std::u16string rare = FirstWord(
        db, u"SELECT word_upper FROM word GROUP BY word_upper HAVING count(*) BETWEEN 2 AND 5 "
            u"AND length(word_upper) >= 6 AND word_upper GLOB '[A-Z]*' ORDER BY word_upper LIMIT 1");
    std::fprintf(stderr, "%s: frequent word '%s', rare word '%s'\n", variant.c_str(),
                 WideToUtf8(frequent).c_str(), WideToUtf8(rare).c_str());

    // The frequency table, once to warm the caches and then measured.
    QueryFrequencyTable(db, 20);
    const Timing table = MeasureAction(db, bare, 3, [&] { QueryFrequencyTable(db, 20); });
    const double frequencyTable = table.app;
    PrintBench("frequency_table_" + variant + "_ms", table.app, "ms");
    PrintBench("frequency_table_" + variant + "_bare_ms", table.bare, "ms");

    // The version page with its distinct-word count, and the complete word
    // list built and written out (the window hands the page to the body
    // pane as it is; here it goes to a file).
    double versionPage = 0;
    {
        std::vector<double> times;
        for (int r = 0; r < 3; ++r) {
            const auto start = Clock::now();
            const CorpusCounts counts = QueryCorpusCounts(db, false, nullptr);
            times.push_back(MillisecondsSince(start));
            if (counts.words == 0) std::exit(1);
        }
        versionPage = Median(times);
        PrintBench("version_page_" + variant + "_ms", versionPage, "ms");
    }
    {
        std::vector<double> times;
        const std::string pagePath = path + ".wordlist.html";
        for (int r = 0; r < 3; ++r) {
            const auto start = Clock::now();
            const CompleteWordListResult page = BuildCompleteWordList(db, BuildPageHead(u"/opt/zorvia/"));
            std::ofstream(pagePath, std::ios::binary | std::ios::trunc) << WideToUtf8(page.page);
            times.push_back(MillisecondsSince(start));
        }
        std::filesystem::remove(pagePath);
        PrintBench("complete_word_list_" + variant + "_ms", Median(times), "ms");
    }

    double worstOverhead = 0;
    double worstTwoLetters = 0;
    double worstKeystroke = 0;
    double totalApp = 0, totalBare = 0;
    for (const auto& [kind, word] : {std::pair{std::string("frequent"), frequent}, std::pair{std::string("rare"), rare}}) {
        for (std::size_t length = 1; length <= 4 && length <= word.size(); ++length) {
            const std::u16string typed = word.substr(0, length);
            const Timing t = MeasureKeystroke(db, bare, typed);
            const std::string name = "keystroke_" + variant + "_" + kind + "_" + std::to_string(length);
            PrintBench(name + "_ms", t.app, "ms");
            PrintBench(name + "_bare_ms", t.bare, "ms");
            const double overhead = t.bare > 0 ? (t.app - t.bare) / t.bare * 100.0 : 0.0;
            PrintBench(name + "_overhead_pct", overhead, "%");
            worstOverhead = std::max(worstOverhead, overhead);
            totalApp += t.app;
            totalBare += t.bare;
            if (length >= 2) worstTwoLetters = std::max(worstTwoLetters, t.app);
            worstKeystroke = std::max(worstKeystroke, t.app);
        }
    }
    PrintBench("keystroke_" + variant + "_worst_overhead_pct", worstOverhead, "%");
    // All the keystrokes above typed one after the other.
    PrintBench("keystroke_" + variant + "_total_overhead_pct", totalBare > 0 ? (totalApp - totalBare) / totalBare * 100.0 : 0.0,
               "%");
    PrintBench("keystroke_" + variant + "_worst_2plus_letters_ms", worstTwoLetters, "ms");
    PrintBench("keystroke_" + variant + "_worst_ms", worstKeystroke, "ms");
    // Every interactive action: the keystrokes, the frequency table, the
    // version page.
    PrintBench("interactive_" + variant + "_worst_ms", std::max({worstKeystroke, frequencyTable, versionPage}), "ms");
    sqlite3_close(bare);
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia::bench;
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    const std::string path = EnsureCorpusDatabase(*args);
    const std::string optimized = MakeOptimizedCopy(path);
    RunVariant("plain", path);
    RunVariant("optimized", optimized);
    std::filesystem::remove(optimized);
    return 0;
}
