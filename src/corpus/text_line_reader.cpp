#include "corpus/text_line_reader.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/text_convert.h"

namespace zorvia {

namespace {

// Whole blocks of the file are read at once and decoded from memory; a line
// may span any number of blocks.
constexpr std::size_t kByteBufferSize = 64 * 1024;
constexpr std::size_t kInitialLineCapacity = 1024;

constexpr char16_t kReplacement = 0xFFFD;
// In the single-byte table: the byte is not a character on its own (line
// feed, carriage return, NUL, a lead byte or an undecodable byte) and the
// reading loop has to look at it.
constexpr char16_t kNotSingle = 0xFFFF;
constexpr std::size_t kNoText = static_cast<std::size_t>(-1);
// What the ICU converters put out for each byte they cannot decode (no
// encoding read through them yields this noncharacter).
constexpr char16_t kUndecodableMark = 0xFFFF;
constexpr std::size_t kUnitBufferSize = 64 * 1024;

bool IsLeadByte(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(unsigned b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Code page 932 as lookup tables, filled once from ICU's "windows-31j"
// converter so that decoding costs one lookup per character.
//
// - 0x00-0x7F are ASCII. ICU's table for this name swaps 0x1A, 0x1C and 0x7F
//   (a convention of IBM's code pages); Windows and glibc map every ASCII
//   byte to itself, and so do we.
// - 0xA1-0xDF are the half-width katakana U+FF61-U+FF9F.
// - Single bytes that no converter decodes are undecodable: with ICU 72 (and
//   glibc's "CP932" alike) these are 0x80, 0xA0, 0xFD, 0xFE and 0xFF.
// - A lead byte and any trail byte make one character; a pair outside the
//   trail ranges or without a mapping gives U+FFFD.
struct Cp932Table {
    char16_t single[256];
    std::int8_t leadSlot[256];      // -1 for a byte that is not a lead byte
    char16_t pairs[60 * 256];       // [slot * 256 + trail]

    Cp932Table() {
        std::fill(std::begin(pairs), std::end(pairs), kReplacement);
        int slot = 0;
        for (unsigned b = 0; b < 256; ++b) {
            leadSlot[b] = IsLeadByte(b) ? static_cast<std::int8_t>(slot++) : -1;
            single[b] = b < 0x80 ? static_cast<char16_t>(b) : kNotSingle;
        }
        single[0x00] = kNotSingle;
        single[0x0A] = kNotSingle;
        single[0x0D] = kNotSingle;

        UErrorCode status = U_ZERO_ERROR;
        UConverter* converter = ucnv_open("windows-31j", &status);
        if (U_FAILURE(status)) return;  // no conversion data: ASCII only, pairs as U+FFFD
        // Stop at the first unmapped byte instead of substituting, so that a
        // missing mapping is seen as one.
        ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        const auto decode = [&](const char* bytes, int count) -> char16_t {
            UChar out[4];
            UErrorCode error = U_ZERO_ERROR;
            ucnv_reset(converter);
            const int32_t n = ucnv_toUChars(converter, out, 4, bytes, count, &error);
            return (U_SUCCESS(error) && n == 1) ? static_cast<char16_t>(out[0]) : kNotSingle;
        };
        for (unsigned b = 0x80; b < 256; ++b) {
            if (IsLeadByte(b)) continue;
            const char byte = static_cast<char>(b);
            single[b] = decode(&byte, 1);
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(lead)) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsTrailByte(trail)) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const char16_t c = decode(pair, 2);
                pairs[leadSlot[lead] * 256 + trail] = c == kNotSingle ? kReplacement : c;
            }
        }
        ucnv_close(converter);
    }

