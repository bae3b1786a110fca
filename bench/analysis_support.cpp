#include "analysis_support.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/word_summary.h"
#include "platform/text_convert.h"

namespace zorvia::bench {

PromptAnswer QuietPrompt::Message(const std::u16string& text, PromptButtons, PromptIcon) {
    std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
    return PromptAnswer::Yes;
}

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The corpus of the keystroke benchmark and its copy with the speed-up (the
// index and the kept word-count summary),
// both kept in the work directory under the same names, so that either
// benchmark reuses what the other made.
std::string EnsureOptimizedCorpus(const std::string& workDir, long words) {
    const std::string base = workDir + "/keystroke-" + std::to_string(words);
    const std::string path = base + ".zorviacorpusdb";
    if (!std::filesystem::exists(path + ".complete")) {
        std::filesystem::remove(path);
        CCorpusDatabase db;
        OpenDatabaseWithSchema(db, Utf8ToWide(path));
        QuietPrompt prompt;
        QuietProgress progress;
        for (const std::string& file : EnsureCorpusFiles(workDir, words, Encoding::Cp932)) {
            if (!ImportFile(db, Utf8ToWide(file), prompt, progress, progress)) {
                std::fprintf(stderr, "import of %s failed\n", file.c_str());
                std::exit(1);
            }
        }
        std::ofstream(path + ".complete") << "ok\n";
    }
    const std::string indexed = base + "-optimized.zorviacorpusdb";
    if (!std::filesystem::exists(indexed + ".complete")) {
        std::filesystem::copy_file(path, indexed, std::filesystem::copy_options::overwrite_existing);
        CCorpusDatabase db;
        QuietProgress progress;
        if (!db.Open(Utf8ToWide(indexed)) || CreateSpeedUp(db, progress).result != SpeedUpResult::Done) {
            std::fprintf(stderr, "cannot create the speed-up: %s\n", WideToUtf8(db.GetErrorText()).c_str());
            std::exit(1);
        }
        std::ofstream(indexed + ".complete") << "ok\n";
    }
    return indexed;
}

BenchWords ChooseWords(const std::string& path, const char* label) {
    BenchWords words;
    CCorpusDatabase db;
    db.OpenReadOnly(Utf8ToWide(path));
    db.Exec(u"SELECT word_upper, count(*) FROM word GROUP BY word_upper");
    int best = -1, nearest = -1, next = -1;
    for (int r = 0; r < db.GetRowCount(); ++r) {
        const int count = db.GetCellInt(r, 1);
        if (count > best) best = count, words.frequent = db.GetCell(r, 0);
        if (nearest < 0 || std::abs(count - 10000) < std::abs(nearest - 10000)) {
            next = nearest, words.tenThousandNext = words.tenThousand;
            nearest = count, words.tenThousand = db.GetCell(r, 0);
        } else if (next < 0 || std::abs(count - 10000) < std::abs(next - 10000)) {
            next = count, words.tenThousandNext = db.GetCell(r, 0);
        }
    }
    std::fprintf(stderr, "%s: most frequent '%s' (%d), nearest 10,000 '%s' (%d)\n", label,
                 WideToUtf8(words.frequent).c_str(), best, WideToUtf8(words.tenThousand).c_str(), nearest);
    return words;
}

}  // namespace zorvia::bench
