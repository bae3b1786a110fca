// Reads a text file line by line: UTF-16 little-endian after the byte-order
// mark FF FE, otherwise code page 932 (Shift_JIS as Windows writes it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zorvia {

class TextLineReader {
public:
    enum class Encoding { Utf16Le, Cp932 };

    TextLineReader();
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool Open(const std::u16string& path);
    // The next line without its line end into `line`; false at the end of
    // the file, or at an undecodable byte that starts a line (and from then
    // on until Rewind).
    bool ReadLine(std::u16string& line);
    // Back to the first line, after the byte-order mark of a UTF-16 file.
    void Rewind();
    void Close();

    bool IsOpen() const;
    Encoding GetEncoding() const { return m_encoding; }

private:
    // Reads more of the file behind the unread bytes; false when nothing came.
    bool FillBytes();
    // At least `count` unread bytes in the buffer; false when the file has
    // fewer left.
    bool EnsureBytes(std::size_t count);
    // One line into m_line; its length in `length`. False when there is none.
    bool ReadCp932Line(std::size_t& length);
    bool ReadUtf16Line(std::size_t& length);

    std::FILE* m_file = nullptr;
    Encoding m_encoding = Encoding::Cp932;
    long m_textStart = 0;                   // 2 behind the byte-order mark
    std::vector<unsigned char> m_bytes;     // raw read buffer
    std::size_t m_bytePos = 0;              // next unread byte
    std::size_t m_byteEnd = 0;              // end of the bytes read so far
    bool m_eof = false;
    bool m_stopped = false;                 // reading ended at an undecodable byte
    std::u16string m_line;                  // reused and only grown; size() is the capacity in use
};

}  // namespace zorvia