    char16_t Pair(int slot, unsigned trail) const { return pairs[slot * 256 + trail]; }
};

const Cp932Table& Cp932() {
    static const Cp932Table table;
    return table;
}

// Opens a regular file for reading. A FIFO or device is refused without
// waiting for a writer: the open does not block, and only a regular file is
// then read (blocking again).
std::FILE* OpenRegularFile(const std::u16string& path) {
#ifdef _WIN32
    std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
    if (file == nullptr) return nullptr;
    struct _stat64 status {};
    if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return nullptr;
    }
    return file;
#else
    const int fd = ::open(WideToUtf8(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

// UTF-8 byte classes: bytes that are characters on their own, bytes the
// line reading must look at (NUL, line feed, carriage return), the lead
// bytes of two-, three- and four-byte sequences, and bytes that start no
// character (continuation bytes, 0xC0, 0xC1 and 0xF5 to 0xFF).
enum Utf8Class : unsigned char { kAscii, kStop, kLead2, kLead3, kLead4, kBad };

struct Utf8Classes {
    unsigned char of[256];
    constexpr Utf8Classes() : of() {
        for (unsigned b = 0; b < 256; ++b) {
            of[b] = b < 0x80 ? kAscii : b < 0xC2 ? kBad : b < 0xE0 ? kLead2 : b < 0xF0 ? kLead3 : b < 0xF5 ? kLead4 : kBad;
        }
        of[0x00] = of[0x0A] = of[0x0D] = kStop;
    }
};
constexpr Utf8Classes kUtf8;

// The code point of the sequence at p, whose lead byte has class `cls` and
// whose bytes are all at hand; -1 when it is malformed: a missing
// continuation byte, an overlong form, a surrogate or a value above U+10FFFF.
inline std::int32_t DecodeUtf8(const unsigned char* p, unsigned cls) {
    const unsigned b0 = p[0];
    const unsigned b1 = p[1];
    if (cls == kLead2) {
        if ((b1 & 0xC0) != 0x80) return -1;
        return static_cast<std::int32_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F));
    }
    if (cls == kLead3) {
        const unsigned low = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < low || b1 > high || (p[2] & 0xC0) != 0x80) return -1;
        return static_cast<std::int32_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (p[2] & 0x3F));
    }
    const unsigned low = b0 == 0xF0 ? 0x90 : 0x80;
    const unsigned high = b0 == 0xF4 ? 0x8F : 0xBF;
    if (b1 < low || b1 > high || (p[2] & 0xC0) != 0x80 || (p[3] & 0xC0) != 0x80) return -1;
    return static_cast<std::int32_t>(((b0 & 0x07) << 18) | ((b1 & 0x3F) << 12) | ((p[2] & 0x3F) << 6) |
                                     (p[3] & 0x3F));
}

// A run of three-byte sequences from p up to `stop` (most CJK text is made of
// them), each checked whole: into `out` at `len` when it is given. Returns
// where the run ends; what follows goes through the general path.
inline const unsigned char* ThreeByteRun(const unsigned char* p, const unsigned char* const stop, char16_t* out,
                                         std::size_t& len) {
    while (stop - p >= 3) {
        const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        if ((v & 0xC0C0F0u) != 0x8080E0u) break;
        // E0 and ED narrow the second byte (overlong forms, surrogates).
        if ((p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] > 0x9F)) break;
        if (out != nullptr) out[len++] = static_cast<char16_t>(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        p += 3;
    }
    return p;
}

// A block of ASCII bytes that needs no decision widened into `out` at once:
// sixteen with SSE2, else eight. False, with nothing written, when the block
// holds a byte below 0x0E or above 0x7F, or when fewer bytes are left.
#if defined(__SSE2__)
constexpr std::ptrdiff_t kAsciiBlock = 16;
inline bool AsciiBlock(const unsigned char* p, const unsigned char* stop, char16_t* out) {
    if (stop - p < kAsciiBlock) return false;
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // As signed bytes, exactly 0x0E to 0x7F are above 0x0D.
    if (_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x0D))) != 0xFFFF) return false;
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    return true;
}
#else
constexpr std::ptrdiff_t kAsciiBlock = 8;
inline bool AsciiBlock(const unsigned char* p, const unsigned char* stop, char16_t* out) {
    if (stop - p < kAsciiBlock) return false;
    std::uint64_t eight;
    std::memcpy(&eight, p, 8);
    if (((eight | (eight - 0x0E0E0E0E0E0E0E0Eull)) & 0x8080808080808080ull) != 0) return false;
    for (int k = 0; k < 8; ++k) out[k] = p[k];
    return true;
}
#endif

