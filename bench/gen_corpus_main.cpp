// zorvia-gen-corpus OUTDIR WORDS [cp932|utf16|utf8|both]
// Writes the benchmark corpus of WORDS words into OUTDIR/cp932, OUTDIR/utf16
// or OUTDIR/utf8 (both: the first two) and prints the paths of the files.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "corpus_generator.h"

int main(int argc, char** argv) {
    using namespace zorvia::bench;
    long words = 0;
    const char* which = argc > 3 ? argv[3] : "both";
    const bool valid = (argc == 3 || argc == 4) &&
                       std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), words).ec == std::errc() && words > 0 &&
                       (!std::strcmp(which, "cp932") || !std::strcmp(which, "utf16") || !std::strcmp(which, "utf8") ||
                        !std::strcmp(which, "both"));
    if (!valid) {
        std::fprintf(stderr, "usage: %s OUTDIR WORDS [cp932|utf16|utf8|both]\n", argv[0]);
        return 2;
    }
    for (Encoding encoding : {Encoding::Cp932, Encoding::Utf16Le, Encoding::Utf8}) {
        const char* tag = EncodingTag(encoding);
        const bool both = std::strcmp(which, "both") == 0 && encoding != Encoding::Utf8;
        if (!both && std::strcmp(which, tag) != 0) continue;
        const std::string dir = (std::filesystem::path(argv[1]) / tag).string();
        for (const std::string& path : WriteCorpusFiles(dir, words, encoding)) std::printf("%s\n", path.c_str());
    }
    return 0;
}
