#include "corpus/word_rules.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(count, 20);
    for (char16_t c : std::u16string(u" ~'`/;:,.?*!()[]-\"\t\n")) EXPECT_TRUE(IsWordSeparator(c)) << int(c);
    for (char16_t c : std::u16string(u"\r\0&<>=_#@%+{}|\\$^\u3000、。a0")) EXPECT_FALSE(IsWordSeparator(c)) << int(c);
    EXPECT_FALSE(IsWordSeparator(u'\0'));
}

TEST(SplitWords, CutsLinesAtSeparatorsOnly) {
    EXPECT_EQ(Joined(SplitWords(u"Don't stop-me now!")), u"Don|t|stop|me|now");
    EXPECT_EQ(Joined(SplitWords(u"a  b")), u"a|b");
    EXPECT_TRUE(SplitWords(u",;:").empty());
    EXPECT_TRUE(SplitWords(u"").empty());
    EXPECT_EQ(Joined(SplitWords(u"e-mail")), u"e|mail");
    EXPECT_EQ(Joined(SplitWords(u"a+b")), u"a+b");
    EXPECT_EQ(Joined(SplitWords(u"x=y")), u"x=y");
    EXPECT_EQ(Joined(SplitWords(u"3.14")), u"3|14");
    EXPECT_EQ(Joined(SplitWords(W("なにか、です。"))), W("なにか、です。"));
    EXPECT_EQ(Joined(SplitWords(u"\ta\tb\r c\t")), u"a|b\r|c");
}

TEST(FoldToUpper, IsTheSimpleOneToOneMapping) {
    EXPECT_EQ(FoldToUpper(W("naïve")), W("NAÏVE"));
    EXPECT_EQ(FoldToUpper(W("ａｂｃ")), W("ＡＢＣ"));
    EXPECT_EQ(FoldToUpper(W("straße")), W("STRAßE"));
    EXPECT_EQ(FoldToUpper(W("ひらがなカタカナ漢字123、")), W("ひらがなカタカナ漢字123、"));
    EXPECT_EQ(FoldToUpper(W("αβγ жизнь")), W("ΑΒΓ ЖИЗНЬ"));
    // A supplementary-plane letter keeps its two code units.
    EXPECT_EQ(FoldToUpper(W("\xF0\x90\x90\xA8")), W("\xF0\x90\x90\x80"));  // Deseret
    // A lone surrogate stays as it is.
    std::u16string lone(1, static_cast<char16_t>(0xD800));
    EXPECT_EQ(FoldToUpper(lone + u"a"), lone + u"A");
}

TEST(FoldToLower, MirrorsTheUpperFold) {
    EXPECT_EQ(FoldToLower(W("NAÏVE ＡＢＣ ΑΒΓ")), W("naïve ａｂｃ αβγ"));
    EXPECT_EQ(FoldToLower(W("漢字カナ123")), W("漢字カナ123"));
}

TEST(Folds, NeverChangeTheLength) {
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(c));
        ASSERT_EQ(FoldToUpper(one).size(), 1u) << std::hex << unsigned(c);
        ASSERT_EQ(FoldToLower(one).size(), 1u) << std::hex << unsigned(c);
    }
}

TEST(FindWholeWord, AcceptsOnlyOccurrencesBoundedBySeparators) {
    EXPECT_EQ(FindWholeWord(u"ABC ABCD ABC", u"ABC", 0), 0u);
    EXPECT_EQ(FindWholeWord(u"ABC ABCD ABC", u"ABC", 3), 9u);
    EXPECT_EQ(FindWholeWord(u"ABC ABCD ABC", u"ABCD", 0), 4u);
    EXPECT_EQ(FindWholeWord(u"AA", u"A", 0), kNotFound);
    EXPECT_EQ(FindWholeWord(u"THEME OF THE THEORY", u"THE", 0), 9u);
    EXPECT_EQ(FindWholeWord(u"THEME OF THE THEORY", u"THE", 12), kNotFound);
    EXPECT_EQ(FindWholeWord(u"X", u"X", 0), 0u);
    EXPECT_EQ(FindWholeWord(u"X", u"X", 1), kNotFound);
    EXPECT_EQ(FindWholeWord(u"X", u"X", 5), kNotFound);
    EXPECT_EQ(FindWholeWord(u"(THE)", u"THE", 0), 1u);
}

TEST(FindWholeWord, FindsTheNthWordOfTheSplit) {
    // The n-th whole-word occurrence is the n-th word of the split that
    // folds to the key: drawing and preview depend on it.
    const std::u16string line = FoldToUpper(u"the cat,the THE-theme (the)there the");
    std::vector<std::size_t> viaFind;
    for (std::size_t p = FindWholeWord(line, u"THE", 0); p != kNotFound; p = FindWholeWord(line, u"THE", p + 3))
        viaFind.push_back(p);
    std::size_t viaSplit = 0;
    for (const auto& w : SplitWords(line))
        if (w == u"THE") ++viaSplit;
    EXPECT_EQ(viaFind.size(), viaSplit);
    EXPECT_EQ(viaFind, (std::vector<std::size_t>{0, 8, 12, 23, 33}));
}

}  // namespace
}  // namespace zorvia
