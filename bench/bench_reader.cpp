// Reading throughput: the lines of the generated corpus through
// TextLineReader, each line cut into words and every word folded, as the
// import does before it writes anything. Also the reader alone.
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "corpus/text_line_reader.h"
#include "corpus/word_rules.h"
#include "corpus_generator.h"
#include "platform/text_convert.h"

namespace zorvia::bench {
namespace {

struct Pass {
    double seconds = 0;
    long long lines = 0;
    long long words = 0;
    std::uint64_t checksum = 0;  // keeps the work from being optimised away
};

// The CPU time of this thread, reading included (the kernel's copy from the
// page cache counts): other processes on a shared machine change the wall
// time of a pass far more than its CPU time.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Pass ReadCorpus(const std::vector<std::string>& files, bool splitAndFold) {
    const double start = ThreadSeconds();
    Pass pass;
    TextLineReader reader;
    std::u16string line;
    for (const std::string& file : files) {
        if (!reader.Open(Utf8ToWide(file))) {
            std::fprintf(stderr, "cannot open %s\n", file.c_str());
            std::exit(1);
        }
        while (reader.ReadLine(line)) {
            ++pass.lines;
            pass.checksum += line.size();
            if (!splitAndFold) continue;
            ForEachWord(line, [&](std::u16string_view word) {
                const std::u16string upper = FoldToUpper(word);
                pass.checksum += upper.size() + upper.front();
                ++pass.words;
            });
        }
        reader.Close();
    }
    pass.seconds = ThreadSeconds() - start;
    return pass;
}

// The fastest pass after one that warms the caches: at least nine, and as
// many as fit into two seconds, so that a moment of load does not decide the
// figure.
Pass Best(const std::vector<std::string>& files, bool splitAndFold) {
    ReadCorpus(files, splitAndFold);
    Pass best;
    double total = 0;
    for (int i = 0; i < 9 || total < 2.0; ++i) {
        const Pass pass = ReadCorpus(files, splitAndFold);
        total += pass.seconds;
        if (i == 0 || pass.seconds < best.seconds) best = pass;
    }
    return best;
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia::bench;
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    // The same text in each encoding; UTF-8 files are found by validating
    // the whole file first.
    for (Encoding encoding : {Encoding::Cp932, Encoding::Utf16Le, Encoding::Utf8}) {
        const std::vector<std::string> files = EnsureCorpusFiles(args->workDir, args->size, encoding);
        std::uintmax_t bytes = 0;
        for (const std::string& file : files) bytes += std::filesystem::file_size(file);
        const double mb = static_cast<double>(bytes) / 1e6;
        const std::string tag = EncodingTag(encoding);

        const Pass full = Best(files, true);
        const Pass linesOnly = Best(files, false);
        std::fprintf(stderr, "reader %s: %zu files, %.1f MB, %lld lines, %lld words (checksum %llu)\n", tag.c_str(),
                     files.size(), mb, full.lines, full.words, static_cast<unsigned long long>(full.checksum));
        PrintBench("reader_" + tag + "_mb_per_s", mb / full.seconds, "MB/s");
        PrintBench("reader_" + tag + "_words_per_s", static_cast<double>(full.words) / full.seconds, "words/s");
        PrintBench("reader_" + tag + "_lines_only_mb_per_s", mb / linesOnly.seconds, "MB/s");
    }
    return 0;
}
