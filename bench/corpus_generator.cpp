#include "corpus_generator.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_set>

#include <unistd.h>

#include "corpus/word_rules.h"
#include "platform/text_convert.h"

namespace zorvia::bench {

namespace fs = std::filesystem;

namespace {

// Raise whenever the generated text changes, so that cached corpora of an
// older generator are not taken for current ones.
constexpr int kGeneratorVersion = 1;
constexpr std::uint64_t kSeed = 0x5EED'C0DE'2024'0001u;
constexpr int kVocabularySize = 50'000;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "corpus generator: %s\n", what.c_str());
    std::exit(2);
}

// splitmix64: tiny, fast and the same on every platform, unlike the
// distributions of <random>.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(((Next() >> 32) * n) >> 32); }
    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::uint32_t>(hi - lo + 1))); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Unit() < p; }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    std::uint64_t m_state;
};

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

char16_t Capital(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

void Capitalise(std::u16string& word) {
    if (!word.empty()) word[0] = Capital(word[0]);
}

// The most frequent words of English, most frequent first; the rest of the
// vocabulary is made up.
constexpr const char* kCommonWords[] = {
    "the", "of", "and", "to", "a", "in", "is", "that", "it", "was", "for", "on", "are", "as", "with",
    "he", "they", "be", "at", "one", "have", "this", "from", "or", "had", "by", "not", "but", "what",
    "all", "were", "we", "when", "your", "can", "said", "there", "use", "an", "each", "which", "she",
    "do", "how", "their", "if", "will", "up", "other", "about", "out", "many", "then", "them", "these",
    "so", "some", "her", "would", "make", "like", "him", "into", "time", "has", "look", "two", "more",
    "write", "go", "see", "number", "no", "way", "could", "people", "my", "than", "first", "water",
    "been", "call", "who", "its", "now", "find", "long", "down", "day", "did", "get", "come", "made",
    "may", "part", "over", "new", "sound", "take", "only", "little", "work", "know", "place", "year",
    "live", "me", "back", "give", "most", "very", "after", "thing", "our", "just", "name", "good",
    "sentence", "man", "think", "say", "great", "where", "help", "through", "much", "before", "line",
    "right", "too", "mean", "old", "any", "same", "tell", "boy", "follow", "came", "want", "show",
};

constexpr const char* kOnsets[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "r", "s",
                                   "t", "v", "w", "y", "z", "br", "cr", "dr", "fr", "gr", "pr", "tr", "bl",
                                   "cl", "fl", "gl", "pl", "sl", "st", "sp", "sc", "sh", "ch", "th", "wh", "qu"};
constexpr const char* kVowels[] = {"a", "e", "i", "o", "u", "a", "e", "i", "o", "ea", "ou", "ai", "io", "y", "ee"};
constexpr const char* kCodas[] = {"n", "r", "s", "t", "l", "d", "m", "ng", "st", "nd", "ck", "th", "ss", "x", "rt"};
constexpr const char* kSuffixes[] = {"ing", "ed", "er", "ly", "tion", "ness", "ment", "s", "es", "al", "ous", "ive"};
constexpr const char* kContractions[] = {"don't", "it's", "I'm", "we'll", "they're", "can't", "isn't",
                                         "you've", "he'd", "won't", "that's", "there's", "o'clock"};

// Lengths of made-up words, 2 to 14 letters, most often 5 to 8.
constexpr int kLengthWeights[] = {3, 7, 10, 12, 13, 13, 11, 9, 7, 5, 4, 3, 2};

struct Vocabulary {
    std::vector<std::u16string> words;  // by rank, most frequent first
    std::vector<bool> proper;           // always written with a capital
    std::vector<double> cumulative;     // Zipf-Mandelbrot, 1 / (rank + 2.7)

    Vocabulary() {
        Rng rng(kSeed ^ 0x766F6361u);
        std::unordered_set<std::u16string> seen;
        for (const char* w : kCommonWords) {
            if (seen.insert(Ascii(w)).second) words.push_back(Ascii(w));
        }
        int weightSum = 0;
        for (int w : kLengthWeights) weightSum += w;
        while (static_cast<int>(words.size()) < kVocabularySize) {
            int pick = rng.Below(static_cast<std::uint32_t>(weightSum));
            std::size_t length = 2;
            for (int w : kLengthWeights) {
                if ((pick -= w) < 0) break;
                ++length;
            }
            std::string word;
            if (rng.Chance(0.2)) word += rng.Pick(kVowels);
            while (word.size() < length) {
                std::string syllable = std::string(rng.Pick(kOnsets)) + rng.Pick(kVowels);
                if (rng.Chance(0.35)) syllable += rng.Pick(kCodas);
                if (length > 6 && word.size() + syllable.size() + 3 >= length && rng.Chance(0.3)) syllable += rng.Pick(kSuffixes);
                if (word.size() >= 2 && word.size() + syllable.size() > length + 1) break;
                word += syllable;
            }
            std::u16string wide = Ascii(word);
            if (seen.insert(wide).second) words.push_back(std::move(wide));
        }
        proper.resize(words.size());
        for (std::size_t i = std::size(kCommonWords); i < words.size(); ++i) proper[i] = rng.Chance(0.04);
        cumulative.resize(words.size());
        double sum = 0;
        for (std::size_t i = 0; i < words.size(); ++i) {
            sum += 1.0 / std::pow(static_cast<double>(i) + 2.7, 1.0);
            cumulative[i] = sum;
        }
        for (double& c : cumulative) c /= sum;
    }

    std::size_t Draw(Rng& rng) const {
        const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), rng.Unit());
        return std::min<std::size_t>(static_cast<std::size_t>(it - cumulative.begin()), words.size() - 1);
    }
};

