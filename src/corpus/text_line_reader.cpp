#include "corpus/text_line_reader.h"

#include <unicode/ucnv.h>

#include <sys/stat.h>

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

std::FILE* OpenForReading(const std::u16string& path) {
#ifdef _WIN32
    return _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
#else
    return std::fopen(WideToUtf8(path).c_str(), "rb");
#endif
}

}  // namespace

TextLineReader::TextLineReader() : m_line(kInitialLineCapacity, u'\0') {}

TextLineReader::~TextLineReader() { Close(); }

bool TextLineReader::IsOpen() const { return m_file != nullptr; }

bool TextLineReader::Open(const std::u16string& path) {
    Close();
    std::FILE* file = OpenForReading(path);
    if (file == nullptr) return false;
    // A directory opens on some systems but has no text to read.
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) {
        std::fclose(file);
        return false;
    }
    // Our own buffer is the only one: the stream reads straight into it.
    std::setvbuf(file, nullptr, _IONBF, 0);
    m_file = file;
    if (m_bytes.empty()) m_bytes.resize(kByteBufferSize);
    m_bytePos = m_byteEnd = 0;
    m_eof = m_stopped = false;

    m_encoding = Encoding::Cp932;
    m_textStart = 0;
    if (EnsureBytes(2) && m_bytes[0] == 0xFF && m_bytes[1] == 0xFE) {
        m_encoding = Encoding::Utf16Le;
        m_textStart = 2;
        m_bytePos = 2;
    } else {
        Cp932();  // build the tables now rather than inside the first line
    }
    return true;
}

void TextLineReader::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_bytePos = m_byteEnd = 0;
    m_eof = m_stopped = false;
}

void TextLineReader::Rewind() {
    if (m_file == nullptr) return;
    std::clearerr(m_file);
    const bool sought = std::fseek(m_file, m_textStart, SEEK_SET) == 0;
    m_bytePos = m_byteEnd = 0;
    m_eof = !sought;
    m_stopped = false;
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
    return true;
}

bool TextLineReader::EnsureBytes(std::size_t count) {
    while (m_byteEnd - m_bytePos < count) {
        if (!FillBytes()) return false;
    }
    return true;
}

bool TextLineReader::ReadLine(std::u16string& line) {
    if (m_file == nullptr || m_stopped) return false;
    std::size_t length = 0;
    const bool got = m_encoding == Encoding::Utf16Le ? ReadUtf16Line(length) : ReadCp932Line(length);
    if (got) line.assign(m_line.data(), length);
    return got;
}

// Both readers decode straight into m_line. The inner loop runs over as many
// bytes as are buffered and as fit into the line buffer, and stops only at a
// byte that needs a decision: line feed, carriage return, NUL, a lead byte
// whose partner is not at hand, an undecodable byte. After a NUL the text is
// cut, but the rest of the physical line is still decoded (and thrown away)
// so that the next line starts where it would without the NUL.

bool TextLineReader::ReadCp932Line(std::size_t& length) {
    const Cp932Table& table = Cp932();
    std::size_t len = 0;
    std::size_t textEnd = kNoText;  // where a NUL cut the text
    bool readSomething = false;

    for (;;) {
        if (m_bytePos == m_byteEnd && !FillBytes()) break;
        if (len == m_line.size()) m_line.resize(m_line.size() * 2);

        char16_t* out = m_line.data();
        const unsigned char* data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const unsigned char* const end = data + m_byteEnd;
        // Every byte gives at most one code unit, so `stop` keeps the writes
        // inside the line buffer.
        const unsigned char* const stop = p + std::min<std::size_t>(end - p, m_line.size() - len);
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
                out[len++] = table.Pair(slot, p[1]);
                p += 2;
                continue;
            }
            break;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        const bool firstByteOfLine = !readSomething && p == start;
        if (p != start) readSomething = true;
        if (textEnd != kNoText) len = textEnd;
        if (p >= stop) continue;

        // A byte that needs a decision; the line buffer has room for one more.
        readSomething = true;
        const unsigned char b = *p;
        if (b == '\n') {
            ++m_bytePos;
            break;
        }
        if (b == '\r') {
            if (EnsureBytes(2) && m_bytes[m_bytePos + 1] == '\n') {
                m_bytePos += 2;
                break;
            }
            ++m_bytePos;
            m_line[len++] = u'\r';
            continue;
        }
        if (b == 0) {
            if (textEnd == kNoText) textEnd = len;
            ++m_bytePos;
            continue;
        }
        const int slot = table.leadSlot[b];
        if (slot >= 0) {
            // The partner byte is beyond the buffer, is NUL or is a carriage
            // return. A lead byte at the end of the file, or before a NUL,
            // stands for a character that was cut off: U+FFFD, and the NUL
            // keeps its meaning. A carriage return before a line feed reads
            // as the line feed, which then becomes the pair's second byte.
            if (!EnsureBytes(2) || m_bytes[m_bytePos + 1] == 0) {
                ++m_bytePos;
                m_line[len++] = kReplacement;
                continue;
            }
            unsigned trail = m_bytes[m_bytePos + 1];
            std::size_t used = 2;
            if (trail == '\r' && EnsureBytes(3) && m_bytes[m_bytePos + 2] == '\n') {
                trail = '\n';
                used = 3;
            }
            m_bytePos += used;
            m_line[len++] = table.Pair(slot, trail);
            continue;
        }
        // An undecodable single byte ends the line here. When it is the
        // first byte of a line, the text ends: the reader stays at the end
        // until Rewind, so every caller sees the same lines.
        ++m_bytePos;
        if (firstByteOfLine) {
            m_stopped = true;
            return false;
        }
        break;
    }
    if (!readSomething) return false;
    length = textEnd != kNoText ? textEnd : len;
    return true;
}

bool TextLineReader::ReadUtf16Line(std::size_t& length) {
    std::size_t len = 0;
    std::size_t textEnd = kNoText;
    bool readSomething = false;

    for (;;) {
        // A single byte left at the end of the file is no code unit: dropped.
        if (m_byteEnd - m_bytePos < 2 && !EnsureBytes(2)) break;
        if (len == m_line.size()) m_line.resize(m_line.size() * 2);

        char16_t* out = m_line.data();
        const unsigned char* data = m_bytes.data();
        const unsigned char* p = data + m_bytePos;
        const std::size_t units = std::min<std::size_t>((m_byteEnd - m_bytePos) / 2, m_line.size() - len);
        const unsigned char* const stop = p + units * 2;
        const unsigned char* const start = p;
        while (p < stop) {
            const char16_t c = static_cast<char16_t>(p[0] | (p[1] << 8));
            if (c <= u'\r' && (c == u'\n' || c == u'\r' || c == 0)) break;
            out[len++] = c;
            p += 2;
        }
        m_bytePos = static_cast<std::size_t>(p - data);
        if (p != start) readSomething = true;
        if (textEnd != kNoText) len = textEnd;
        if (p == stop) continue;

        readSomething = true;
        const char16_t c = static_cast<char16_t>(p[0] | (p[1] << 8));
        if (c == u'\n') {
            m_bytePos += 2;
            break;
        }
        if (c == u'\r') {
            if (EnsureBytes(4) && m_bytes[m_bytePos + 2] == '\n' && m_bytes[m_bytePos + 3] == 0) {
                m_bytePos += 4;
                break;
            }
            m_bytePos += 2;
            m_line[len++] = u'\r';
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

}  // namespace zorvia
