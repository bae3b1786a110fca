// What the analysis window costs on a large corpus (the generated corpus
// with the search index of "検索の高速化"): every hit of the most frequent
// word and of a word with about 10,000 hits, in corpus order and sorted by
// R1,R2. Each case reports the time to the first screen (in corpus order:
// the first batch of rows; sorted: the sorted order), the whole list, the
// export of the list as TSV and the peak memory of a process doing just
// that; then export-vrt in words per second. Each case runs in a child
// process of its own so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "analysis/kwic.h"
#include "analysis/table_export.h"
#include "analysis/vrt_export.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus_generator.h"
#include "platform/text_convert.h"
#include "wordlist/word_list.h"

namespace zorvia::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kFirstScreenRows = 40;

// CPU time of this process: on a shared machine the wall clock also
// counts the time other processes held the cores.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class QuietPrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons, PromptIcon) override {
        std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
        return PromptAnswer::Yes;
    }
    std::optional<std::u16string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool IsShiftDown() override { return false; }
};

class QuietProgress : public IProgressSink, public IStatusText {
public:
    void Begin() override {}
    void SetText(const std::u16string&) override {}
    void SetPosition(int) override {}
    bool Pump() override { return true; }
    void End() override {}
    void SetStatusText(const std::u16string&) override {}
};

// The corpus of the keystroke benchmark, imported through the real importer,
// and its copy with the search index; both kept in the work directory under
// the same names, so that either benchmark reuses what the other made.
std::string EnsureIndexedCorpus(const BenchArgs& args) {
    const std::string base = args.workDir + "/keystroke-" + std::to_string(args.size);
    const std::string path = base + ".zorviacorpusdb";
    if (!std::filesystem::exists(path + ".complete")) {
        std::filesystem::remove(path);
        CCorpusDatabase db;
        OpenDatabaseWithSchema(db, Utf8ToWide(path));
        QuietPrompt prompt;
        QuietProgress progress;
        for (const std::string& file : EnsureCorpusFiles(args.workDir, args.size, Encoding::Cp932)) {
            if (!ImportFile(db, Utf8ToWide(file), prompt, progress, progress)) {
                std::fprintf(stderr, "import of %s failed\n", file.c_str());
                std::exit(1);
            }
        }
        std::ofstream(path + ".complete") << "ok\n";
    }
    const std::string indexed = base + "-indexed.zorviacorpusdb";
    if (!std::filesystem::exists(indexed + ".complete")) {
        std::filesystem::copy_file(path, indexed, std::filesystem::copy_options::overwrite_existing);
        CCorpusDatabase db;
        if (!db.Open(Utf8ToWide(indexed)) || !CreateSearchIndex(db)) {
            std::fprintf(stderr, "cannot create the index: %s\n", WideToUtf8(db.GetErrorText()).c_str());
            std::exit(1);
        }
        std::ofstream(indexed + ".complete") << "ok\n";
    }
    return indexed;
}

// The table as the window fills it, with the moment the first screen could
// be drawn.
class TimedTable : public IKwicSink {
public:
    TimedTable(const KwicRequest& request, Clock::time_point start)
        : table(request.context, static_cast<int>(ParseKwicNode(request.node).size())),
          m_sorted(!request.keys.empty()),
          m_start(start) {}
    void OnRows(KwicBatch batch) override {
        table.OnRows(std::move(batch));
        if (!m_sorted && firstScreenMs < 0 && table.RowCount() >= kFirstScreenRows) firstScreenMs = MsSince(m_start);
    }
    void OnOrder(std::vector<std::uint32_t> order) override {
        table.OnOrder(std::move(order));
        firstScreenMs = MsSince(m_start);
    }
    CKwicTable table;
    double firstScreenMs = -1;

private:
    bool m_sorted;
    Clock::time_point m_start;
};

// Runs `body` in a child process and prints its peak memory.
template <typename Body>
void InChild(const std::string& name, Body body) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", name.c_str());
        return;
    }
    PrintBench(name + "_peak_mb", static_cast<double>(usage.ru_maxrss) / 1024.0, "MB");
}

