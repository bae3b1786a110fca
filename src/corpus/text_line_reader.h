// Reads a text file line by line. The encoding comes from the file's bytes:
// a UTF-16 or UTF-8 byte-order mark, then text that is valid UTF-8 as a
// whole, and otherwise code page 932 (Shift_JIS as Windows writes it); or it
// is chosen by the caller. A byte that does not decode never ends the text:
// it is counted, and reading goes on.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct UConverter UConverter;

namespace zorvia {

// How TextLineReader::Open picks the decoding.
enum class EncodingChoice {
    Detect,    // marks FF FE, FE FF and EF BB BF, then valid UTF-8, then code page 932
    MarkOnly,  // only FF FE (UTF-16 LE); everything else code page 932
    Cp932,     // forced; a mark of the forced encoding's own kind is skipped
    Utf8,
    Utf16Le,
    Utf16Be,
    EucJp,
};

// "auto" (Detect), "cp932", "utf-8", "utf-16le", "utf-16be" or "euc-jp".
std::optional<EncodingChoice> ParseEncodingChoice(std::string_view name);

class TextLineReader {
public:
    enum class Encoding { Utf16Le, Cp932, Utf16Be, Utf8, EucJp };

    // How the text was read: the encoding, and the bytes that did not
    // decode since the file was opened or rewound, with the line (counted
    // from 1, as ReadLine delivers them) where the first of them was.
    struct Report {
        Encoding encoding = Encoding::Cp932;
        std::int64_t undecodableBytes = 0;
        std::int64_t firstUndecodableLine = 0;  // 0 when there was none
    };

    TextLineReader();
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    // Opens a regular file (anything else, a FIFO or a directory, is
    // refused without waiting on it) and settles its encoding.
    bool Open(const std::u16string& path, EncodingChoice choice = EncodingChoice::Detect);
    // The next line without its line end into `line`, decoded in place (its
    // capacity is reused from line to line); false, and `line` empty, at the
    // end of the file. A byte that does not decode ends the line it is in, and the
    // rest of the physical line is read as a line of its own; at the start
    // of a line it is skipped.
    bool ReadLine(std::u16string& line);
    // Back to the first line, after the byte-order mark; the counts of the
    // report start again.
    void Rewind();
    void Close();

    bool IsOpen() const;
    Encoding GetEncoding() const { return m_report.encoding; }
    const Report& GetReport() const { return m_report; }

private:
    // Reads more of the file behind the unread bytes; false when nothing came.
    bool FillBytes();
    // At least `count` unread bytes in the buffer; false when the file has
    // fewer left.
    bool EnsureBytes(std::size_t count);
    // Whether the file from its start is valid UTF-8 holding at least one
    // multi-byte sequence. Leaves the buffer empty.
    bool IsUtf8Text();
    void NoteUndecodable(std::int64_t bytes);
    // One line into `line`; its length in `length`. False when there is none.
    // LF, CR and NUL at m_bytePos, which the byte encodings read alike:
    // true when the line ends there (LF, or CR before LF, dropping one CR
    // before it); otherwise a lone CR went into the line or a NUL cut its
    // text, and reading goes on.
    bool TakeLineControl(unsigned char b, std::u16string& line, std::size_t& len, std::size_t& textEnd);
    bool ReadCp932Line(std::u16string& line, std::size_t& length);
    bool ReadUtf8Line(std::u16string& line, std::size_t& length);
    template <bool BigEndian>
    bool ReadUtf16Line(std::u16string& line, std::size_t& length);
    // Encodings decoded by an ICU converter into m_units first.
    bool ReadConvertedLine(std::u16string& line, std::size_t& length);
    // An upper bound of the code units still to come.
    std::size_t RemainingUnits() const;
    // Makes `line` at least `need` long for more decoded text.
    void Grow(std::u16string& line, std::size_t need) const;
    bool FillUnits();

    std::FILE* m_file = nullptr;
    Report m_report;
    long m_textStart = 0;                   // the length of the byte-order mark
    std::vector<unsigned char> m_bytes;     // raw read buffer
    std::size_t m_bytePos = 0;              // next unread byte
    std::size_t m_byteEnd = 0;              // end of the bytes read so far
    bool m_eof = false;
    std::int64_t m_linesRead = 0;           // lines delivered since Open or Rewind
    std::int64_t m_fileSize = -1;           // -1 when unknown
    std::int64_t m_fileOffset = 0;          // where the next read of the file starts
    UConverter* m_converter = nullptr;      // for the encodings ICU decodes
    std::u16string m_units;                 // its output, read from m_unitPos to m_unitEnd
    std::size_t m_unitPos = 0;
    std::size_t m_unitEnd = 0;
    bool m_unitsFlushed = false;
};

// The name of an encoding as the corpus tool's --encoding takes it.
const char* EncodingName(TextLineReader::Encoding encoding);

// The text of a whole file as TextLineReader reads it, its lines joined by
// line feeds; nothing when the file cannot be opened.
std::optional<std::u16string> ReadWholeText(const std::u16string& path, EncodingChoice choice,
                                            TextLineReader::Report* report = nullptr);

}  // namespace zorvia
