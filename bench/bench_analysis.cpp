// What the analyses of the analysis window cost on the generated corpus with
// the speed-up (the search index and the kept word-count summary): collocates (span 5,5) of a word with about 10,000 hits
// and of the most frequent word, their dispersion, the keywords of the
// corpus against one a tenth of its size, and the 3-grams of the whole
// corpus (with the memory budget of the window, and with a small one that
// makes the counts go through temporary files). Collocates run once more
// for the 10,000-hit word after another such word, as a second run in the
// window does: the counts of the words the first run met are kept. Each case runs in a child
// process and prints its time, its CPU time, how soon it first reported
// progress, its rows and its peak memory.
#include <cstdio>
#include <functional>
#include <string>

#include "analysis/collocates.h"
#include "analysis/dispersion.h"
#include "analysis/keywords.h"
#include "analysis/ngrams.h"
#include "analysis_support.h"
#include "platform/text_convert.h"

namespace zorvia::bench {
namespace {

// The clocks of a case, and when the job first reported progress.
class CaseClock : public IJobProgress {
public:
    CaseClock() { Restart(); }
    // What came before (a first run of the window) is not the case.
    void Restart() {
        start = Clock::now();
        cpuStart = CpuMs();
        firstMs = -1;
    }
    void Report(const std::u16string&, int) override {
        if (firstMs < 0) firstMs = MsSince(start);
    }
    Clock::time_point start;
    double cpuStart = 0;
    double firstMs = -1;
};

// Runs `job` in a child process and prints its figures under `name`.
void Measure(const std::string& name, const std::function<JobResult(CaseClock&, double& rows)>& job) {
    InChild(name, [&] {
        CaseClock clock;
        double rows = 0;
        const JobResult result = job(clock, rows);
        const double all = MsSince(clock.start);
        if (!result.done()) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), WideToUtf8(result.errorText).c_str());
            std::exit(1);
        }
        PrintBench(name + "_ms", all, "ms");
        PrintBench(name + "_cpu_ms", CpuMs() - clock.cpuStart, "ms");
        PrintBench(name + "_first_progress_ms", clock.firstMs, "ms");
        PrintBench(name + "_rows", rows, "rows");
    });
}

bool Open(CCorpusReader& reader, const std::string& path) {
    if (reader.Open(Utf8ToWide(path))) return true;
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
}

void MeasureNgrams(const std::string& name, const std::string& path, const std::string& workDir, std::size_t budget) {
    Measure(name, [&](CaseClock& progress, double& rows) {
        CCorpusReader reader;
        Open(reader, path);
        NgramRequest request;
        request.n = 3;
        request.spillDirectory = workDir;
        if (budget > 0) request.memoryBudget = budget;
        CNgramTable table(3);
        NgramRunInfo info;
        const JobResult result = RunNgrams(reader, request, {}, progress, table, &info);
        rows = static_cast<double>(table.RowCount());
        PrintBench(name + "_distinct", static_cast<double>(info.distinct), "ngrams");
        PrintBench(name + "_spills", info.spills, "times");
        return result;
    });
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::bench;
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    const std::string path = EnsureOptimizedCorpus(args->workDir, args->size);
    const std::string reference = EnsureOptimizedCorpus(args->workDir, args->size / 10);
    const BenchWords words = ChooseWords(path, "analysis");

    for (const auto& [label, word] : {std::pair{"10k", words.tenThousand}, std::pair{"frequent", words.frequent}}) {
        Measure(std::string("collocates_") + label, [&](CaseClock& progress, double& rows) {
            CCorpusReader reader;
            Open(reader, path);
            CollocateRequest request;
            request.node = word;
            CCollocateTable table;
            const JobResult result = RunCollocates(reader, request, {}, progress, table);
            rows = static_cast<double>(table.RowCount());
            return result;
        });
        Measure(std::string("dispersion_") + label, [&](CaseClock& progress, double& rows) {
            CCorpusReader reader;
            Open(reader, path);
            CDispersionTable table;
            const JobResult result = RunDispersion(reader, word, {}, progress, table);
            rows = static_cast<double>(table.RowCount());
            return result;
        });
    }
    // The window keeps the counts of words it has read: a second word
    // counts only the words the first did not meet.
    Measure("collocates_10k_second_word", [&](CaseClock& clock, double& rows) {
        JobResult result;
        for (const std::u16string& word : {words.tenThousandNext, words.tenThousand}) {
            clock.Restart();
            CCorpusReader reader;
            Open(reader, path);
            CollocateRequest request;
            request.node = word;
            CCollocateTable table;
            result = RunCollocates(reader, request, {}, clock, table);
            rows = static_cast<double>(table.RowCount());
        }
        return result;
    });
    Measure("keywords", [&](CaseClock& progress, double& rows) {
        CCorpusReader target, ref;
        Open(target, path);
        Open(ref, reference);
        CKeywordTable table;
        const JobResult result = RunKeywords(target, ref, {}, {}, progress, table);
        rows = static_cast<double>(table.RowCount());
        return result;
    });
    MeasureNgrams("ngrams3", path, args->workDir, 0);
    MeasureNgrams("ngrams3_spilled", path, args->workDir, std::size_t{32} << 20);
    return 0;
}
