// Import of Japanese text into a corpus whose words MeCab cuts, against the
// same files imported into a corpus of the separators in the same run, file
// by file in turns. Both figures count the words stored: under the
// separators an unspaced Japanese sentence is one word, under MeCab each
// morpheme is.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/database_files.h"
#include "corpus/file_import.h"
#include "corpus/word_rule.h"
#include "analysis_support.h"
#include "corpus_generator.h"
#include "platform/text_convert.h"

namespace zorvia::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_import_mecab: %s\n", what.c_str());
    std::exit(1);
}

class NoStatus : public IStatusText {
public:
    void SetStatusText(const std::u16string&) override {}
};

class FailingPrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons, PromptIcon) override {
        Fail("the import said: " + WideToUtf8(text));
    }
    std::optional<std::u16string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool IsShiftDown() override { return false; }
};

// Japanese prose from a few hundred clause parts, with an English word or a
// number now and then: a vocabulary that grows slowly, as in real text.
constexpr const char* kOpenings[] = {"朝になると、", "夏の夕暮れに、", "雨がやむと、", "ある日、", "冬のあいだ、",
                                     "久しぶりに", "その年の秋、", "", "", ""};
constexpr const char* kSubjects[] = {"私は", "彼女は", "祖父は", "町の人々は", "子どもたちは", "旅人は", "先生は",
                                     "猫が", "渡し舟の船頭は", "日本の友だちは", "隣の家の少年は", "母は"};
constexpr const char* kPlaces[] = {"川沿いの道で", "駅の近くで", "古い橋の上で", "市場の前で", "山のふもとで",
                                   "東京の大学で", "海辺の村で", "静かな図書館で", "日本中を歩いて", "向こう岸で"};
constexpr const char* kObjects[] = {"手紙を", "小さな魚を", "野菜を", "古い本を", "写真を", "新しい歌を",
                                    "焼き芋を", "ｶﾀｶﾅの看板を", "桜の枝を", "地図を"};
constexpr const char* kVerbs[] = {"書いた", "買ってきた", "読んでいた", "運んでいった", "見つけた",
                                  "歌いはじめた", "追いかけて遊んだ", "大切にしていた", "忘れてしまった", "描いた"};
constexpr const char* kExtras[] = {"Tom", "river", "2024年", "3月", "Ｅメール", "No.7", "OK"};

template <std::size_t N>
const char* Pick(const char* const (&items)[N], std::mt19937& random) {
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

// `lines` lines of UTF-8 text in files of 5,000 lines, kept under `workDir`.
std::vector<std::string> EnsureJapaneseFiles(const std::string& workDir, long lines) {
    const fs::path dir = fs::path(workDir) / ("japanese-v1-" + std::to_string(lines));
    constexpr long kLinesPerFile = 5000;
    std::vector<std::string> files;
    for (long first = 0; first < lines; first += kLinesPerFile)
        files.push_back((dir / ("japanese-" + std::to_string(first / kLinesPerFile) + ".txt")).string());
    if (fs::exists(dir / "complete")) return files;
    fs::create_directories(dir);
    std::mt19937 random(20240611);
    for (std::size_t f = 0; f < files.size(); ++f) {
        std::ofstream out(files[f], std::ios::binary | std::ios::trunc);
        const long count = std::min(kLinesPerFile, lines - static_cast<long>(f) * kLinesPerFile);
        for (long l = 0; l < count; ++l) {
            const int sentences = std::uniform_int_distribution<int>(1, 3)(random);
            std::string line;
            for (int s = 0; s < sentences; ++s) {
                line += std::string(Pick(kOpenings, random)) + Pick(kSubjects, random) + Pick(kPlaces, random);
                if (random() % 5 == 0) line += std::string(" ") + Pick(kExtras, random) + " ";
                line += std::string(Pick(kObjects, random)) + Pick(kVerbs, random) + "。";
            }
            out << line << "\r\n";
        }
        if (!out) Fail("cannot write " + files[f]);
    }
    std::ofstream(dir / "complete") << "ok\n";
    return files;
}

struct Run {
    double seconds = 0;
    long long words = 0;
    long long lines = 0;
};

void Import(CCorpusDatabase& db, const std::string& file, Run& run) {
    FailingPrompt prompt;
    QuietProgress progress;
    NoStatus status;
    ImportOptions options;
    options.mecabDictionary = u"";  // MeCab's default, as the corpus was set up
    const auto start = Clock::now();
    const ImportOutcome outcome = ImportOneFile(db, Utf8ToWide(file), prompt, progress, status, options);
    run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (outcome.result != ImportResult::Committed) Fail("import of " + file + " failed");
    run.words += outcome.words;
    run.lines += outcome.lines;
}

std::u16string FreshCorpus(CCorpusDatabase& db, const std::string& workDir, const std::string& name) {
    const std::string path = (fs::path(workDir) / name).string();
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
    if (!OpenDatabaseWithSchema(db, Utf8ToWide(path))) Fail("cannot open " + path);
    return Utf8ToWide(path);
}

}  // namespace
}  // namespace zorvia::bench

