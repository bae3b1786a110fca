#include "analysis/ngrams.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>

#include "analysis/collocates.h"
#include "analysis/kwic.h"
#include "analysis/token_stream.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

// Temporary files of spilled counts: each n-gram goes to the part its hash
// names, so that a part holds every record of its n-grams.
constexpr int kSpillParts = 64;
constexpr std::size_t kSpillBufferBytes = 1 << 16;
constexpr std::size_t kBlockWords = std::size_t{1} << 20;

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9u;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBu;
    return h ^ (h >> 31);
}

std::uint64_t HashIds(const std::uint32_t* ids, int n) {
    std::uint64_t h = 0x9E3779B97F4A7C15u;
    for (int i = 0; i < n; ++i) h = Mix(h ^ ids[i]);
    return h;
}

// Counts of n-grams of ids: open addressing over records held in blocks
// (no record moves once written). A record is the n ids, the count, the
// number of files, and the first and last file it was met in: when counts
// of one n-gram are merged from several spills, a file that ran across a
// spill is counted once.
class CNgramCounts {
public:
    static constexpr int kCount = 0, kRange = 1, kFirstOid = 2, kLastOid = 3;

    explicit CNgramCounts(int n) : m_n(n), m_stride(static_cast<std::size_t>(n) + 4) {}

    std::size_t size() const { return m_size; }
    std::size_t Bytes() const { return m_blocks.size() * m_perBlock * m_stride * 4 + m_slots.size() * 8; }
    int N() const { return m_n; }
    std::size_t Stride() const { return m_stride; }

    // The record of `ids`, a new one (count 0, no file) if it was not there.
    std::uint32_t* Find(const std::uint32_t* ids, std::uint64_t hash, bool& added) {
        if ((m_size + 1) * 10 > m_slots.size() * 7) Grow();
        const std::size_t mask = m_slots.size() - 1;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint64_t slot = m_slots[i];
            if (slot == 0) {
                std::uint32_t* record = NewRecord();
                std::copy(ids, ids + m_n, record);
                m_slots[i] = (std::uint64_t{tag} << 32) | static_cast<std::uint32_t>(m_size);
                added = true;
                return record;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == tag) {
                std::uint32_t* record = Record(static_cast<std::uint32_t>(slot) - 1);
                if (std::equal(ids, ids + m_n, record)) {
                    added = false;
                    return record;
                }
            }
        }
    }
    std::uint32_t* Record(std::size_t index) {
        return m_blocks[index / m_perBlock].get() + (index % m_perBlock) * m_stride;
    }
    void Clear() {
        m_blocks.clear();
        m_slots.clear();
        m_size = 0;
    }

private:
    std::uint32_t* NewRecord() {
        if (m_size == m_blocks.size() * m_perBlock)
            m_blocks.push_back(std::make_unique<std::uint32_t[]>(m_perBlock * m_stride));
        std::uint32_t* record = Record(m_size);
        ++m_size;  // slots hold index + 1, so that 0 is free
        std::fill(record + m_n, record + m_stride, 0u);
        record[m_n + kFirstOid] = record[m_n + kLastOid] = UINT32_MAX;  // no file yet
        return record;
    }
    void Grow() {
        std::vector<std::uint64_t> old(std::max<std::size_t>(1 << 12, m_slots.size() * 2));
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint64_t slot : old) {
            if (slot == 0) continue;
            const std::uint64_t hash = HashIds(Record(static_cast<std::uint32_t>(slot) - 1), m_n);
            std::size_t i = hash & mask;
            while (m_slots[i] != 0) i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    int m_n;
    std::size_t m_stride;
    std::size_t m_perBlock = kBlockWords / (kMaxNgramLength + 4);
    std::vector<std::unique_ptr<std::uint32_t[]>> m_blocks;
    std::vector<std::uint64_t> m_slots;
    std::size_t m_size = 0;
};

// No file: a token whose line is missing from a damaged corpus.
constexpr std::uint32_t kNoFile = UINT32_MAX;

// Adds one occurrence in file `oid`.
void Count(std::uint32_t* record, int n, std::uint32_t oid) {
    std::uint32_t* c = record + n;
    ++c[CNgramCounts::kCount];
    if (oid != kNoFile && c[CNgramCounts::kLastOid] != oid) {
        ++c[CNgramCounts::kRange];
        if (c[CNgramCounts::kFirstOid] == kNoFile) c[CNgramCounts::kFirstOid] = oid;
        c[CNgramCounts::kLastOid] = oid;
    }
}

