// Counts the analyses take from the corpus as a whole: N, the number of
// tokens, and f(w), the number of tokens whose word_upper is w, read exactly
// within the reader's read transaction: from the kept word-count summary of
// a corpus that has one (its triggers keep it equal to the word table),
// otherwise through the word_upper index.
//
// Counting a frequent word walks all of its index entries, and the frequent
// words are in nearly every analysis, so counts once read are kept for the
// process while the corpus file stays as it was: the same test SQLite makes
// before it trusts its own page cache (the file's change counter, which
// every commit raises), with the file's identity, size and time as well.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/token_stream.h"

namespace zorvia {

// Whether the corpus keeps the complete word-count summary.
bool HasSummary(CCorpusReader& reader);

// N; nothing on a failure.
std::optional<std::int64_t> CountTokens(CCorpusReader& reader);

// Every distinct word_upper with its count, in text order (SQLite's BINARY
// collation), in one pass over the index.
JobResult ForEachWordCount(CCorpusReader& reader, std::stop_token stop,
                           const std::function<void(std::string_view upper, std::int64_t count)>& onWord);

struct WordFrequency {
    std::string word;
    std::int64_t count = 0;
};

// The version of the corpus file a reader reads, taken while its read
// transaction holds the file's shared lock (no commit can come in between).
// Nothing for a file in WAL mode, whose commits leave the main file as it is.
std::optional<std::string> CorpusFileVersion(CCorpusReader& reader);

// f(w) and N of the reader's corpus, from the process's counts of the same
// file version where there are some, otherwise read, and handed back to
// them when this object goes.
class CWordFrequencies {
public:
    explicit CWordFrequencies(CCorpusReader& reader);
    ~CWordFrequencies();
    CWordFrequencies(const CWordFrequencies&) = delete;
    CWordFrequencies& operator=(const CWordFrequencies&) = delete;

    // Nothing on a failure (the reader then holds SQLite's message).
    std::optional<std::int64_t> Count(std::string_view upper);
    std::optional<std::int64_t> Total();
    // Every word with its count, in text order. `onProgress` gets the
    // tokens counted so far while the index is read.
    JobResult AllWords(std::stop_token stop, const std::function<void(std::int64_t counted)>& onProgress,
                       std::vector<WordFrequency>& words);

    struct Known {
        std::unordered_map<std::string, std::int64_t, TextHash, std::equal_to<>> counts;
        std::int64_t total = -1;
        bool complete = false;  // counts holds every word of the corpus
    };

private:
    CCorpusReader& m_reader;
    std::optional<std::string> m_version;
    std::shared_ptr<const Known> m_base;  // what the process knew at the start
    Known m_added;                        // what this object read
    std::optional<CStatement> m_count;
};

}  // namespace zorvia