void MeasureKwic(const std::string& path, const std::string& label, const std::u16string& word, bool sorted,
                 const std::string& workDir) {
    const std::string name = "kwic_" + label + (sorted ? "_sorted_r1r2" : "_unsorted");
    InChild(name, [&] {
        KwicRequest request;
        request.node = word;
        request.context = 5;
        if (sorted) request.keys = *ParseKwicSortKeys("R1,R2");
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        TimedTable sink(request, start);
        CCorpusReader reader;
        NullJobProgress quiet;
        if (!reader.Open(Utf8ToWide(path))) std::exit(1);
        const JobResult result = RunKwic(reader, request, {}, sink, quiet);
        const double all = MsSince(start);
        const double cpu = CpuMs() - cpuStart;
        if (!result.done()) {
            std::fprintf(stderr, "%s\n", WideToUtf8(result.errorText).c_str());
            std::exit(1);
        }
        PrintBench(name + "_first_screen_ms", sink.firstScreenMs < 0 ? all : sink.firstScreenMs, "ms");
        PrintBench(name + "_all_ms", all, "ms");
        PrintBench(name + "_all_cpu_ms", cpu, "ms");
        PrintBench(name + "_hits", static_cast<double>(sink.table.RowCount()), "rows");
        const std::string out = workDir + "/kwic-export.tsv";
        const auto exportStart = Clock::now();
        if (!ExportTable(sink.table, Utf8ToWide(out), TableFormat::Tsv, true, {}, quiet).done()) std::exit(1);
        PrintBench(name + "_export_tsv_ms", MsSince(exportStart), "ms");
        std::filesystem::remove(out);
    });
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::bench;
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    const std::string path = EnsureIndexedCorpus(*args);

    // The most frequent word and the word whose count is nearest 10,000.
    std::u16string frequent, tenThousand;
    {
        CCorpusDatabase db;
        db.OpenReadOnly(Utf8ToWide(path));
        db.Exec(u"SELECT word_upper, count(*) FROM word GROUP BY word_upper");
        int best = -1, nearest = -1;
        for (int r = 0; r < db.GetRowCount(); ++r) {
            const int count = db.GetCellInt(r, 1);
            if (count > best) best = count, frequent = db.GetCell(r, 0);
            if (nearest < 0 || std::abs(count - 10000) < std::abs(nearest - 10000))
                nearest = count, tenThousand = db.GetCell(r, 0);
        }
        std::fprintf(stderr, "kwic: most frequent '%s' (%d), nearest 10,000 '%s' (%d)\n", WideToUtf8(frequent).c_str(),
                     best, WideToUtf8(tenThousand).c_str(), nearest);
    }
    for (bool sorted : {false, true}) {
        MeasureKwic(path, "10k", tenThousand, sorted, args->workDir);
        MeasureKwic(path, "frequent", frequent, sorted, args->workDir);
    }

    InChild("export_vrt", [&] {
        const std::string out = args->workDir + "/bench.vrt";
        CCorpusReader reader;
        NullJobProgress quiet;
        VrtCounts counts;
        if (!reader.Open(Utf8ToWide(path))) std::exit(1);
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        if (!ExportVrt(reader, Utf8ToWide(out), {}, quiet, &counts).done()) std::exit(1);
        const double seconds = MsSince(start) / 1000.0;
        const double cpuSeconds = (CpuMs() - cpuStart) / 1000.0;
        PrintBench("export_vrt_words_per_s", static_cast<double>(counts.tokens) / seconds, "words/s");
        PrintBench("export_vrt_words_per_cpu_s", static_cast<double>(counts.tokens) / cpuSeconds, "words/s");
        PrintBench("export_vrt_mb", static_cast<double>(std::filesystem::file_size(out)) / 1e6, "MB");
        std::filesystem::remove(out);
    });
    return 0;
}