// Adds a spilled record: counts of a later stretch of the corpus.
void Merge(std::uint32_t* record, const std::uint32_t* spilled, int n) {
    std::uint32_t* c = record + n;
    const std::uint32_t* s = spilled + n;
    c[CNgramCounts::kCount] += s[CNgramCounts::kCount];
    c[CNgramCounts::kRange] += s[CNgramCounts::kRange];
    if (s[CNgramCounts::kFirstOid] == kNoFile) return;
    if (c[CNgramCounts::kLastOid] == s[CNgramCounts::kFirstOid]) --c[CNgramCounts::kRange];
    if (c[CNgramCounts::kFirstOid] == kNoFile) c[CNgramCounts::kFirstOid] = s[CNgramCounts::kFirstOid];
    c[CNgramCounts::kLastOid] = s[CNgramCounts::kLastOid];
}

// An unnamed temporary file, written in order and then read back.
class CSpillFile {
public:
    ~CSpillFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Open(const std::string& directory, std::u16string& error) {
        std::string dir = directory;
        if (dir.empty()) {
            const char* tmp = std::getenv("TMPDIR");
            dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
        }
        std::string name = dir + "/zorvia-ngrams-XXXXXX";
        m_fd = ::mkstemp(name.data());
        if (m_fd < 0) {
            error = Utf8ToWide("cannot create a temporary file in " + dir + ": " + std::strerror(errno));
            return false;
        }
        ::unlink(name.c_str());
        return true;
    }
    bool Write(const std::uint32_t* words, std::size_t count) {
        const auto* bytes = reinterpret_cast<const char*>(words);
        m_buffer.append(bytes, count * 4);
        return m_buffer.size() < kSpillBufferBytes || Flush();
    }
    bool Flush() {
        std::size_t done = 0;
        while (done < m_buffer.size()) {
            const ssize_t written = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            done += static_cast<std::size_t>(written);
        }
        m_buffer.clear();
        return true;
    }
    bool Rewind() { return Flush() && ::lseek(m_fd, 0, SEEK_SET) == 0; }
    // Up to `max` words; 0 at the end. -1 on a failure.
    ssize_t Read(std::uint32_t* words, std::size_t max) {
        std::size_t done = 0;
        auto* bytes = reinterpret_cast<char*>(words);
        while (done < max * 4) {
            const ssize_t got = ::read(m_fd, bytes + done, max * 4 - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        return static_cast<ssize_t>(done / 4);
    }

private:
    int m_fd = -1;
    std::string m_buffer;
};

class CSpill {
public:
    bool Open(const std::string& directory, std::u16string& error) {
        for (CSpillFile& part : m_parts)
            if (!part.Open(directory, error)) return false;
        m_open = true;
        return true;
    }
    bool IsOpen() const { return m_open; }
    // Every record of `counts` to its part; `counts` is emptied.
    bool Write(CNgramCounts& counts) {
        for (std::size_t i = 0; i < counts.size(); ++i) {
            const std::uint32_t* record = counts.Record(i);
            const std::uint64_t hash = HashIds(record, counts.N());
            if (!m_parts[hash >> 58].Write(record, counts.Stride())) return false;
        }
        counts.Clear();
        return true;
    }
    CSpillFile& Part(int i) { return m_parts[static_cast<std::size_t>(i)]; }

private:
    CSpillFile m_parts[kSpillParts];
    bool m_open = false;
};

// The records of `counts` that reach the minimum become rows.
void EmitRows(CNgramCounts& counts, std::int64_t minFrequency, CNgramTable& table) {
    const int n = counts.N();
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const std::uint32_t* record = counts.Record(i);
        if (record[n + CNgramCounts::kCount] >= minFrequency)
            table.AddRow(record, record[n + CNgramCounts::kCount], record[n + CNgramCounts::kRange]);
    }
}

}  // namespace

