#include "corpus/text_line_reader.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <optional>
#include <set>

#include "support/test_support.h"

namespace zorvia {
namespace {

using namespace std::string_literals;
using test::TempDir;
using test::W;
using Encoding = TextLineReader::Encoding;
using Lines = std::vector<std::u16string>;

const std::u16string kFffd(1, char16_t{0xFFFD});

// Text through glibc's iconv; nullopt when it refuses the input.
std::optional<std::string> Iconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || srcLeft != 0) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

std::string Encode(const std::u16string& text, Encoding encoding) {
    if (encoding == Encoding::Utf16Le) return "\xFF\xFE" + Utf16LeBytes(text);
    auto bytes = Iconv("CP932", "UTF-8", test::N(text));
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

// Every line up to the end; a bound keeps a faulty reader from hanging.
Lines ReadAll(TextLineReader& reader) {
    Lines lines;
    std::u16string line;
    while (lines.size() < 5'000'000 && reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

Lines ReadBytes(const std::string& bytes) {
    TempDir dir;
    TextLineReader reader;
    if (!reader.Open(dir.Write("f.txt", bytes))) return {u"<open failed>"};
    return ReadAll(reader);
}

class TextLineReaderBoth : public ::testing::TestWithParam<Encoding> {
protected:
    Lines Read(const std::u16string& text) { return ReadBytes(Encode(text, GetParam())); }
};

TEST_P(TextLineReaderBoth, CutsLinesAtLineFeedsAndDropsOneCarriageReturnBeforeThem) {
    EXPECT_EQ(Read(u"a\r\nb\nc"), (Lines{u"a", u"b", u"c"}));              // the last line needs no end
    EXPECT_EQ(Read(u"a\rb\r\r\n\r\n"), (Lines{u"a\rb\r", u""}));      // two line ends at the end
    EXPECT_EQ(Read(u"\n"), (Lines{u""}));
    EXPECT_EQ(Read(u""), Lines{});
    EXPECT_EQ(Read(u"a\r"), (Lines{u"a\r"}));
    EXPECT_EQ(Read(W("日本語の行、です。\r\nｶﾀｶﾅ\n")), (Lines{W("日本語の行、です。"), W("ｶﾀｶﾅ")}));
}

TEST_P(TextLineReaderBoth, NulEndsTheTextOfItsLine) {
    EXPECT_EQ(Read(u"ab\0cd\nef"s), (Lines{u"ab", u"ef"}));
    EXPECT_EQ(Read(u"\0\n\0"s), (Lines{u"", u""}));
    EXPECT_EQ(Read(u"x\0y\r\nz"s), (Lines{u"x", u"z"}));
    EXPECT_EQ(Read(u"x\0\r\0\ny"s), (Lines{u"x", u"y"}));
    EXPECT_EQ(Read(W("漢字") + u"\0"s + W("かな\nあ")), (Lines{W("漢字"), W("あ")}));
}

// Mixed single- and double-byte text with lines from empty to far beyond the
// line buffer and the read buffer; line ends, NULs and lone carriage returns
// land on every offset of the blocks the reader takes from the file.
TEST_P(TextLineReaderBoth, LinesOfAnyLengthSurviveEveryBlockBoundary) {
    const std::u16string alphabet = W("aZ 9あ漢ｱ。\r");
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    std::u16string text;
    Lines expected;
    std::vector<std::size_t> lengths = {0, 1, 1023, 1024, 1025, 2049, 70'000, 300'000};
    for (int i = 0; i < 3000; ++i) lengths.push_back(next(i % 10 == 0 ? 3000 : 120));
    // Tiny lines put a line end on or next to almost every block boundary.
    for (int i = 0; i < 150'000; ++i) lengths.push_back(next(3));
    for (std::size_t length : lengths) {
        std::u16string line;
        for (std::size_t k = 0; k < length; ++k) line += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
        if (!line.empty() && line.back() == u'\r') line.back() = u'x';  // would belong to the line end
        std::u16string written = line;
        if (length > 3 && next(8) == 0) {
            const std::size_t cut = next(static_cast<std::uint32_t>(length));
            written.insert(cut, 1, u'\0');
            line.resize(cut);
        }
        text += written + (next(2) ? u"\r\n" : u"\n");
        expected.push_back(line);
    }
    const Lines lines = Read(text);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(lines[i], expected[i]) << "line " << i;
}

TEST_P(TextLineReaderBoth, RewindReadsTheSameLinesAgain) {
    TempDir dir;
    TextLineReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("f.txt", Encode(W("first\r\n二行目\n\nlast"), GetParam()))));
    EXPECT_EQ(reader.GetEncoding(), GetParam());
    const Lines expected = {u"first", W("二行目"), u"", u"last"};
    std::u16string line;
    ASSERT_TRUE(reader.ReadLine(line));
    for (int pass = 0; pass < 2; ++pass) {
        reader.Rewind();
        EXPECT_EQ(ReadAll(reader), expected);  // the first line without the byte-order mark
    }
    reader.Close();
    EXPECT_FALSE(reader.ReadLine(line));
}

INSTANTIATE_TEST_SUITE_P(Encodings, TextLineReaderBoth, ::testing::Values(Encoding::Cp932, Encoding::Utf16Le),
                         [](const auto& p) { return p.param == Encoding::Cp932 ? "Cp932" : "Utf16Le"; });

// Files that cannot be opened are in the import tests.
TEST(TextLineReader, Utf16OnlyAfterTheLittleEndianMarkWithEveryCodeUnitAndNoOddLastByte) {
    TempDir dir;
    TextLineReader reader;
    for (const std::string& bytes : {"\xFE\xFF\0a"s, "\xEF\xBB\xBFx"s}) {  // big-endian mark, UTF-8 signature
        ASSERT_TRUE(reader.Open(dir.Write("f.txt", bytes)));
        EXPECT_EQ(reader.GetEncoding(), Encoding::Cp932);
    }
    const std::u16string units = {0xD800, u'a', 0xDFFF, 0xFEFF, 0xFFFE, 0xFFFF, 0xDC00, 0xD83D};
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16LeBytes(units)), (Lines{units}));
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16LeBytes(u"a\nb") + "c"), (Lines{u"a", u"b"}));
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16LeBytes(u"a\n") + "c"), (Lines{u"a"}));
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16LeBytes(u"a\r") + "c"), (Lines{u"a\r"}));
    EXPECT_EQ(ReadBytes("\xFF\xFE\x0A"), Lines{});
}

