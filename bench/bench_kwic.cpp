// What the analysis window costs on a large corpus (the generated corpus
// after "検索の高速化": its index and word-count summary): every hit of the
// most frequent word and of a word with about 10,000 hits, in corpus order
// and sorted by R1,R2. Each case reports the time to the first screen (in corpus order:
// the first batch of rows; sorted: the sorted order), the whole list, the
// export of the list as TSV and the peak memory of a process doing just
// that; then export-vrt in words per second. Each case runs in a child
// process of its own so that its peak memory is its own.
#include <cstdio>
#include <filesystem>
#include <string>

#include "analysis/kwic.h"
#include "analysis/table_export.h"
#include "analysis/vrt_export.h"
#include "analysis_support.h"
#include "corpus/corpus_database.h"
#include "platform/text_convert.h"

namespace zorvia::bench {
namespace {

constexpr std::size_t kFirstScreenRows = 40;

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
    const std::string path = EnsureOptimizedCorpus(args->workDir, args->size);

    const BenchWords words = ChooseWords(path, "kwic");
    const std::u16string& frequent = words.frequent;
    const std::u16string& tenThousand = words.tenThousand;
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