const Vocabulary& TheVocabulary() {
    static const Vocabulary vocabulary;
    return vocabulary;
}

// Kanji of everyday text (all within JIS X 0208 level 1), kana from the
// blocks, particles and endings that glue them.
constexpr char16_t kKanji[] =
    u"日本人大年一国中出上子生会自同時事行見月後前分地的間長高新学手社作方気思小今家物言部田外者明場合"
    u"連体問法理実力動心定全意度内開米最業発当対代化実主関公政経済話天通市区知機車道書電名文集神金"
    u"東京北南西水火木土山川森花雨雪風空海朝夜昼春夏秋冬食飲読聞話歩走休近遠早速強弱多少古安楽新色";
constexpr const char16_t* kParticles[] = {u"は", u"が", u"を", u"に", u"の", u"で", u"と", u"も", u"へ",
                                          u"から", u"まで", u"より", u"です", u"ます", u"した", u"する",
                                          u"いる", u"ある", u"れる", u"ない", u"った", u"して"};

std::u16string JapaneseLine(Rng& rng, const Vocabulary& vocabulary) {
    std::u16string line;
    if (rng.Chance(0.1)) line += u'\u3000';  // paragraph indent
    const int sentences = rng.Between(1, 4);
    for (int s = 0; s < sentences; ++s) {
        const int clauses = rng.Between(1, 4);
        for (int c = 0; c < clauses; ++c) {
            const int segments = rng.Between(2, 5);
            for (int g = 0; g < segments; ++g) {
                const std::uint32_t kind = rng.Below(10);
                if (kind < 6) {
                    const int n = rng.Between(1, 3);
                    for (int k = 0; k < n; ++k) line += kKanji[rng.Below(std::size(kKanji) - 1)];
                } else if (kind < 8) {
                    const int n = rng.Between(3, 6);
                    for (int k = 0; k < n; ++k) line += static_cast<char16_t>(0x30A1 + rng.Below(0x30F3 - 0x30A1 + 1));
                    if (rng.Chance(0.3)) line += u'ー';
                } else if (kind < 9) {
                    const int n = rng.Between(2, 4);
                    for (int k = 0; k < n; ++k) line += static_cast<char16_t>(0x3041 + rng.Below(0x3093 - 0x3041 + 1));
                } else {
                    // A Latin word inside Japanese text, set off by spaces.
                    line += u' ';
                    line += vocabulary.words[vocabulary.Draw(rng)];
                    line += u' ';
                }
                line += rng.Pick(kParticles);
            }
            if (c + 1 < clauses) line += u'、';
        }
        const std::uint32_t end = rng.Below(20);
        line += end < 17 ? u'。' : end < 19 ? u'？' : u'！';
        const std::uint32_t gap = rng.Below(20);
        if (s + 1 < sentences && gap >= 14) line += gap < 17 ? u'\u3000' : u' ';
    }
    return line;
}

// Running English text: sentences continue from one line to the next, as in
// a wrapped text file.
class Prose {
public:
    explicit Prose(const Vocabulary& vocabulary) : m_vocabulary(vocabulary) {}