TEST(TextLineReader, Cp932UndecodableByteEndsTheLineOrTheText) {
    for (char bad : {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(bad)));
        EXPECT_EQ(ReadBytes("ab"s + bad + "cd\r\nef\n"), (Lines{u"ab", u"cd", u"ef"}));
        EXPECT_EQ(ReadBytes("a\0b"s + bad + "c\n"), (Lines{u"a", u"c"}));
        // At the start of a line the text ends, and stays ended after Rewind.
        EXPECT_EQ(ReadBytes("ab\n"s + bad + "cd\nef"), (Lines{u"ab"}));
        TempDir dir;
        TextLineReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("f.txt", bad + "cd\nef\n"s)));
        std::u16string line = u"untouched";
        EXPECT_FALSE(reader.ReadLine(line));
        reader.Rewind();
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_EQ(line, u"untouched");
    }
}

// A lead byte takes the next byte as its trail whatever it is (the
// comparison with iconv below covers the pairs), CR LF as one, but not NUL
// nor the end of the file: then it is one U+FFFD.
TEST(TextLineReader, Cp932LeadByteAlwaysTakesTheNextByteExceptNul) {
    EXPECT_EQ(ReadBytes("x\x82\r\ny\nz"), (Lines{u"x" + kFffd + u"y", u"z"}));
    EXPECT_EQ(ReadBytes("x\x82\0y\nz"s), (Lines{u"x" + kFffd, u"z"}));
    EXPECT_EQ(ReadBytes("x\x82"), (Lines{u"x" + kFffd}));

    // Many such lines of varied length: the lead byte, the carriage return
    // and the line feed fall on every offset of the blocks read from the file.
    std::string many;
    Lines expected;
    for (std::uint32_t i = 0; i < 400'000; ++i) {
        const std::string z((i * 2654435761u) >> 30, 'z');  // no period the block size could share
        many += "\x82\r\n" + z + "\n";
        expected.push_back(kFffd + W(z.c_str()));
    }
    EXPECT_TRUE(ReadBytes(many) == expected);
}

// The decoder against glibc's "CP932" over every single byte and every pair.
// ICU's own "windows-31j" table differs from iconv only on 0x1A, 0x1C and
// 0x7F, which it swaps; the decoder keeps ASCII as it is, so nothing at all
// may differ here.
TEST(TextLineReader, Cp932DecodesLikeIconv) {
    // Each single byte and each pair, followed by X: a pair that iconv
    // refuses, or whose trail byte is outside the trail ranges (line feed and
    // carriage return included), is one U+FFFD.
    std::string file;
    Lines expected;
    std::set<unsigned> undecodable;
    int mapped = 0;
    for (unsigned b = 1; b < 256; ++b) {
        if (b == '\n' || b == '\r') continue;
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        for (unsigned trail = 1; trail < (lead ? 256u : 2u); ++trail) {
            std::string bytes(1, static_cast<char>(b));
            if (lead) bytes += static_cast<char>(trail);
            const auto c = Iconv("UTF-8", "CP932", bytes);
            if (!lead && !c) {
                undecodable.insert(b);
                continue;
            }
            const std::u16string text = c ? W(c->c_str()) : u"";
            mapped += lead && text.size() == 1;
            file += bytes + "X\n";
            expected.push_back((text.size() == 1 ? text : kFffd) + u"X");
        }
    }
    EXPECT_EQ(undecodable, (std::set<unsigned>{0x80, 0xA0, 0xFD, 0xFE, 0xFF}));
    EXPECT_EQ(mapped, 9604);
    const Lines lines = ReadBytes(file);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

// No line end in 8 MB: one line, read in time linear in its size.
TEST(TextLineReader, ReadsAHugeLineWithoutALineEnd) {
    const std::string kanji(8 << 20, '\x88');
    for (const std::string& bytes : {kanji, "\xFF\xFE" + kanji}) {
        const Lines lines = ReadBytes(bytes);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].size(), kanji.size() / 2);
    }
}

}  // namespace
}  // namespace zorvia
