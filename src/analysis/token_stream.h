// Token access shared by the analyses. A token is a row of `word`; the
// tokens of a file are the rows whose line belongs to that file, in wid
// order, across line boundaries. The pieces here read them around given
// positions (CTokenWindows) and keep the spellings met as small ids
// (CWordForms), so that tables hold numbers and sorting compares ranks, not
// strings.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"

namespace zorvia {

// A hash of UTF-8 text that looks strings up by string_view without a copy.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Open addressing from a text's hash to an id whose text the owner keeps:
// one probe of a flat array per look-up, where a node-based map chases
// pointers through memory for each of the millions of tokens read.
class CFlatIndex {
public:
    // The id whose text `equals` accepts, or -1.
    template <typename Equals>
    std::int32_t Find(std::size_t hash, Equals equals) const {
        if (m_slots.empty()) return -1;
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.id < 0) return -1;
            if (slot.hash == hash && equals(slot.id)) return slot.id;
        }
    }
    void Insert(std::size_t hash, std::int32_t id);

private:
    struct Slot {
        std::size_t hash = 0;
        std::int32_t id = -1;
    };
    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

// Distinct texts with dense ids in order of first appearance.
class CTextIds {
public:
    std::int32_t Intern(std::string_view text);
    // -1 when the text has not been met.
    std::int32_t Find(std::string_view text) const;
    const std::string& Text(std::int32_t id) const { return m_texts[static_cast<std::size_t>(id)]; }
    std::size_t size() const { return m_texts.size(); }
    // Each id's rank when the texts are put in text order: code point order,
    // which for UTF-8 is the order of the bytes, as SQLite's BINARY
    // collation compares them.
    std::vector<std::int32_t> Ranks() const;

private:
    CFlatIndex m_index;
    std::vector<std::string> m_texts;
};

// The spellings (`word`) met while reading, each with its key
// (`word_upper`). The key of a spelling is taken as stored with it.
class CWordForms {
public:
    std::int32_t Intern(std::string_view word, std::string_view upper);
    std::size_t size() const { return m_words.size(); }
    const std::string& Word(std::int32_t form) const { return m_words[static_cast<std::size_t>(form)]; }
    std::int32_t Upper(std::int32_t form) const { return m_upper[static_cast<std::size_t>(form)]; }
    const CTextIds& Uppers() const { return m_uppers; }

private:
    // By spelling, which nearly always fixes the key; a spelling stored
    // with two different keys (a damaged corpus) has the others under
    // spelling, 0xFF, key.
    CFlatIndex m_ids;
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> m_otherKeys;
    std::string m_key;
    std::vector<std::string> m_words;
    std::vector<std::int32_t> m_upper;
    CTextIds m_uppers;
};

struct LineInfo {
    std::int32_t oid = -1;     // -1: the corpus holds no such line
    std::int32_t lineNo = -1;
};

// The file and line number of a line, read from `line`. Asked in rising lid
// order (as readers in wid order ask) it steps one cursor forward; anything
// else is a look-up by key.
class CLineLookup {
public:
    explicit CLineLookup(CCorpusReader& reader);
    LineInfo Find(std::int64_t lid);
    bool Failed() const { return m_cursor.Failed() || m_point.Failed(); }

private:
    bool Seek(std::int64_t lid);

    CStatement m_cursor;
    CStatement m_point;
    bool m_onRow = false;
    std::int64_t m_cursorLid = -1;
    LineInfo m_cursorInfo;
    struct Recent {
        std::int64_t lid = -1;
        LineInfo info;
    };
    Recent m_recent[8];
    unsigned m_nextRecent = 0;
};

struct Token {
    std::int64_t wid = 0;
    std::int64_t lid = 0;
    std::int32_t form = -1;  // -1: no token here (beyond an edge of the file)
};

// The tokens around one position.
struct TokenWindow {
    LineInfo line;          // of the anchor token
    std::int64_t lid = 0;   // of the anchor token
    std::vector<Token> tokens;  // `before` tokens, the anchor, `after` tokens
};

// Reads the window of `before` and `after` tokens around each anchor, in
// rising wid order, keeping only tokens of the anchor's own file. Anchors
// close together are served by one forward pass over `word` (a frequent
// word touches most rows anyway); anchors far apart by a look-up each.
class CTokenWindows {
public:
    CTokenWindows(CCorpusReader& reader, CWordForms& forms, CLineLookup& lines, int before, int after);
    // False when the anchor is not a token of the corpus, or on a failure
    // (Failed() then holds and the reader has SQLite's message).
    bool Read(std::int64_t anchorWid, TokenWindow& window);
    bool Failed() const { return m_forward.Failed() || m_backward.Failed() || m_lines.Failed(); }

private:
    // A token as read; its spelling becomes a form id only when a window
    // takes it (a frequent node reaches a third of the corpus, not all).
    struct Pending {
        std::int64_t wid = 0;
        std::int64_t lid = 0;
        std::int32_t form = -1;
        std::string word;
        std::string upper;
    };
    bool Pull();
    void Restart(std::int64_t anchorWid);
    std::size_t Available() const { return m_buffer.size() - m_head; }
    Token Take(Pending& read);

    CCorpusReader& m_reader;
    CWordForms& m_forms;
    CLineLookup& m_lines;
    int m_before;
    int m_after;
    CStatement m_forward;
    CStatement m_backward;
    bool m_forwardOpen = false;
    bool m_forwardEnded = false;
    // A run of consecutive tokens of the corpus: nothing lies between two
    // neighbours, and before m_buffer[m_head] lie at least m_before tokens
    // unless the run starts at the corpus's first token.
    std::vector<Pending> m_buffer;
    std::size_t m_head = 0;
};

// Every token of the corpus in wid order, with its line: the pass that
// counts over whole files. A change of `line.oid` from one token to the
// next is a file edge. `onToken` returns false to end the pass early.
JobResult ForEachToken(CCorpusReader& reader, CWordForms& forms, CLineLookup& lines, std::stop_token stop,
                       const std::function<bool(const Token&, const LineInfo&)>& onToken);

}  // namespace zorvia
