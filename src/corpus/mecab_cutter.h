// MeCab behind a small interface: the dictionary a setting names, and the
// cut of a run of text into morphemes. MeCab's own header stays inside the
// implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zorvia {

// Where a word lies in its line, in UTF-16 code units.
struct WordSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    friend bool operator==(const WordSpan&, const WordSpan&) = default;
};

// The directory of a MeCab system dictionary for the "mecab-dictionary"
// setting: empty means MeCab's own default (from its mecabrc), a name
// without a slash a directory under /var/lib/mecab/dic/ (where Debian's
// dictionary packages go), anything else the directory itself. The result
// is the directory with every symbolic link resolved, so that a default
// that an alternative switches to another dictionary names that one; on
// failure it is empty and `error` says why.
struct MecabDictionary {
    std::u16string directory;
    std::u16string error;
    bool Found() const { return !directory.empty(); }
};
MecabDictionary ResolveMecabDictionary(const std::u16string& setting);

// One MeCab tagger on one dictionary directory. A tagger serves one thread
// at a time: each connection that cuts words has its own.
class CMecabCutter {
public:
    // Nothing, with the reason in `error`, when MeCab cannot start on the
    // directory or its dictionary is not in UTF-8.
    static std::unique_ptr<CMecabCutter> Load(const std::u16string& directory, std::u16string& error);
    ~CMecabCutter();
    CMecabCutter(const CMecabCutter&) = delete;
    CMecabCutter& operator=(const CMecabCutter&) = delete;

    // Appends the morphemes of `run` (surface forms in order, those made
    // only of white space left out) as spans counted from `offset`.
    void Cut(std::u16string_view run, std::size_t offset, std::vector<WordSpan>& spans);

private:
    struct Tagger;
    explicit CMecabCutter(std::unique_ptr<Tagger> tagger);
    std::unique_ptr<Tagger> m_tagger;
    std::string m_utf8;                   // the run, as MeCab reads it
    std::vector<std::uint32_t> m_unitAt;  // per byte of m_utf8 (and one past): its UTF-16 offset
};

}  // namespace zorvia