    void AppendTokens(std::u16string& line, int count, Rng& rng) {
        for (int i = 0; i < count; ++i) {
            if (!line.empty()) line += u' ';
            if (m_sentenceLeft == 0) {
                m_sentenceLeft = rng.Between(3, 28);
                m_sentenceStart = true;
                if (rng.Chance(0.03)) {
                    line += u'"';
                    m_quoted = true;
                }
            }
            if (m_parenLeft == 0 && !m_sentenceStart && m_sentenceLeft > 4 && rng.Chance(0.015)) {
                line += u'(';
                m_parenLeft = rng.Between(1, 4);
            }
            AppendWord(line, rng);
            m_sentenceStart = false;
            if (m_parenLeft > 0 && --m_parenLeft == 0) line += u')';
            if (--m_sentenceLeft == 0) {
                const std::uint32_t end = rng.Below(100);
                line += end < 85 ? u"." : end < 93 ? u"?" : end < 98 ? u"!" : u"...";
                if (m_quoted) line += u'"';
                m_quoted = false;
            } else if (rng.Chance(0.08)) {
                line += u',';
            } else if (rng.Chance(0.006)) {
                line += rng.Chance(0.6) ? u';' : u':';
            }
        }
    }

    void AppendHeading(std::u16string& line, int count, Rng& rng) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) line += u' ';
            std::u16string word = m_vocabulary.words[m_vocabulary.Draw(rng)];
            Capitalise(word);
            line += word;
        }
    }

private:
    void AppendWord(std::u16string& line, Rng& rng) {
        const double r = rng.Unit();
        if (r < 0.01) {
            line += Ascii(rng.Pick(kContractions));
        } else if (r < 0.02) {
            const std::uint32_t n = rng.Below(3);
            line += Ascii(n == 0 ? std::to_string(1800 + rng.Below(230))
                                 : n == 1 ? std::to_string(rng.Below(100)) + "." + std::to_string(rng.Below(100))
                                          : std::to_string(rng.Below(1000)));
        } else {
            const std::size_t rank = m_vocabulary.Draw(rng);
            std::u16string word = m_vocabulary.words[rank];
            if (m_sentenceStart || m_vocabulary.proper[rank]) Capitalise(word);
            if (r > 0.99) {
                word += u'-';  // a compound such as well-known
                word += m_vocabulary.words[m_vocabulary.Draw(rng)];
            } else if (r > 0.975 && rank >= std::size(kCommonWords)) {
                word += u"'s";
            }
            line += word;
        }
    }

    const Vocabulary& m_vocabulary;
    int m_sentenceLeft = 0;
    int m_parenLeft = 0;
    bool m_sentenceStart = true;
    bool m_quoted = false;
};

// The lines of the whole corpus, one file after the other.
class CorpusText {
public:
    CorpusText() : m_rng(kSeed), m_prose(TheVocabulary()) {}

    // Lines until at least `words` words are in `text`, each with CR LF.
    void AppendFile(std::u16string& text, long words) {
        long counted = 0;
        std::u16string line;
        while (counted < words) {
            NextLine(line);
            ForEachWord(line, [&](std::u16string_view) { ++counted; });
            text += line;
            text += u"\r\n";
        }
    }

private:
    void NextLine(std::u16string& line) {
        line.clear();
        const double r = m_rng.Unit();
        if (r < 0.06) return;  // blank line
        if (r < 0.16) {
            line = JapaneseLine(m_rng, TheVocabulary());
        } else if (r < 0.20) {
            m_prose.AppendHeading(line, m_rng.Between(1, 6), m_rng);
        } else if (r < 0.75) {
            m_prose.AppendTokens(line, m_rng.Between(6, 16), m_rng);
        } else {
            m_prose.AppendTokens(line, m_rng.Between(30, 220), m_rng);  // a paragraph on one line
        }
    }

    Rng m_rng;
    Prose m_prose;
};

std::string EncodeCp932(const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-31j", &status);
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status)) Fail("no code page 932 converter");
    std::string bytes(text.size() * 2 + 16, '\0');
    const int32_t n = ucnv_fromUChars(converter, bytes.data(), static_cast<int32_t>(bytes.size()),
                                      reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &status);
    ucnv_close(converter);
    if (U_FAILURE(status)) Fail(std::string("text not representable in code page 932: ") + u_errorName(status));
    bytes.resize(static_cast<std::size_t>(n));
    return bytes;
}

std::string EncodeUtf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string EncodeUtf8(const std::u16string& text) { return WideToUtf8(text); }

std::string Encode(const std::u16string& text, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf16Le: return EncodeUtf16(text);
        case Encoding::Utf8: return EncodeUtf8(text);
        default: return EncodeCp932(text);
    }
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    const fs::path temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) Fail("cannot write " + temporary.string());
    }
    fs::rename(temporary, path);
}

}  // namespace

