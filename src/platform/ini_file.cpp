#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/file_status.h"
#include "platform/text_convert.h"

// The file is UTF-8 text. Lines end in LF or CR LF; a UTF-8 byte-order mark
// at the start is skipped. A line is
//   - a section header: "[name]", blanks allowed around the name and the
//     brackets; text after the closing bracket is ignored;
//   - a comment: first non-blank character ';' or '#';
//   - an entry: "key=value", the key being the text before the first '=';
//   - anything else (blank lines, junk without '='), which is kept but never
//     matches a key.
// Names compare ASCII-case-insensitively, without their surrounding blanks.
// A value loses its surrounding blanks, and then one pair of enclosing double
// quotes; the writer adds such quotes exactly when a value would otherwise not
// read back unchanged. Several sections of the same name count as one, in file
// order, and a missing key is added to the first of them; of duplicate keys
// the first one counts, for reading and for writing.
//
// The file is small and written a dozen times at exit, so each operation reads
// the whole file, and a write puts the complete new text into a temporary file
// beside it and renames that over the old one: a crash or a full disk leaves
// either the old file or the new one, never a truncated mix.

namespace zorvia {

namespace {

// A settings file is a few hundred bytes. Anything this large is not one of
// ours: it is neither loaded nor rewritten.
constexpr std::size_t kMaxFileBytes = 16u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlank16(char16_t c) { return c == u' ' || c == u'\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::u16string_view TrimBlanks16(std::u16string_view s) {
    while (!s.empty() && IsBlank16(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank16(s.back())) s.remove_suffix(1);
    return s;
}

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// `fileName` is raw bytes from the file, `wanted` an already trimmed name.
bool SameName(std::string_view fileName, std::u16string_view wanted) {
    const std::u16string decoded = Utf8ToWide(fileName);
    if (decoded.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (AsciiUpper(decoded[i]) != AsciiUpper(wanted[i])) return false;
    }
    return true;
}

struct Line {
    std::size_t begin;  // offset of the first byte in the text
    std::size_t end;    // offset after the line break (or the end of the text)
    std::string_view content;  // without the line break
};

enum class LineKind { Header, Entry, Other };

struct Parsed {
    LineKind kind = LineKind::Other;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // raw value of an entry, not yet trimmed
};

Parsed ParseLine(std::string_view content) {
    const std::string_view t = TrimBlanks(content);
    if (t.empty() || t.front() == ';' || t.front() == '#') return {};
    if (t.front() == '[') {
        const auto close = t.find(']');
        if (close == std::string_view::npos) return {};
        return {LineKind::Header, TrimBlanks(t.substr(1, close - 1)), {}};
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return {};
    return {LineKind::Entry, TrimBlanks(t.substr(0, eq)), t.substr(eq + 1)};
}

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto nl = text.find('\n', pos);
        const std::size_t stop = (nl == std::string_view::npos) ? text.size() : nl;
        std::string_view content = text.substr(pos, stop - pos);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        const std::size_t end = (nl == std::string_view::npos) ? text.size() : nl + 1;
        lines.push_back({pos, end, content});
        pos = end;
    }
    return lines;
}

// Where a key stands in a file, and where a missing one would go.
struct Location {
    std::optional<std::size_t> entry;          // line of the key
    std::optional<std::size_t> sectionHeader;  // first header of the section
    std::size_t lastLineOfSection = 0;         // last entry of the first section, or its header
};

Location Locate(const std::vector<Line>& lines, std::u16string_view section, std::u16string_view key) {
    Location where;
    bool inSection = false;
    bool inFirstSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = ParseLine(lines[i].content);
        if (p.kind == LineKind::Header) {
            inSection = SameName(p.name, section);
            inFirstSection = inSection && !where.sectionHeader;
            if (inFirstSection) {
                where.sectionHeader = i;
                where.lastLineOfSection = i;
            }
        } else if (p.kind == LineKind::Entry && inSection) {
            if (inFirstSection) where.lastLineOfSection = i;
            if (!where.entry && SameName(p.name, key)) where.entry = i;
        }
    }
    return where;
}

std::string_view SkipByteOrderMark(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

enum class LoadResult { Loaded, Missing, Unusable };

// The whole file. Missing when there is no such file; Unusable when something
// is there that cannot be read as a regular file of sensible size.
LoadResult LoadFile(const std::string& path, std::string& bytes, mode_t* mode = nullptr) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? LoadResult::Missing : LoadResult::Unusable;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) {
        close(fd);
        return LoadResult::Unusable;
    }
    if (mode != nullptr) *mode = st.st_mode;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxFileBytes) {
            close(fd);
            return LoadResult::Unusable;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return LoadResult::Loaded;
}

