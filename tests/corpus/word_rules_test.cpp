#include "corpus/word_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"

namespace zorvia {
namespace {

using test::W;

std::u16string Joined(const std::vector<std::u16string>& words) {
    std::u16string out;
    for (const auto& w : words) {
        if (!out.empty()) out += u'|';
        out += w;
    }
    return out;
}

TEST(IsWordSeparator, HoldsExactlyTheTwentySeparators) {
    int count = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (IsWordSeparator(static_cast<char16_t>(c))) ++count;
    }
    // These twenty, and so nothing else.
    EXPECT_EQ(count, 20);
    for (char16_t c : std::u16string(u" ~'`/;:,.?*!()[]-\"\t\n")) EXPECT_TRUE(IsWordSeparator(c)) << int(c);
}

TEST(SplitWords, CutsLinesAtSeparatorsOnly) {
    for (const auto& [line, words] :
         {std::pair{u"Don't stop-me now!", u"Don|t|stop|me|now"}, {u"a  b", u"a|b"}, {u",;:", u""}, {u"", u""},
          {u"e-mail", u"e|mail"}, {u"a+b", u"a+b"}, {u"x=y", u"x=y"}, {u"3.14", u"3|14"},
          {u"なにか、です。", u"なにか、です。"}, {u"\ta\tb\r c\t", u"a|b\r|c"}}) {
        EXPECT_EQ(Joined(SplitWords(line)), words) << test::N(line);
    }
}

TEST(Folds, AreTheSimpleOneToOneMappingAndNeverChangeTheLength) {
    EXPECT_EQ(FoldToUpper(W("naïve ａｂｃ straße αβγ жизнь")), W("NAÏVE ＡＢＣ STRAßE ΑΒΓ ЖИЗНЬ"));
    EXPECT_EQ(FoldToUpper(W("ひらがなカタカナ漢字123、")), W("ひらがなカタカナ漢字123、"));
    // A supplementary-plane letter keeps its two code units; a lone
    // surrogate stays as it is.
    EXPECT_EQ(FoldToUpper(W("\xF0\x90\x90\xA8")), W("\xF0\x90\x90\x80"));  // Deseret
    const std::u16string lone(1, static_cast<char16_t>(0xD800));
    EXPECT_EQ(FoldToUpper(lone + u"a"), lone + u"A");
    EXPECT_EQ(FoldToLower(W("NAÏVE ＡＢＣ ΑΒΓ 漢字カナ123")), W("naïve ａｂｃ αβγ 漢字カナ123"));
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(c));
        ASSERT_EQ(FoldToUpper(one).size(), 1u) << std::hex << unsigned(c);
        ASSERT_EQ(FoldToLower(one).size(), 1u) << std::hex << unsigned(c);
    }
}

TEST(FindWholeWord, AcceptsOnlyOccurrencesBoundedBySeparators) {
    struct Case {
        const char16_t* line;
        const char16_t* word;
        std::size_t from, found;
    };
    for (const Case& c : {Case{u"ABC ABCD ABC", u"ABC", 0, 0}, {u"ABC ABCD ABC", u"ABC", 3, 9},
                          {u"ABC ABCD ABC", u"ABCD", 0, 4}, {u"AA", u"A", 0, kNotFound},
                          {u"THEME OF THE THEORY", u"THE", 0, 9}, {u"THEME OF THE THEORY", u"THE", 12, kNotFound},
                          {u"X", u"X", 0, 0}, {u"X", u"X", 1, kNotFound}, {u"X", u"X", 5, kNotFound},
                          {u"(THE)", u"THE", 0, 1}}) {
        EXPECT_EQ(FindWholeWord(c.line, c.word, c.from), c.found) << test::N(c.line) << " " << c.from;
    }
    // The n-th whole-word occurrence is the n-th word of the split that
    // folds to the key: drawing and preview depend on it.
    const std::u16string line = FoldToUpper(u"the cat,the THE-theme (the)there the");
    std::vector<std::size_t> viaFind;
    for (std::size_t p = FindWholeWord(line, u"THE", 0); p != kNotFound; p = FindWholeWord(line, u"THE", p + 3))
        viaFind.push_back(p);
    const auto words = SplitWords(line);
    EXPECT_EQ(viaFind.size(), static_cast<std::size_t>(std::count(words.begin(), words.end(), u"THE")));
    EXPECT_EQ(viaFind, (std::vector<std::size_t>{0, 8, 12, 23, 33}));
}

}  // namespace
}  // namespace zorvia