// Writes a code point as one or two UTF-16 code units; returns the count.
inline std::size_t PutCodePoint(char16_t* out, std::int32_t c) {
    if (c < 0x10000) {
        out[0] = static_cast<char16_t>(c);
        return 1;
    }
    c -= 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (c >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    return 2;
}

template <bool BigEndian>
inline char16_t Utf16Unit(const unsigned char* p) {
    return BigEndian ? static_cast<char16_t>((p[0] << 8) | p[1]) : static_cast<char16_t>(p[0] | (p[1] << 8));
}

// Eight UTF-16 code units copied into `out` at once when none of them is NUL,
// a line feed or a carriage return (none at or below 0x0D, to keep the test
// short); false, with nothing written, otherwise or without SSE2.
template <bool BigEndian>
inline bool Utf16Block(const unsigned char* p, const unsigned char* stop, char16_t* out) {
#if defined(__SSE2__)
    if (stop - p < 16) return false;
    __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (BigEndian) units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
    // A unit at or below 0x0D saturates to zero.
    const __m128i low = _mm_cmpeq_epi16(_mm_subs_epu16(units, _mm_set1_epi16(0x0D)), _mm_setzero_si128());
    if (_mm_movemask_epi8(low) != 0) return false;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), units);
    return true;
#else
    (void)p;
    (void)stop;
    (void)out;
    return false;
#endif
}

// The ICU converters report each byte they cannot decode here; it becomes
// one mark in the output, which the line reading counts and skips.
void MarkUndecodableBytes(const void*, UConverterToUnicodeArgs* args, const char*, int32_t length,
                          UConverterCallbackReason reason, UErrorCode* error) {
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
    *error = U_ZERO_ERROR;
    const UChar marks[4] = {kUndecodableMark, kUndecodableMark, kUndecodableMark, kUndecodableMark};
    for (int32_t left = length; left > 0 && U_SUCCESS(*error); left -= 4) {
        ucnv_cbToUWriteUChars(args, marks, std::min<int32_t>(left, 4), 0, error);
    }
}

const char* IcuConverterName(TextLineReader::Encoding encoding) {
    return encoding == TextLineReader::Encoding::EucJp ? "EUC-JP" : nullptr;
}

}  // namespace

std::optional<EncodingChoice> ParseEncodingChoice(std::string_view name) {
    if (name == "auto") return EncodingChoice::Detect;
    if (name == "cp932") return EncodingChoice::Cp932;
    if (name == "utf-8") return EncodingChoice::Utf8;
    if (name == "utf-16le") return EncodingChoice::Utf16Le;
    if (name == "utf-16be") return EncodingChoice::Utf16Be;
    if (name == "euc-jp") return EncodingChoice::EucJp;
    return std::nullopt;
}

const char* EncodingName(TextLineReader::Encoding encoding) {
    switch (encoding) {
        case TextLineReader::Encoding::Utf16Le: return "utf-16le";
        case TextLineReader::Encoding::Cp932: return "cp932";
        case TextLineReader::Encoding::Utf16Be: return "utf-16be";
        case TextLineReader::Encoding::Utf8: return "utf-8";
        case TextLineReader::Encoding::EucJp: return "euc-jp";
    }
    return "cp932";
}

TextLineReader::TextLineReader() = default;

TextLineReader::~TextLineReader() {
    Close();
    if (m_converter != nullptr) ucnv_close(m_converter);
}

bool TextLineReader::IsOpen() const { return m_file != nullptr; }

