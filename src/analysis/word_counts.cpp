#include "analysis/word_counts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "corpus/word_summary.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

// What the process knows per corpus file version; a few files at most (a
// corpus and its reference), the oldest dropped first.
constexpr std::size_t kKeptVersions = 4;

struct KnownCounts {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const CWordFrequencies::Known>> byVersion;
    std::vector<std::string> order;  // oldest first
};

KnownCounts& Process() {
    static KnownCounts known;
    return known;
}

std::shared_ptr<const CWordFrequencies::Known> Lookup(const std::string& version) {
    KnownCounts& known = Process();
    std::lock_guard lock(known.mutex);
    const auto it = known.byVersion.find(version);
    return it != known.byVersion.end() ? it->second : nullptr;
}

void Store(const std::string& version, std::shared_ptr<const CWordFrequencies::Known> counts) {
    KnownCounts& known = Process();
    std::lock_guard lock(known.mutex);
    if (!known.byVersion.contains(version)) {
        known.order.push_back(version);
        if (known.order.size() > kKeptVersions) {
            known.byVersion.erase(known.order.front());
            known.order.erase(known.order.begin());
        }
    }
    known.byVersion[version] = std::move(counts);
}

}  // namespace

bool HasSummary(CCorpusReader& reader) {
    CStatement presence(reader, WideToUtf8(WordSummaryPresenceQuery()).c_str());
    return presence.Step() && presence.Int(0) == 1;
}

std::optional<std::int64_t> CountTokens(CCorpusReader& reader) {
    CStatement count(reader, HasSummary(reader) ? "SELECT n FROM corpus_count WHERE item = 'words'"
                                                : "SELECT count(*) FROM word");
    if (!count.Step()) return std::nullopt;
    return count.Int(0);
}

JobResult ForEachWordCount(CCorpusReader& reader, std::stop_token stop,
                           const std::function<void(std::string_view upper, std::int64_t count)>& onWord) {
    CStatement words(reader, HasSummary(reader)
                                 ? "SELECT word_upper, n FROM word_count ORDER BY word_upper"
                                 : "SELECT word_upper, count(*) FROM word GROUP BY word_upper ORDER BY word_upper");
    while (words.Step()) onWord(words.Text(0), words.Int(1));
    if (stop.stop_requested()) return JobResult::Stopped();
    if (!words.Ok() || words.Failed()) return JobResult::Failed(reader.ErrorText());
    return JobResult::Done();
}

std::optional<std::string> CorpusFileVersion(CCorpusReader& reader) {
    // A first read takes the shared lock, which the read transaction keeps.
    {
        CStatement read(reader, "SELECT count(*) FROM sqlite_master");
        if (!read.Step()) return std::nullopt;
        CStatement mode(reader, "PRAGMA journal_mode");
        if (!mode.Step() || mode.Text(0) == "wal") return std::nullopt;
    }
    const int fd = ::open(WideToUtf8(reader.Path()).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    unsigned char header[28] = {};
    const bool read = ::fstat(fd, &status) == 0 && ::pread(fd, header, sizeof header, 0) == sizeof header;
    ::close(fd);
    if (!read) return std::nullopt;
    const std::uint32_t counter = (std::uint32_t{header[24]} << 24) | (std::uint32_t{header[25]} << 16) |
                                  (std::uint32_t{header[26]} << 8) | header[27];
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino) + ":" + std::to_string(status.st_size) +
           ":" + std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) + ":" +
           std::to_string(counter);
}

CWordFrequencies::CWordFrequencies(CCorpusReader& reader) : m_reader(reader), m_version(CorpusFileVersion(reader)) {
    if (m_version) m_base = Lookup(*m_version);
}

CWordFrequencies::~CWordFrequencies() {
    if (!m_version || (m_added.counts.empty() && m_added.total < 0 && !m_added.complete)) return;
    auto merged = std::make_shared<Known>(m_base ? *m_base : Known{});
    if (m_added.complete) {
        merged->counts = std::move(m_added.counts);
        merged->complete = true;
    } else {
        for (auto& [word, count] : m_added.counts) merged->counts.insert_or_assign(word, count);
    }
    if (m_added.total >= 0) merged->total = m_added.total;
    Store(*m_version, std::move(merged));
}

std::optional<std::int64_t> CWordFrequencies::Count(std::string_view upper) {
    if (m_base) {
        if (const auto it = m_base->counts.find(upper); it != m_base->counts.end()) return it->second;
        if (m_base->complete) return 0;
    }
    if (const auto it = m_added.counts.find(upper); it != m_added.counts.end()) return it->second;
    if (!m_count) {
        m_count.emplace(m_reader, HasSummary(m_reader)
                                      ? "SELECT coalesce((SELECT n FROM word_count WHERE word_upper = ?1), 0)"
                                      : "SELECT count(*) FROM word WHERE word_upper = ?1");
    }
    m_count->Reset();
    m_count->Bind(1, upper);
    if (!m_count->Step()) return std::nullopt;
    const std::int64_t count = m_count->Int(0);
    m_added.counts.emplace(std::string(upper), count);
    return count;
}

std::optional<std::int64_t> CWordFrequencies::Total() {
    if (m_base && m_base->total >= 0) return m_base->total;
    if (m_added.total < 0) {
        const auto n = CountTokens(m_reader);
        if (!n) return std::nullopt;
        m_added.total = *n;
    }
    return m_added.total;
}

JobResult CWordFrequencies::AllWords(std::stop_token stop, const std::function<void(std::int64_t counted)>& onProgress,
                                     std::vector<WordFrequency>& words) {
    words.clear();
    if (m_base && m_base->complete) {
        for (const auto& [word, count] : m_base->counts) words.push_back({word, count});
        std::sort(words.begin(), words.end(),
                  [](const WordFrequency& a, const WordFrequency& b) { return a.word < b.word; });
        return JobResult::Done();
    }
    std::int64_t counted = 0;
    const JobResult result = ForEachWordCount(m_reader, stop, [&](std::string_view upper, std::int64_t count) {
        words.push_back({std::string(upper), count});
        counted += count;
        onProgress(counted);
    });
    if (!result.done()) return result;
    m_added.counts.clear();
    for (const WordFrequency& word : words) m_added.counts.emplace(word.word, word.count);
    m_added.complete = true;
    m_added.total = counted;
    return result;
}

}  // namespace zorvia