// The path a write goes to: a symbolic link is followed, so that a linked
// settings file stays linked.
std::string WriteTarget(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return path;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes the complete text to a new file beside `path` and renames it over
// `path`. `keepMode` is the permission set of the file being replaced.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::optional<mode_t> keepMode) {
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        // 0666 through the umask, as for any newly created file.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && keepMode) ok = fchmod(fd, *keepMode & 07777) == 0;
    // The data must be on disk before the rename makes it the settings file.
    if (ok) ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

// What ends the file's last line, which has no line feed, before a line is
// added after it. A lone CR there already belongs to the line's end (the
// reader drops it); it only needs its line feed, and a CR LF after it would
// leave one CR in the line's value.
std::string EndOfLastLine(std::string_view text, const std::string& eol) {
    return !text.empty() && text.back() == '\r' ? "\n" : eol;
}

bool HasLineBreak(std::u16string_view s) { return s.find_first_of(u"\r\n") != std::u16string_view::npos; }

// The value as it goes into the file so that reading gives it back unchanged.
std::u16string StoredValue(std::u16string_view value) {
    const bool blankEdge = !value.empty() && (IsBlank16(value.front()) || IsBlank16(value.back()));
    const bool quoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    if (!blankEdge && !quoted) return std::u16string(value);
    return u"\"" + std::u16string(value) + u"\"";
}

std::u16string CutTo(std::u16string text, std::size_t maxChars) {
    if (text.size() <= maxChars) return text;
    std::size_t n = maxChars;
    // Do not leave half of a surrogate pair at the end.
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    text.resize(n);
    return text;
}

}  // namespace

std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultText, const std::u16string& path,
                                 std::size_t maxChars) {
    const std::u16string_view wantedSection = TrimBlanks16(section);
    const std::u16string_view wantedKey = TrimBlanks16(key);
    std::string bytes;
    if (path.empty() || wantedKey.empty() || LoadFile(NativePath(path), bytes) != LoadResult::Loaded) {
        return CutTo(std::u16string(defaultText), maxChars);
    }
    const auto lines = SplitLines(SkipByteOrderMark(bytes));
    const Location where = Locate(lines, wantedSection, wantedKey);
    if (!where.entry) return CutTo(std::u16string(defaultText), maxChars);

    std::string_view value = TrimBlanks(ParseLine(lines[*where.entry].content).value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return CutTo(Utf8ToWide(value), maxChars);
}

bool WriteProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::u16string& path) {
    const std::u16string_view wantedSection = TrimBlanks16(section);
    const std::u16string_view wantedKey = TrimBlanks16(key);
    // Names and values that could not be read back as written are refused
    // rather than written as something else (or as an extra line).
    if (path.empty() || wantedKey.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        wantedSection.find(u']') != std::u16string_view::npos ||
        wantedKey.find(u'=') != std::u16string_view::npos ||
        wantedKey.front() == u'[' || wantedKey.front() == u';' || wantedKey.front() == u'#') {
        return false;
    }

    const std::string target = WriteTarget(NativePath(path));
    std::string old;
    mode_t mode = 0;
    const LoadResult loaded = LoadFile(target, old, &mode);
    // Something we cannot read is never replaced: that would lose its content.
    if (loaded == LoadResult::Unusable) return false;
    std::optional<mode_t> keepMode;
    if (loaded == LoadResult::Loaded) keepMode = mode;

    const std::string_view text = SkipByteOrderMark(old);
    const auto lines = SplitLines(text);
    // New lines follow the file's own line ends.
    const std::string eol = (!lines.empty() && lines[0].end >= 2 && text[lines[0].end - 2] == '\r' &&
                             text[lines[0].end - 1] == '\n')
                                ? "\r\n"
                                : "\n";
    const std::string entry = WideToUtf8(wantedKey) + "=" + WideToUtf8(StoredValue(value));
    const Location where = Locate(lines, wantedSection, wantedKey);

    std::string out;
    out.reserve(text.size() + entry.size() + 64);
    if (where.entry) {
        const Line& line = lines[*where.entry];
        out.append(text.substr(0, line.begin));
        out.append(entry);
        out.append(text.substr(line.begin + line.content.size()));  // keeps its own line end
    } else if (where.sectionHeader) {
        const Line& after = lines[where.lastLineOfSection];
        out.append(text.substr(0, after.end));
        if (text[after.end - 1] != '\n') out.append(EndOfLastLine(text, eol));
        out.append(entry + eol);
        out.append(text.substr(after.end));
    } else {
        out.append(text);
        if (!out.empty() && out.back() != '\n') out.append(EndOfLastLine(text, eol));
        out.append("[" + WideToUtf8(wantedSection) + "]" + eol);
        out.append(entry + eol);
    }

    // Nothing to change: the file already says this.
    if (loaded == LoadResult::Loaded && out == old) return true;
    return ReplaceFile(target, out, keepMode);
}

}  // namespace zorvia