JobResult RunNgrams(CCorpusReader& reader, const NgramRequest& request, std::stop_token stop, IJobProgress& progress,
                    CNgramTable& table, NgramRunInfo* info) {
    const int n = std::clamp(request.n, kMinNgramLength, kMaxNgramLength);
    std::optional<std::string> node;
    if (ParseKwicNode(request.word).size() > 0) {
        node = SingleWordNode(request.word);
        if (!node) return JobResult::Failed(u"中心語を1語で指定してください");
    }
    CProgressPacer pacer(progress);
    pacer.Report(u"読み込み中...", 0);
    std::int64_t firstWid = 0, lastWid = 0;
    {
        CStatement range(reader, "SELECT (SELECT min(wid) FROM word), (SELECT max(wid) FROM word)");
        if (!range.Step()) return stop.stop_requested() ? JobResult::Stopped() : JobResult::Failed(reader.ErrorText());
        firstWid = range.Int(0);
        lastWid = range.Int(1);
    }

    CWordForms forms;
    CLineLookup lines(reader);
    CNgramCounts counts(n);
    CSpill spill;
    std::u16string spillError;
    bool spillFailed = false;
    std::uint32_t run[kMaxNgramLength * 2];
    int length = 0;
    std::int64_t currentLid = -1;
    std::int32_t nodeUpper = -1;
    std::size_t upperCountSeen = 0;
    NgramRunInfo local;
    NgramRunInfo& stats = info != nullptr ? *info : local;
    stats = {};

    const JobResult pass = ForEachToken(reader, forms, lines, stop, [&](const Token& token, const LineInfo& line) {
        ++stats.tokens;
        if ((stats.tokens & 4095) == 0 && pacer.Due()) {
            const std::int64_t span = std::max<std::int64_t>(1, lastWid - firstWid);
            pacer.Report(FormatInt(stats.tokens) + u" 語を読みました",
                         static_cast<int>(std::clamp<std::int64_t>((token.wid - firstWid) * 900 / span, 0, 900)));
        }
        if (token.lid != currentLid) {
            currentLid = token.lid;
            length = 0;
        }
        const auto upper = static_cast<std::uint32_t>(forms.Upper(token.form));
        if (node && nodeUpper < 0 && forms.Uppers().size() != upperCountSeen) {
            upperCountSeen = forms.Uppers().size();
            nodeUpper = forms.Uppers().Find(*node);
        }
        // The last n tokens of the line.
        if (length < n) {
            run[length] = upper;
            ++length;
            if (length < n) return true;
        } else {
            std::copy(run + 1, run + n, run);
            run[n - 1] = upper;
        }
        if (node && std::find(run, run + n, static_cast<std::uint32_t>(nodeUpper)) == run + n) return true;
        bool added = false;
        std::uint32_t* record = counts.Find(run, HashIds(run, n), added);
        Count(record, n, line.oid >= 0 ? static_cast<std::uint32_t>(line.oid) : kNoFile);
        if (added && counts.Bytes() > request.memoryBudget) {
            if (!spill.IsOpen() && !spill.Open(request.spillDirectory, spillError)) {
                spillFailed = true;
                return false;
            }
            if (!spill.Write(counts)) {
                spillError = u"cannot write a temporary file";
                spillFailed = true;
                return false;
            }
            ++stats.spills;
        }
        return true;
    });
    if (!pass.done()) return pass;
    if (spillFailed) return JobResult::Failed(spillError);
    if (stop.stop_requested()) return JobResult::Stopped();

    table.SetWords([&] {
        std::vector<std::string> words(forms.Uppers().size());
        for (std::size_t i = 0; i < words.size(); ++i) words[i] = forms.Uppers().Text(static_cast<std::int32_t>(i));
        return words;
    }());
    if (!spill.IsOpen()) {
        stats.distinct = static_cast<std::int64_t>(counts.size());
        EmitRows(counts, request.minFrequency, table);
        counts.Clear();
    } else {
        if (!spill.Write(counts)) return JobResult::Failed(u"cannot write a temporary file");
        // Each part holds every record of its n-grams, oldest first.
        std::vector<std::uint32_t> buffer(counts.Stride() * 8192);
        for (int p = 0; p < kSpillParts; ++p) {
            if (stop.stop_requested()) return JobResult::Stopped();
            pacer.Report(u"集計中... " + FormatInt(p + 1) + u" / " + FormatInt(kSpillParts), 900 + p * 50 / kSpillParts);
            CSpillFile& part = spill.Part(p);
            if (!part.Rewind()) return JobResult::Failed(u"cannot read a temporary file");
            for (;;) {
                const ssize_t got = part.Read(buffer.data(), buffer.size());
                if (got < 0) return JobResult::Failed(u"cannot read a temporary file");
                if (got == 0) break;
                for (std::size_t at = 0; at + counts.Stride() <= static_cast<std::size_t>(got); at += counts.Stride()) {
                    const std::uint32_t* spilled = &buffer[at];
                    bool added = false;
                    std::uint32_t* record = counts.Find(spilled, HashIds(spilled, n), added);
                    if (added) std::copy(spilled + n, spilled + counts.Stride(), record + n);
                    else Merge(record, spilled, n);
                }
            }
            stats.distinct += static_cast<std::int64_t>(counts.size());
            EmitRows(counts, request.minFrequency, table);
            counts.Clear();
        }
    }
    pacer.Report(u"並べ替え中...", 960);
    if (!table.SortRows(stop)) return JobResult::Stopped();
    return JobResult::Done();
}

