#include "corpus/word_rules.h"

#include <unicode/uchar.h>

#include <array>
#include <memory>

namespace zorvia {

namespace {

// The simple mappings of the Basic Multilingual Plane in one table each, so
// that a fold costs one lookup per character.
struct CaseTables {
    std::unique_ptr<char16_t[]> upper{new char16_t[0x10000]};
    std::unique_ptr<char16_t[]> lower{new char16_t[0x10000]};
    CaseTables() {
        for (UChar32 c = 0; c < 0x10000; ++c) {
            const UChar32 u = u_toupper(c);
            const UChar32 l = u_tolower(c);
            // A mapping that would leave the plane (or land on a surrogate)
            // would change the length: keep such characters as they are.
            upper[c] = (u < 0x10000 && !(u >= 0xD800 && u <= 0xDFFF)) ? static_cast<char16_t>(u) : static_cast<char16_t>(c);
            lower[c] = (l < 0x10000 && !(l >= 0xD800 && l <= 0xDFFF)) ? static_cast<char16_t>(l) : static_cast<char16_t>(c);
        }
    }
};

const CaseTables& Cases() {
    static const CaseTables tables;
    return tables;
}

template <bool kUpper>
void FoldInPlace(std::u16string& text) {
    const CaseTables& tables = Cases();
    const char16_t* map = kUpper ? tables.upper.get() : tables.lower.get();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            // Supplementary planes (Deseret, Osage, Adlam...): map the code
            // point and keep it only when it stays a pair.
            const UChar32 cp = 0x10000 + ((static_cast<UChar32>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            const UChar32 mapped = kUpper ? u_toupper(cp) : u_tolower(cp);
            if (mapped >= 0x10000) {
                text[i] = static_cast<char16_t>(0xD800 + ((mapped - 0x10000) >> 10));
                text[i + 1] = static_cast<char16_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
            }
            ++i;
            continue;
        }
        text[i] = map[c];
    }
}

}  // namespace

std::vector<std::u16string> SplitWords(std::u16string_view line) {
    std::vector<std::u16string> words;
    ForEachWord(line, [&](std::u16string_view w) { words.emplace_back(w); });
    return words;
}

void FoldToUpperInPlace(std::u16string& text) { FoldInPlace<true>(text); }

std::u16string FoldToUpper(std::u16string_view text) {
    std::u16string out(text);
    FoldInPlace<true>(out);
    return out;
}

std::u16string FoldToLower(std::u16string_view text) {
    std::u16string out(text);
    FoldInPlace<false>(out);
    return out;
}

std::size_t FindWholeWord(std::u16string_view line, std::u16string_view word, std::size_t start) {
    if (word.empty()) return kNotFound;
    std::size_t from = start;
    while (from <= line.size()) {
        const std::size_t p = line.find(word, from);
        if (p == std::u16string_view::npos) return kNotFound;
        const std::size_t end = p + word.size();
        const bool startOk = p == 0 || IsWordSeparator(line[p - 1]);
        const bool endOk = end == line.size() || IsWordSeparator(line[end]);
        if (startOk && endOk) return p;
        from = end;
    }
    return kNotFound;
}

}  // namespace zorvia