bool TextLineReader::Open(const std::u16string& path, EncodingChoice choice) {
    Close();
    std::FILE* file = OpenRegularFile(path);
    if (file == nullptr) return false;
    // Our own buffer is the only one: the stream reads straight into it.
    std::setvbuf(file, nullptr, _IONBF, 0);
    m_file = file;
    struct stat fileStatus {};
    m_fileSize = fstat(fileno(file), &fileStatus) == 0 ? static_cast<std::int64_t>(fileStatus.st_size) : -1;
    if (m_bytes.empty()) m_bytes.resize(kByteBufferSize);
    m_bytePos = m_byteEnd = 0;
    m_eof = false;

    EnsureBytes(3);
    const auto startsWith = [this](std::string_view mark) {
        return m_byteEnd >= mark.size() && std::memcmp(m_bytes.data(), mark.data(), mark.size()) == 0;
    };
    const bool utf16LeMark = startsWith("\xFF\xFE");
    const bool utf16BeMark = startsWith("\xFE\xFF");
    const bool utf8Mark = startsWith("\xEF\xBB\xBF");
    Encoding encoding = Encoding::Cp932;
    switch (choice) {
        case EncodingChoice::Detect:
            if (utf16LeMark) {
                encoding = Encoding::Utf16Le;
            } else if (utf16BeMark) {
                encoding = Encoding::Utf16Be;
            } else if (utf8Mark || IsUtf8Text()) {
                encoding = Encoding::Utf8;
            }
            break;
        case EncodingChoice::MarkOnly:
            if (utf16LeMark) encoding = Encoding::Utf16Le;
            break;
        case EncodingChoice::Cp932: encoding = Encoding::Cp932; break;
        case EncodingChoice::Utf8: encoding = Encoding::Utf8; break;
        case EncodingChoice::Utf16Le: encoding = Encoding::Utf16Le; break;
        case EncodingChoice::Utf16Be: encoding = Encoding::Utf16Be; break;
        case EncodingChoice::EucJp: encoding = Encoding::EucJp; break;
    }
    // The text starts after a mark of the encoding's own kind.
    m_textStart = 0;
    if ((encoding == Encoding::Utf16Le && utf16LeMark) || (encoding == Encoding::Utf16Be && utf16BeMark)) {
        m_textStart = 2;
    } else if (encoding == Encoding::Utf8 && utf8Mark) {
        m_textStart = 3;
    }

    if (const char* name = IcuConverterName(encoding)) {
        if (m_converter != nullptr) ucnv_close(m_converter);
        UErrorCode status = U_ZERO_ERROR;
        m_converter = ucnv_open(name, &status);
        if (U_SUCCESS(status)) {
            ucnv_setToUCallBack(m_converter, &MarkUndecodableBytes, nullptr, nullptr, nullptr, &status);
        }
        if (U_FAILURE(status)) {
            Close();
            return false;
        }
        if (m_units.empty()) m_units.resize(kUnitBufferSize);
    } else if (encoding == Encoding::Cp932) {
        Cp932();  // build the tables now rather than inside the first line
    }
    m_report.encoding = encoding;
    Rewind();
    return true;
}

void TextLineReader::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_bytePos = m_byteEnd = 0;
    m_eof = false;
}

void TextLineReader::Rewind() {
    if (m_file == nullptr) return;
    std::clearerr(m_file);
    const bool sought = std::fseek(m_file, m_textStart, SEEK_SET) == 0;
    m_fileOffset = m_textStart;
    m_bytePos = m_byteEnd = 0;
    m_eof = !sought;
    m_linesRead = 0;
    m_report.undecodableBytes = 0;
    m_report.firstUndecodableLine = 0;
    m_unitPos = m_unitEnd = 0;
    m_unitsFlushed = false;
    if (m_converter != nullptr) ucnv_resetToUnicode(m_converter);
}

bool TextLineReader::FillBytes() {
    if (m_eof || m_file == nullptr) return false;
    if (m_bytePos > 0) {
        std::memmove(m_bytes.data(), m_bytes.data() + m_bytePos, m_byteEnd - m_bytePos);
        m_byteEnd -= m_bytePos;
        m_bytePos = 0;
    }
    const std::size_t got = std::fread(m_bytes.data() + m_byteEnd, 1, m_bytes.size() - m_byteEnd, m_file);
    if (got == 0) {
        // End of file, or a read error, which ends the text the same way.
        m_eof = true;
        return false;
    }
    m_byteEnd += got;
    m_fileOffset += static_cast<std::int64_t>(got);
    return true;
}

