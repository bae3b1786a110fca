#include "corpus/text_line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
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

using test::Iconv;

std::string Utf16Bytes(const std::u16string& text, bool bigEndian = false) {
    std::string bytes;
    for (char16_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Every line up to the end; a bound keeps a faulty reader from hanging.
Lines ReadAll(TextLineReader& reader) {
    Lines lines;
    std::u16string line;
    while (lines.size() < 5'000'000 && reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

struct Reading {
    Lines lines;
    TextLineReader::Report report;
};

Reading ReadBytes(const std::string& bytes, EncodingChoice choice = EncodingChoice::Detect) {
    TempDir dir;
    TextLineReader reader;
    if (!reader.Open(dir.Write("f.txt", bytes), choice)) return {{u"<open failed>"}, {}};
    Reading read{ReadAll(reader), {}};
    read.report = reader.GetReport();
    return read;
}

// One way of writing text into a file and reading it back.
struct Form {
    const char* name;
    EncodingChoice choice;
    Encoding encoding;
    const char* mark;       // written before the text
    const char* iconvName;  // the encoder, or nullptr for UTF-8 and UTF-16
    bool textMode;          // CR LF reads as LF before one CR before LF is dropped
    // Byte strings that do not decode, with the bytes each counts.
    std::vector<std::pair<std::string, int>> bad;
    // "ab" followed by the first bytes of a character at the end of the file:
    // the bytes, the last line read and the bytes counted.
    std::string cut;
    std::u16string cutLine;
    int cutBytes;

    std::string Encode(const std::u16string& text) const {
        std::string bytes = mark;
        if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be)
            return bytes + Utf16Bytes(text, encoding == Encoding::Utf16Be);
        if (iconvName == nullptr) return bytes + test::N(text);
        auto encoded = Iconv(iconvName, "UTF-8", test::N(text));
        EXPECT_TRUE(encoded.has_value());
        return bytes + encoded.value_or("");
    }
};

const Form kForms[] = {
    {"Cp932", EncodingChoice::Detect, Encoding::Cp932, "", "CP932", true,
     {{"\x80", 1}, {"\xA0", 1}, {"\xFD", 1}, {"\xFE", 1}, {"\xFF", 1}}, "\x82", u"ab" + kFffd, 1},
    {"Utf8WithMark", EncodingChoice::Detect, Encoding::Utf8, "\xEF\xBB\xBF", nullptr, true,
     {{"\x80", 1}, {"\xFF", 1}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"\xF4\x90\x80\x80", 4}, {"\xE3\x81", 2}},
     "\xE3\x81", u"ab", 2},
    {"Utf8Forced", EncodingChoice::Utf8, Encoding::Utf8, "", nullptr, true, {{"\xC2", 1}}, "\xF0\x9F\x98", u"ab", 3},
    {"Utf16LeWithMark", EncodingChoice::Detect, Encoding::Utf16Le, "\xFF\xFE", nullptr, false, {}, "\x42", u"ab", 1},
    {"Utf16BeForced", EncodingChoice::Utf16Be, Encoding::Utf16Be, "", nullptr, false, {}, "\x42", u"ab", 1},
    {"EucJpForced", EncodingChoice::EucJp, Encoding::EucJp, "", "EUC-JP", true,
     {{"\xFF", 1}, {"\xA1", 1}, {"\x8F\xA1", 2}}, "\xA4", u"ab", 1},
};

class TextLineReaderForms : public ::testing::TestWithParam<Form> {
protected:
    Reading ReadText(const std::u16string& text) { return ReadBytes(GetParam().Encode(text), GetParam().choice); }
    Lines Read(const std::u16string& text) { return ReadText(text).lines; }
};

// Lines end at line feeds, a CR before one dropped (the byte encodings read
// CR LF as LF first, UTF-16 does not), and a NUL ends the text of its line.
TEST_P(TextLineReaderForms, LinesEndAtLineFeedsAndTheirTextAtANul) {
    const bool crlf = GetParam().textMode;
    const std::pair<std::u16string, Lines> cases[] = {
        {u"a\r\nb\nc", {u"a", u"b", u"c"}},  // the last line needs no end
        {u"a\rb\r\r\n\r\n", {crlf ? u"a\rb" : u"a\rb\r", u""}},
        {u"x\r\r\r\n", {crlf ? u"x\r" : u"x\r\r"}},
        {u"\n", {u""}}, {u"", {}}, {u"a\r", {u"a\r"}},
        {W("日本語の行、です。\r\nｶﾀｶﾅ\n"), {W("日本語の行、です。"), W("ｶﾀｶﾅ")}},
        {u"ab\0cd\nef"s, {u"ab", u"ef"}}, {u"\0\n\0"s, {u"", u""}}, {u"x\0y\r\nz"s, {u"x", u"z"}},
        {u"x\0\r\0\ny"s, {u"x", u"y"}}, {u"x\r\0\r\r\n"s, {u"x\r"}},
        {W("漢字") + u"\0"s + W("かな\nあ"), {W("漢字"), W("あ")}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(Read(text), lines) << testing::PrintToString(test::N(text));
}

// An undecodable byte ends its line, the rest of the line is a line of its
// own, and at the start of a line it is skipped: nothing after it is lost.
TEST_P(TextLineReaderForms, UndecodableBytesAreCountedAndNeverEndTheText) {
    const Form& form = GetParam();
    const std::string ab = form.Encode(u"ab"), cd = form.Encode(u"cd\r\n").substr(strlen(form.mark));
    const std::string ef = form.Encode(u"ef\n\n").substr(strlen(form.mark));
    for (const auto& [bytes, count] : form.bad) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const Reading read = ReadBytes(ab + bytes + cd + bytes + ef, form.choice);
        EXPECT_EQ(read.lines, (Lines{u"ab", u"cd", u"ef", u""}));
        EXPECT_EQ(read.report.undecodableBytes, 2 * count);
        EXPECT_EQ(read.report.firstUndecodableLine, 1);
        // After a NUL the byte still ends the line.
        EXPECT_EQ(ReadBytes(form.Encode(u"\n\na\0b"s) + bytes + cd, form.choice).lines, (Lines{u"", u"", u"a", u"cd"}));
        EXPECT_EQ(ReadBytes(form.Encode(u"x\n") + bytes, form.choice).report.firstUndecodableLine, 2);
    }
    // A file cut inside a character.
    const Reading cut = ReadBytes(ab + form.cut, form.choice);
    EXPECT_EQ(cut.lines, (Lines{form.cutLine}));
    EXPECT_EQ(cut.report.undecodableBytes, form.cutBytes);
    EXPECT_EQ(cut.report.encoding, form.encoding);
}

// Mixed single- and multi-byte text with lines from empty to far beyond the
// line buffer and the read buffer; line ends, NULs and lone carriage returns
// land on every offset of the blocks the reader takes from the file.
TEST_P(TextLineReaderForms, LinesOfAnyLengthSurviveEveryBlockBoundary) {
    // Only the Unicode forms can write the last letter, a surrogate pair.
    std::vector<std::u16string> alphabet = {u"a", u"Z", u" ", u"9", W("あ"), W("漢"), W("ｱ"), W("。"), u"\r", W("𠮷")};
    if (GetParam().iconvName != nullptr) alphabet.pop_back();
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
        while (line.size() < length) line += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
        if (!line.empty() && line.back() == u'\r') line.back() = u'x';  // would belong to the line end
        std::u16string written = line;
        if (length > 3 && next(8) == 0) {
            std::size_t cut = next(static_cast<std::uint32_t>(line.size()));
            if (cut > 0 && line[cut - 1] >= 0xD800 && line[cut - 1] <= 0xDBFF) --cut;
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

TEST_P(TextLineReaderForms, RewindReadsTheSameLinesAgainAndCountsAgain) {
    TempDir dir;
    TextLineReader reader;
    ASSERT_TRUE(reader.Open(dir.Write("f.txt", GetParam().Encode(W("first\r\n二行目\n\nlast"))), GetParam().choice));
    EXPECT_EQ(reader.GetEncoding(), GetParam().encoding);
    const Lines expected = {u"first", W("二行目"), u"", u"last"};
    std::u16string line;
    ASSERT_TRUE(reader.ReadLine(line));
    for (int pass = 0; pass < 2; ++pass) {
        reader.Rewind();
        EXPECT_EQ(ReadAll(reader), expected);  // the first line without the byte-order mark
    }
    reader.Close();
    EXPECT_FALSE(reader.ReadLine(line));
    if (GetParam().bad.empty()) return;
    ASSERT_TRUE(reader.Open(dir.Write("g.txt", GetParam().Encode(u"a\n") + GetParam().bad[0].first), GetParam().choice));
    for (int pass = 0; pass < 2; ++pass) {
        reader.Rewind();
        EXPECT_EQ(ReadAll(reader), Lines{u"a"});
        EXPECT_EQ(reader.GetReport().undecodableBytes, GetParam().bad[0].second);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, TextLineReaderForms, ::testing::ValuesIn(kForms),
                         [](const auto& p) { return std::string(p.param.name); });

// Which encoding a file is read in: from its marks and whether the whole of
// it is UTF-8 with a multi-byte character; only the UTF-16 LE mark when
// detection is off; and a forced one, which skips only its own mark. Only
// regular files.
TEST(TextLineReader, EncodingComesFromTheMarksTheWholeFileOrTheCaller) {
    using C = EncodingChoice;
    const std::string longAscii(200'000, 'a');
    struct Case {
        std::string bytes;
        C choice;
        Encoding encoding;
        std::optional<Lines> lines;
    };
    const Case cases[] = {
        {"\xFF\xFE" "a\0"s, C::Detect, Encoding::Utf16Le, Lines{u"a"}},
        {"\xFE\xFF\0a"s, C::Detect, Encoding::Utf16Be, Lines{u"a"}},
        {"\xEF\xBB\xBFx", C::Detect, Encoding::Utf8, Lines{u"x"}},
        {"\xE3\x81\x82", C::Detect, Encoding::Utf8, Lines{W("あ")}},
        {longAscii + "\xC3\xA9", C::Detect, Encoding::Utf8, Lines{W((longAscii + "é").c_str())}},
        {"", C::Detect, Encoding::Cp932, Lines{}},
        {"x", C::Detect, Encoding::Cp932, Lines{u"x"}},
        {"\x93\xfa\x96\x7b", C::Detect, Encoding::Cp932, Lines{W("日本")}},
        // Not UTF-8: overlong, a surrogate, above U+10FFFF, cut at the end.
        {"\xC0\xAF", C::Detect, Encoding::Cp932, std::nullopt},
        {"\xED\xA0\x80", C::Detect, Encoding::Cp932, std::nullopt},
        {"\xF4\x90\x80\x80", C::Detect, Encoding::Cp932, std::nullopt},
        {longAscii + "\xE3\x81\x82\xE3\x81", C::Detect, Encoding::Cp932, std::nullopt},
        {"\xEF\xBB\xBFx", C::MarkOnly, Encoding::Cp932, std::nullopt},
        {"\xFE\xFF\0a"s, C::MarkOnly, Encoding::Cp932, std::nullopt},
        {"\xFF\xFE" "a\0"s, C::MarkOnly, Encoding::Utf16Le, Lines{u"a"}},
        {"\xEF\xBB\xBFx", C::Utf8, Encoding::Utf8, Lines{u"x"}},
        {"\xFE\xFF\0a"s, C::Utf16Be, Encoding::Utf16Be, Lines{u"a"}},
        {"\xFE\xFF\0a"s, C::Utf16Le, Encoding::Utf16Le, Lines{u"\xFFFE\x6100"}},
        {"x", C::Utf16Le, Encoding::Utf16Le, Lines{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 12)) + " " + std::to_string(static_cast<int>(c.choice)));
        const Reading read = ReadBytes(c.bytes, c.choice);
        EXPECT_EQ(read.report.encoding, c.encoding);
        if (c.lines) {
            EXPECT_EQ(read.lines, *c.lines);
        }
    }
    EXPECT_EQ(ParseEncodingChoice("auto"), C::Detect);
    for (Encoding e : {Encoding::Cp932, Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be, Encoding::EucJp})
        EXPECT_EQ(ReadBytes("", *ParseEncodingChoice(EncodingName(e))).report.encoding, e);
    EXPECT_FALSE(ParseEncodingChoice("UTF-8").has_value());

    // Nothing but a regular file is read: a FIFO is refused at once instead
    // of waiting for a writer.
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.NativeFile("fifo.txt").c_str(), 0600), 0);
    EXPECT_FALSE(TextLineReader().Open(dir.File("fifo.txt")));
    EXPECT_FALSE(ReadWholeText(dir.File(""), EncodingChoice::Detect).has_value());
}

// Every scalar value decodes as UTF-16 has it; the UTF-16 reader passes
// every code unit through, lone surrogates included, and counts an odd last
// byte.
TEST(TextLineReader, EveryCharacterOfUtf8AndEveryCodeUnitOfUtf16) {
    std::u16string all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c == u'\n' || c == u'\r' || (c >= 0xD800 && c <= 0xDFFF)) continue;
        if (c < 0x10000) {
            all += static_cast<char16_t>(c);
        } else {
            all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    const Reading utf8 = ReadBytes(test::N(all));
    EXPECT_EQ(utf8.report.encoding, Encoding::Utf8);
    ASSERT_EQ(utf8.lines.size(), 1u);
    EXPECT_TRUE(utf8.lines[0] == all);
    EXPECT_EQ(utf8.report.undecodableBytes, 0);
    // A surrogate pair where the line buffer (1024 code units) is full.
    for (std::size_t n = 1020; n < 1026; ++n)
        EXPECT_EQ(ReadBytes(std::string(n, 'a') + "\xF0\x9F\x98\x80" "b").lines, Lines{std::u16string(n, u'a') + W("😀b")});

    const std::u16string units = {0xD800, u'a', 0xDFFF, 0xFEFF, 0xFFFE, 0xFFFF, 0xDC00, 0xD83D};
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16Bytes(units)).lines, (Lines{units}));
    const Reading odd = ReadBytes("\xFF\xFE" + Utf16Bytes(u"a\nb") + "c");
    EXPECT_EQ(odd.lines, (Lines{u"a", u"b"}));
    EXPECT_EQ(odd.report.undecodableBytes, 1);
    EXPECT_EQ(odd.report.firstUndecodableLine, 2);
    EXPECT_EQ(ReadBytes("\xFF\xFE" + Utf16Bytes(u"a\r") + "c").lines, (Lines{u"a\r"}));
    EXPECT_EQ(ReadBytes("\xFF\xFE\x0A").lines, Lines{});
}

// A lead byte takes the next byte as its trail whatever it is (the
// comparison with iconv below covers the pairs), CR LF as one, but not NUL
// nor the end of the file: then it is one U+FFFD.
TEST(TextLineReader, Cp932LeadByteAlwaysTakesTheNextByteExceptNul) {
    const Reading crlf = ReadBytes("x\x82\r\ny\nz");
    EXPECT_EQ(crlf.lines, (Lines{u"x" + kFffd + u"y", u"z"}));
    EXPECT_EQ(crlf.report.undecodableBytes, 2);
    EXPECT_EQ(ReadBytes("x\x82\0y\nz"s).lines, (Lines{u"x" + kFffd, u"z"}));
    EXPECT_EQ(ReadBytes("x\x82").lines, (Lines{u"x" + kFffd}));

    // Many such lines of varied length: the lead byte, the carriage return
    // and the line feed fall on every offset of the blocks read from the file.
    std::string many;
    Lines expected;
    for (std::uint32_t i = 0; i < 400'000; ++i) {
        const std::string z((i * 2654435761u) >> 30, 'z');  // no period the block size could share
        many += "\x82\r\n" + z + "\n";
        expected.push_back(kFffd + W(z.c_str()));
    }
    EXPECT_TRUE(ReadBytes(many).lines == expected);
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
    const Lines lines = ReadBytes(file).lines;
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

// No line end in 8 MB: one line, read in time linear in its size.
TEST(TextLineReader, ReadsAHugeLineWithoutALineEnd) {
    const std::string kanji(8 << 20, '\x88');
    for (const std::string& bytes : {kanji, "\xFF\xFE" + kanji}) {
        const Lines lines = ReadBytes(bytes).lines;
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].size(), kanji.size() / 2);
    }
}

// A line as long as the file is held once, in the caller's string, which no
// more than the rest of the file could fill: not in a buffer twice its size.
// Shorter lines after it reuse that string.
TEST(TextLineReader, AHugeLineIsHeldOnceInTheCallersString) {
    TempDir dir;
    const std::string ascii(6'000'000, 'a');
    for (const std::string& bytes : {ascii + "\nshort\n", "\xFF\xFE" + Utf16Bytes(W(ascii.c_str()) + u"\nshort\n")}) {
        TextLineReader reader;
        ASSERT_TRUE(reader.Open(dir.Write("huge.txt", bytes)));
        std::u16string line;
        ASSERT_TRUE(reader.ReadLine(line));
        ASSERT_EQ(line.size(), ascii.size());
        EXPECT_LE(line.capacity(), ascii.size() + 64 * 1024);
        const std::size_t capacity = line.capacity();
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, u"short");
        EXPECT_EQ(line.capacity(), capacity);
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_TRUE(line.empty());
    }
}

}  // namespace
}  // namespace zorvia