const char* EncodingTag(Encoding encoding) {
    return encoding == Encoding::Cp932 ? "cp932" : encoding == Encoding::Utf8 ? "utf8" : "utf16";
}

std::vector<std::string> WriteCorpusFiles(const std::string& dir, long words, Encoding encoding) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) Fail("cannot create " + dir);
    CorpusText corpus;
    std::vector<std::string> paths;
    long left = std::max(words, 0L);
    do {
        const long part = std::min(left, kWordsPerFile);
        std::u16string text;
        corpus.AppendFile(text, part);
        char name[32];
        std::snprintf(name, sizeof name, "corpus-%03zu.txt", paths.size());
        const fs::path path = fs::path(dir) / name;
        WriteFile(path, Encode(text, encoding));
        paths.push_back(path.string());
        left -= part;
    } while (left > 0);
    return paths;
}

std::vector<std::string> EnsureCorpusFiles(const std::string& workDir, long words, Encoding encoding) {
    const fs::path dir = fs::path(workDir) / ("corpus-g" + std::to_string(kGeneratorVersion) + "-" +
                                              std::to_string(words) + "-" + EncodingTag(encoding));
    const fs::path list = dir / "files.txt";
    // The list is written last, so a corpus with a list is complete.
    if (fs::exists(list)) {
        std::vector<std::string> paths;
        std::ifstream in(list);
        bool complete = true;
        for (std::string name; std::getline(in, name);) {
            paths.push_back((dir / name).string());
            complete = complete && fs::exists(paths.back());
        }
        if (complete && !paths.empty()) return paths;
    }
    // Written beside the final place and moved there in one step, so that an
    // interrupted run leaves nothing that looks complete.
    const fs::path building = dir.string() + ".building-" + std::to_string(getpid());
    std::error_code ec;
    fs::remove_all(building, ec);
    std::vector<std::string> paths = WriteCorpusFiles(building.string(), words, encoding);
    {
        std::ofstream out(building / "files.txt");
        for (const std::string& p : paths) out << fs::path(p).filename().string() << '\n';
        if (!out) Fail("cannot write " + (building / "files.txt").string());
    }
    fs::remove_all(dir, ec);
    fs::rename(building, dir, ec);
    if (ec) Fail("cannot move " + building.string() + " to " + dir.string() + ": " + ec.message());
    for (std::string& p : paths) p = (dir / fs::path(p).filename()).string();
    return paths;
}

OneLineFile EnsureOneLineFile(const std::string& workDir, long long bytes) {
    OneLineFile file;
    const fs::path path = fs::path(workDir) / ("one-line-g" + std::to_string(kGeneratorVersion) + "-" +
                                               std::to_string(bytes) + "-cp932.txt");
    const fs::path units = path.string() + ".units";
    file.path = path.string();
    if (fs::exists(path) && fs::exists(units)) {
        std::ifstream(units) >> file.utf16Units;
        if (file.utf16Units > 0) return file;
    }
    std::error_code ec;
    fs::create_directories(workDir, ec);
    CorpusText corpus;
    std::string encoded;
    while (static_cast<long long>(encoded.size()) < bytes) {
        std::u16string text;
        corpus.AppendFile(text, 100'000);
        std::u16string line;
        line.reserve(text.size());
        for (char16_t c : text) {
            if (c != u'\r') line += c == u'\n' ? u' ' : c;
        }
        file.utf16Units += static_cast<long long>(line.size());
        encoded += EncodeCp932(line);
    }
    WriteFile(path, encoded);
    std::ofstream(units) << file.utf16Units << '\n';
    return file;
}

std::optional<BenchArgs> ParseBenchArgs(int argc, char** argv) {
    BenchArgs args;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        if (const std::size_t eq = option.find('='); eq != std::string::npos) {
            value = option.substr(eq + 1);
            option.resize(eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        if (option == "--size") {
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), args.size);
            if (ec != std::errc() || end != value.data() + value.size() || args.size <= 0) {
                std::fprintf(stderr, "%s: --size wants a positive number of words, not \"%s\"\n", argv[0], value.c_str());
                return std::nullopt;
            }
        } else if (option == "--work" && !value.empty()) {
            args.workDir = value;
        } else {
            std::fprintf(stderr, "usage: %s [--size WORDS] [--work DIR]\n", argv[0]);
            return std::nullopt;
        }
    }
    return args;
}

void PrintBench(const std::string& name, double value, const std::string& unit) {
    std::printf("BENCH %s %.1f %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

}  // namespace zorvia::bench