// --- the table -------------------------------------------------------------------------

void CNgramTable::SetWords(std::vector<std::string> words) {
    m_words = std::move(words);
    std::vector<std::int32_t> byText(m_words.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(),
              [&](std::int32_t a, std::int32_t b) { return m_words[std::size_t(a)] < m_words[std::size_t(b)]; });
    m_rank.assign(m_words.size(), 0);
    m_prefixOfAnother.assign(m_words.size(), false);
    for (std::size_t r = 0; r < byText.size(); ++r) {
        const auto id = static_cast<std::size_t>(byText[r]);
        m_rank[id] = static_cast<std::int32_t>(r);
        // A word that begins a longer word is followed by one in text order.
        if (r + 1 < byText.size()) {
            const std::string& next = m_words[static_cast<std::size_t>(byText[r + 1])];
            m_prefixOfAnother[id] = next.size() > m_words[id].size() && next.compare(0, m_words[id].size(), m_words[id]) == 0;
        }
    }
}

void CNgramTable::AddRow(const std::uint32_t* ids, std::uint32_t frequency, std::uint32_t range) {
    m_ids.insert(m_ids.end(), ids, ids + m_n);
    m_frequency.push_back(frequency);
    m_range.push_back(range);
}

bool CNgramTable::SortRows(std::stop_token stop) {
    const auto order = OrderBy(-1, false, stop);
    if (!order) return false;
    std::vector<std::uint32_t> ids(m_ids.size()), frequency(m_frequency.size()), range(m_range.size());
    for (std::size_t i = 0; i < order->size(); ++i) {
        const std::size_t from = (*order)[i];
        std::copy_n(&m_ids[from * std::size_t(m_n)], m_n, &ids[i * std::size_t(m_n)]);
        frequency[i] = m_frequency[from];
        range[i] = m_range[from];
    }
    m_ids.swap(ids);
    m_frequency.swap(frequency);
    m_range.swap(range);
    SetOrder({});
    return true;
}

const std::string& CNgramTable::Word(std::size_t row, int i) const {
    return m_words[m_ids[StoredRow(row) * std::size_t(m_n) + std::size_t(i)]];
}

std::string CNgramTable::KeyOfStored(std::size_t stored) const {
    std::string key;
    for (int i = 0; i < m_n; ++i) {
        if (i > 0) key.push_back(' ');
        key += m_words[m_ids[stored * std::size_t(m_n) + std::size_t(i)]];
    }
    return key;
}

int CNgramTable::CompareKeys(std::size_t a, std::size_t b) const {
    const std::uint32_t* x = &m_ids[a * std::size_t(m_n)];
    const std::uint32_t* y = &m_ids[b * std::size_t(m_n)];
    for (int i = 0; i < m_n; ++i) {
        if (x[i] == y[i]) continue;
        const bool less = m_rank[x[i]] < m_rank[y[i]];
        // Word order is key order unless the smaller word begins the other:
        // then the space after it decides, as in the joined key.
        if (m_prefixOfAnother[less ? x[i] : y[i]]) return KeyOfStored(a).compare(KeyOfStored(b));
        return less ? -1 : 1;
    }
    return 0;
}

int CNgramTable::CompareStored(std::size_t a, std::size_t b, int column) const {
    switch (column) {
        case kNgram: return CompareKeys(a, b);
        case kFrequency: return CompareValues(m_frequency[a], m_frequency[b]);
        case kRange: return CompareValues(m_range[a], m_range[b]);
    }
    // The default order.
    if (m_frequency[a] != m_frequency[b]) return m_frequency[a] > m_frequency[b] ? -1 : 1;
    if (m_range[a] != m_range[b]) return m_range[a] > m_range[b] ? -1 : 1;
    return CompareKeys(a, b);
}

std::vector<TableColumn> CNgramTable::Columns() const {
    return {{u"連語", 320}, {u"頻度", 80, true}, {u"ファイル数", 80, true}};
}

std::u16string CNgramTable::CellText(std::size_t row, int column) const {
    switch (column) {
        case kNgram: return Utf8ToWide(Key(row));
        case kFrequency: return FormatInt(Frequency(row));
        case kRange: return FormatInt(Range(row));
    }
    return {};
}

void CNgramTable::ExportRow(std::size_t row, std::vector<std::string>& fields) const {
    fields = {Key(row), std::to_string(Frequency(row)), std::to_string(Range(row))};
}

}  // namespace zorvia
