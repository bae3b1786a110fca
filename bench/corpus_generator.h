// Synthetic corpora for the benchmarks: English-like prose whose words follow
// a Zipf distribution over a fixed vocabulary, with Japanese lines mixed in,
// written as plain-text files in either input encoding. The same seed always
// gives the same text, in both encodings alike.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "corpus/text_line_reader.h"

namespace zorvia::bench {

using Encoding = TextLineReader::Encoding;

// "cp932", "utf16" or "utf8": used in file and directory names.
const char* EncodingTag(Encoding encoding);

// Words (as the word rules cut them) per generated file; the last file takes
// the rest.
inline constexpr long kWordsPerFile = 200'000;

// Writes a corpus of at least `words` words into `dir` (created if missing)
// as corpus-000.txt, corpus-001.txt, ... with CR LF line ends; code page 932,
// UTF-16 little-endian with a byte-order mark, or UTF-8 without one. Returns
// the paths in order.
std::vector<std::string> WriteCorpusFiles(const std::string& dir, long words, Encoding encoding);

// The same files, kept under `workDir` by size, encoding and generator
// version, so that later runs reuse them instead of writing them again.
std::vector<std::string> EnsureCorpusFiles(const std::string& workDir, long words, Encoding encoding);

// A code page 932 file of at least `bytes` bytes that is one single line
// (the corpus text with its line ends made blanks), kept under `workDir`.
struct OneLineFile {
    std::string path;
    long long utf16Units = 0;  // the length of the line as the program holds it
};
OneLineFile EnsureOneLineFile(const std::string& workDir, long long bytes);

// The command line every benchmark takes: --size N (words, default
// 1000000) and --work DIR (where corpora are kept, default bench-data).
struct BenchArgs {
    long size = 1'000'000;
    std::string workDir = "bench-data";
};
// Nullopt, after a message on standard error, when the line is not valid.
std::optional<BenchArgs> ParseBenchArgs(int argc, char** argv);

// One result line: "BENCH <name> <value> <unit>".
void PrintBench(const std::string& name, double value, const std::string& unit);

}  // namespace zorvia::bench
