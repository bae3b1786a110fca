// What a word is, everywhere in the system: the separator set, the split of
// a line into words, the case folds and the search for a whole word inside a
// line. Import, search, drawing and preview must cut and fold text exactly
// alike, or hits and their marks disagree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvia {

// The 20 separators: space ~ ' ` / ; : , . ? * ! ( ) [ ] - " tab and line
// feed. Everything else (CR, digits, & < > = _ # @ % + { } | \ $ ^, the
// ideographic space, Japanese punctuation, every letter) belongs to words.
inline constexpr char16_t kWordSeparators[] = u" ~'`/;:,.?*!()[]-\"\t\n";

namespace detail {
inline constexpr auto kSeparatorTable = [] {
    struct Table {
        bool ascii[128] = {};
    } table;
    for (const char16_t* p = kWordSeparators; *p != 0; ++p) table.ascii[*p] = true;
    return table;
}();
}  // namespace detail

inline bool IsWordSeparator(char16_t c) { return c < 128 && detail::kSeparatorTable.ascii[c]; }

// The maximal runs of non-separators, in order.
std::vector<std::u16string> SplitWords(std::u16string_view line);

// The same cut without copying: calls `onWord(std::u16string_view)` for each
// word in order.
template <typename OnWord>
void ForEachWord(std::u16string_view line, OnWord&& onWord) {
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && IsWordSeparator(line[i])) ++i;
        const std::size_t start = i;
        while (i < n && !IsWordSeparator(line[i])) ++i;
        if (i > start) onWord(line.substr(start, i - start));
    }
}

// Unicode simple (one-to-one) case mappings. The length never changes, so a
// position in the folded text is the same position in the original.
std::u16string FoldToUpper(std::u16string_view text);
std::u16string FoldToLower(std::u16string_view text);
void FoldToUpperInPlace(std::u16string& text);

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// The position of the next occurrence of `word` in `line`, at or after
// `start`, that is bounded by separators or the line's ends; kNotFound when
// there is none. Both texts are folded by the caller; `word` is not empty.
std::size_t FindWholeWord(std::u16string_view line, std::u16string_view word, std::size_t start);

}  // namespace zorvia