bool TextLineReader::EnsureBytes(std::size_t count) {
    while (m_byteEnd - m_bytePos < count) {
        if (!FillBytes()) return false;
    }
    return true;
}

bool TextLineReader::IsUtf8Text() {
    bool multiByte = false;
    for (;;) {
        const unsigned char* const data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const unsigned char* const end = data + m_byteEnd;
        while (p < end) {
            // Runs of ASCII sixteen bytes at a time.
            std::uint64_t first, second;
            while (end - p >= 16 && (std::memcpy(&first, p, 8), std::memcpy(&second, p + 8, 8),
                                     ((first | second) & 0x8080808080808080ull) == 0)) {
                p += 16;
            }
            if (p == end) break;
            const unsigned cls = kUtf8.of[*p];
            if (cls == kAscii || cls == kStop) {
                ++p;
                continue;
            }
            if (cls == kLead3) {
                std::size_t none = 0;
                const unsigned char* const after = ThreeByteRun(p, end, nullptr, none);
                if (after != p) {
                    multiByte = true;
                    p = after;
                    continue;
                }
            }
            if (cls == kBad) return false;
            const std::size_t size = cls - kLead2 + 2;
            if (static_cast<std::size_t>(end - p) < size) break;  // its rest comes with the next read
            if (DecodeUtf8(p, cls) < 0) return false;
            multiByte = true;
            p += size;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        // A file that ends inside a sequence is not UTF-8 text.
        if (!FillBytes()) return m_bytePos == m_byteEnd && multiByte;
    }
}

void TextLineReader::NoteUndecodable(std::int64_t bytes) {
    if (m_report.undecodableBytes == 0) m_report.firstUndecodableLine = m_linesRead + 1;
    m_report.undecodableBytes += bytes;
}

bool TextLineReader::ReadLine(std::u16string& line) {
    if (m_file == nullptr) return false;
    std::size_t length = 0;
    bool got = false;
    switch (m_report.encoding) {
        case Encoding::Cp932: got = ReadCp932Line(line, length); break;
        case Encoding::Utf8: got = ReadUtf8Line(line, length); break;
        case Encoding::Utf16Le: got = ReadUtf16Line<false>(line, length); break;
        case Encoding::Utf16Be: got = ReadUtf16Line<true>(line, length); break;
        case Encoding::EucJp: got = ReadConvertedLine(line, length); break;
    }
    line.resize(got ? length : 0);
    if (got) ++m_linesRead;
    return got;
}

std::size_t TextLineReader::RemainingUnits() const {
    // Every byte gives at most one code unit (UTF-16 one per two bytes);
    // units a converter holds already come on top.
    const std::int64_t unread = m_fileSize > m_fileOffset ? m_fileSize - m_fileOffset : 0;
    std::size_t bytes = static_cast<std::size_t>(unread) + (m_byteEnd - m_bytePos);
    if (m_report.encoding == Encoding::Utf16Le || m_report.encoding == Encoding::Utf16Be) bytes /= 2;
    return bytes + (m_unitEnd - m_unitPos);
}

void TextLineReader::Grow(std::u16string& line, std::size_t need) const {
    // Within the capacity the string has, doubling; past it, no further
    // than the rest of the file can fill, so that a line of hundreds of
    // megabytes is held once and not in a buffer up to twice its size. (An
    // eighth more at least, should the file grow while it is read.)
    const std::size_t size = line.size();
    std::size_t grown = std::max(size * 2, kInitialLineCapacity);
    if (grown > line.capacity() && size == line.capacity()) {
        grown = std::max(std::min(grown, std::max(size + RemainingUnits() + 2, size + size / 8)), need);
        // A fresh string takes the capacity asked for; resize() would round
        // it up to twice the old one.
        std::u16string bigger;
        bigger.reserve(grown);
        bigger.append(line);
        line.swap(bigger);
    } else if (grown > line.capacity()) {
        grown = line.capacity();
    }
    line.resize(std::max(grown, need));
}

// The readers decode straight into the caller's line, whose size is the room
// in use (ReadLine cuts it to the line's length). The inner loop runs over as many
// bytes as are buffered and as fit into the line buffer, and stops only at a
// byte that needs a decision: line feed, carriage return, NUL, a sequence
// whose bytes are not all at hand, an undecodable byte. After a NUL the text
// is cut, but the rest of the physical line is still decoded (and thrown
// away) so that the next line starts where it would without the NUL.
//
// The byte encodings read a carriage return and line feed as one line feed
// first, and then drop one carriage return directly before the line feed,
// so "x CR CR LF" is the line "x". An undecodable byte ends the line it is
// in; the rest of the physical line is the next line. At the start of a line
// it is skipped, so no byte ever ends the text.

bool TextLineReader::TakeLineControl(unsigned char b, std::u16string& line, std::size_t& len, std::size_t& textEnd) {
    if (b == '\n') {
        ++m_bytePos;
        return true;
    }
    if (b == '\r') {
        if (EnsureBytes(2) && m_bytes[m_bytePos + 1] == '\n') {
            m_bytePos += 2;
            if (textEnd == kNoText && len > 0 && line[len - 1] == u'\r') --len;
            return true;
        }
        ++m_bytePos;
        line[len++] = u'\r';
        return false;
    }
    if (textEnd == kNoText) textEnd = len;
    ++m_bytePos;
    return false;
}

bool TextLineReader::ReadCp932Line(std::u16string& line, std::size_t& length) {
    const Cp932Table& table = Cp932();
    std::size_t len = 0;
    std::size_t textEnd = kNoText;  // where a NUL cut the text
    bool readSomething = false;

    for (;;) {
        if (m_bytePos == m_byteEnd && !FillBytes()) break;
        if (len == line.size()) Grow(line, len + 1);

        char16_t* out = line.data();
        const unsigned char* data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const unsigned char* const end = data + m_byteEnd;
        // Every byte gives at most one code unit, so `stop` keeps the writes
        // inside the line buffer.
        const unsigned char* const stop = p + std::min<std::size_t>(end - p, line.size() - len);
        const unsigned char* const start = p;
        while (p < stop) {
            const unsigned char b = *p;
            const char16_t c = table.single[b];
            if (c != kNotSingle) {
                out[len++] = c;
                ++p;
                continue;
            }
            const int slot = table.leadSlot[b];
            if (slot >= 0 && p + 1 < end && p[1] != 0 && p[1] != '\r') {
                const char16_t pair = table.Pair(slot, p[1]);
                if (pair == kReplacement) NoteUndecodable(2);
                out[len++] = pair;
                p += 2;
                continue;
            }
            break;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        if (p != start) readSomething = true;
        if (textEnd != kNoText) len = textEnd;
        if (p >= stop) continue;

        // A byte that needs a decision; the line buffer has room for one more.
        const unsigned char b = *p;
        if (b == '\n' || b == '\r' || b == 0) {
            readSomething = true;
            if (TakeLineControl(b, line, len, textEnd)) break;
            continue;
        }
        const int slot = table.leadSlot[b];
        if (slot >= 0) {
            readSomething = true;
            // The partner byte is beyond the buffer, is NUL or is a carriage
            // return. A lead byte at the end of the file, or before a NUL,
            // stands for a character that was cut off: U+FFFD, and the NUL
            // keeps its meaning. A carriage return before a line feed reads
            // as the line feed, which then becomes the pair's second byte.
            if (!EnsureBytes(2) || m_bytes[m_bytePos + 1] == 0) {
                ++m_bytePos;
                NoteUndecodable(1);
                line[len++] = kReplacement;
                continue;
            }
            unsigned trail = m_bytes[m_bytePos + 1];
            std::size_t used = 2;
            if (trail == '\r' && EnsureBytes(3) && m_bytes[m_bytePos + 2] == '\n') {
                trail = '\n';
                used = 3;
            }
            m_bytePos += used;
            const char16_t pair = table.Pair(slot, trail);
            if (pair == kReplacement) NoteUndecodable(2);
            line[len++] = pair;
            continue;
        }
        ++m_bytePos;
        NoteUndecodable(1);
        if (!readSomething) continue;
        break;
    }
    if (!readSomething) return false;
    length = textEnd != kNoText ? textEnd : len;
    return true;
}

bool TextLineReader::ReadUtf8Line(std::u16string& line, std::size_t& length) {
    std::size_t len = 0;
    std::size_t textEnd = kNoText;
    bool readSomething = false;

    for (;;) {
        if (m_bytePos == m_byteEnd && !FillBytes()) break;
        if (len == line.size()) Grow(line, len + 1);

        char16_t* out = line.data();
        const unsigned char* data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const unsigned char* const end = data + m_byteEnd;
        // No sequence gives more code units than it has bytes, so a sequence
        // that ends before `stop` fits into the line buffer.
        const unsigned char* const stop = p + std::min<std::size_t>(end - p, line.size() - len);
        const unsigned char* const start = p;
        while (p < stop) {
            // Runs of ASCII in blocks, while no byte is a control character
            // below 0x0E (which covers NUL, line feed and carriage return) or
            // belongs to a multi-byte sequence.
            if (AsciiBlock(p, stop, out + len)) {
                len += kAsciiBlock;
                p += kAsciiBlock;
                continue;
            }
            const unsigned cls = kUtf8.of[*p];
            if (cls == kAscii) {
                out[len++] = *p++;
                continue;
            }
            if (cls == kLead3) {
                const unsigned char* const after = ThreeByteRun(p, stop, out, len);
                if (after != p) {
                    p = after;
                    continue;
                }
            }
            if (cls >= kLead2 && cls <= kLead4) {
                const std::size_t size = cls - kLead2 + 2;
                if (static_cast<std::size_t>(stop - p) >= size) {
                    const std::int32_t c = DecodeUtf8(p, cls);
                    if (c >= 0) {
                        len += PutCodePoint(out + len, c);
                        p += size;
                        continue;
                    }
                }
            }
            break;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        if (p != start) readSomething = true;
        if (textEnd != kNoText) len = textEnd;
        if (p >= stop) continue;

        const unsigned char b = *p;
        const unsigned cls = kUtf8.of[b];
        if (b == '\n' || b == '\r' || b == 0) {
            readSomething = true;
            if (TakeLineControl(b, line, len, textEnd)) break;
            continue;
        }
        if (cls >= kLead2 && cls <= kLead4) {
            // A sequence that runs past the buffer, or past the room left in
            // the line: decoded here once all its bytes are at hand.
            const std::size_t size = cls - kLead2 + 2;
            if (EnsureBytes(size)) {
                const std::int32_t c = DecodeUtf8(m_bytes.data() + m_bytePos, cls);
                if (line.size() - len < 2) Grow(line, len + 2);  // a surrogate pair
                if (c >= 0) {
                    len += PutCodePoint(line.data() + len, c);
                    m_bytePos += size;
                    readSomething = true;
                    continue;
                }
            }
        }
        // Malformed, or cut off by the end of the file: the lead byte is
        // undecodable, and the bytes after it are read again on their own.
        ++m_bytePos;
        NoteUndecodable(1);
        if (!readSomething) continue;
        break;
    }
    if (!readSomething) return false;
    length = textEnd != kNoText ? textEnd : len;
    return true;
}

// UTF-16 has no text-mode step: "x CR CR LF" is the line "x CR".
template <bool BigEndian>
bool TextLineReader::ReadUtf16Line(std::u16string& line, std::size_t& length) {
    std::size_t len = 0;
    std::size_t textEnd = kNoText;
    bool readSomething = false;

    for (;;) {
        if (m_byteEnd - m_bytePos < 2 && !EnsureBytes(2)) {
            // A single byte left at the end of the file is no code unit.
            if (m_byteEnd - m_bytePos == 1) {
                m_bytePos = m_byteEnd;
                NoteUndecodable(1);
            }
            break;
        }
        if (len == line.size()) Grow(line, len + 1);

        char16_t* out = line.data();
        const unsigned char* data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const std::size_t units = std::min<std::size_t>((m_byteEnd - m_bytePos) / 2, line.size() - len);
        const unsigned char* const stop = p + units * 2;
        const unsigned char* const start = p;
        while (p < stop) {
            if (Utf16Block<BigEndian>(p, stop, out + len)) {
                len += 8;
                p += 16;
                continue;
            }
            const char16_t c = Utf16Unit<BigEndian>(p);
            if (c <= u'\r' && (c == u'\n' || c == u'\r' || c == 0)) break;
            out[len++] = c;
            p += 2;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        if (p != start) readSomething = true;
        if (textEnd != kNoText) len = textEnd;
        if (p == stop) continue;

        readSomething = true;
        const char16_t c = Utf16Unit<BigEndian>(p);
        if (c == u'\n') {
            m_bytePos += 2;
            break;
        }
        if (c == u'\r') {
            if (EnsureBytes(4) && Utf16Unit<BigEndian>(m_bytes.data() + m_bytePos + 2) == u'\n') {
                m_bytePos += 4;
                break;
            }
            m_bytePos += 2;
            line[len++] = u'\r';
            continue;
        }
        // NUL
        if (textEnd == kNoText) textEnd = len;
        m_bytePos += 2;
    }
    if (!readSomething) return false;
    length = textEnd != kNoText ? textEnd : len;
    return true;
}

bool TextLineReader::FillUnits() {
    if (m_unitPos > 0) {
        std::memmove(m_units.data(), m_units.data() + m_unitPos, (m_unitEnd - m_unitPos) * sizeof(char16_t));
        m_unitEnd -= m_unitPos;
        m_unitPos = 0;
    }
    // A sequence split between two reads stays inside the converter until
    // its rest comes; the end of the file flushes what is left as undecodable.
    while (m_unitEnd == 0 && !m_unitsFlushed) {
        if (m_bytePos == m_byteEnd) FillBytes();
        const bool flush = m_bytePos == m_byteEnd;
        const char* source = reinterpret_cast<const char*>(m_bytes.data() + m_bytePos);
        const char* const sourceEnd = reinterpret_cast<const char*>(m_bytes.data() + m_byteEnd);
        UChar* target = reinterpret_cast<UChar*>(m_units.data());
        UChar* const targetEnd = target + m_units.size();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter, &target, targetEnd, &source, sourceEnd, nullptr, flush, &status);
        m_bytePos = static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(source) - m_bytes.data());
        m_unitEnd = static_cast<std::size_t>(target - reinterpret_cast<UChar*>(m_units.data()));
        if (flush && status != U_BUFFER_OVERFLOW_ERROR) m_unitsFlushed = true;
    }
    return m_unitEnd > 0;
}

bool TextLineReader::ReadConvertedLine(std::u16string& line, std::size_t& length) {
    std::size_t len = 0;
    std::size_t textEnd = kNoText;
    bool readSomething = false;
    for (;;) {
        if (m_unitPos == m_unitEnd && !FillUnits()) break;
        const char16_t c = m_units[m_unitPos++];
        if (c == u'\n') {
            readSomething = true;
            // The carriage return of CR LF, then one more before the line feed.
            for (int i = 0; i < 2 && textEnd == kNoText && len > 0 && line[len - 1] == u'\r'; ++i) --len;
            break;
        }
        if (c == kUndecodableMark) {
            NoteUndecodable(1);
            if (!readSomething) continue;
            break;
        }
        readSomething = true;
        if (c == 0 && textEnd == kNoText) textEnd = len;
        if (textEnd != kNoText) continue;
        if (len == line.size()) Grow(line, len + 1);
        line[len++] = c;
    }
    if (!readSomething) return false;
    length = textEnd != kNoText ? textEnd : len;
    return true;
}

std::optional<std::u16string> ReadWholeText(const std::u16string& path, EncodingChoice choice,
                                            TextLineReader::Report* report) {
    TextLineReader reader;
    if (!reader.Open(path, choice)) return std::nullopt;
    std::u16string text;
    std::u16string line;
    for (bool first = true; reader.ReadLine(line); first = false) {
        if (!first) text += u'\n';
        text += line;
    }
    if (report != nullptr) *report = reader.GetReport();
    return text;
}

}  // namespace zorvia
