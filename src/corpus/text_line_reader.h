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
    // the file (or at an undecodable byte that starts a line).
    bool ReadLine(std::u16string& line);
    // Back to the first line, after the byte-order mark of a UTF-16 file.
    void Rewind();
    void Close();

    bool IsOpen() const;
    Encoding GetEncoding() const { return m_encoding; }

private:
    // Implementation detail of the decoder; see the .cpp file.
    bool FillBytes();

    std::FILE* m_file = nullptr;
    Encoding m_encoding = Encoding::Cp932;
    std::vector<unsigned char> m_bytes;     // raw read buffer
    std::size_t m_bytePos = 0;
    std::size_t m_byteEnd = 0;
    bool m_eof = false;
    bool m_stopped = false;                 // reading ended at an undecodable byte
    std::u16string m_line;                  // reused and only grown
};

}  // namespace zorvia