int main(int argc, char** argv) {
    using namespace zorvia;
    using namespace zorvia::bench;
    const auto args = ParseBenchArgs(argc, argv);
    if (!args) return 2;
    // About twenty morphemes a line: the size in words under MeCab.
    const long lines = std::max(1000L, args->size / 20);
    const std::vector<std::string> files = EnsureJapaneseFiles(args->workDir, lines);

    CCorpusDatabase separators;
    CCorpusDatabase mecab;
    const std::u16string separatorsPath = FreshCorpus(separators, args->workDir, "japanese-separators.zorviacorpusdb");
    const std::u16string mecabPath = FreshCorpus(mecab, args->workDir, "japanese-mecab.zorviacorpusdb");
    const WordRuleChangeOutcome set = SetCorpusWordRule(mecab, WordRuleKind::Mecab, u"");
    if (set.result != WordRuleChange::Set) Fail("cannot set the mecab rule: " + WideToUtf8(set.message));

    Run bySeparators;
    Run byMecab;
    // Each side goes first every other file, so that both meet the same
    // machine over the run.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i % 2 == 0) {
            Import(mecab, files[i], byMecab);
            Import(separators, files[i], bySeparators);
        } else {
            Import(separators, files[i], bySeparators);
            Import(mecab, files[i], byMecab);
        }
    }
    if (byMecab.lines != bySeparators.lines) Fail("the two corpora disagree on the lines");

    const double mecabRate = static_cast<double>(byMecab.words) / byMecab.seconds;
    const double separatorsRate = static_cast<double>(bySeparators.words) / bySeparators.seconds;
    std::fprintf(stderr, "import japanese: %zu files, %lld lines; %lld words by MeCab, %lld by the separators\n",
                 files.size(), byMecab.lines, byMecab.words, bySeparators.words);
    PrintBench("import_mecab_words_per_s", mecabRate, "words/s");
    PrintBench("import_mecab_seconds", byMecab.seconds, "s");
    PrintBench("import_mecab_separators_words_per_s", separatorsRate, "words/s");
    PrintBench("import_mecab_separators_seconds", bySeparators.seconds, "s");
    PrintBench("import_mecab_vs_separators", 100.0 * mecabRate / separatorsRate, "%");
    // The same text line for line: what cutting into morphemes (and storing
    // them) costs over storing each sentence whole.
    PrintBench("import_mecab_lines_vs_separators", 100.0 * bySeparators.seconds / byMecab.seconds, "%");

    separators.Close();
    mecab.Close();
    std::error_code ec;
    fs::remove(WideToUtf8(separatorsPath), ec);
    fs::remove(WideToUtf8(mecabPath), ec);
    return 0;
}
