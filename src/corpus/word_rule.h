// The word rule of a corpus: how its lines are cut into words. Every corpus
// cuts at the separators (SplitWords); a corpus may instead record that the
// runs holding Japanese are cut further into MeCab's morphemes. Whatever
// finds words asks the rule of its corpus, so that the import, the stop-word
// lists, the search, the drawing of a hit and the preview always agree on
// where a word starts and ends.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/mecab_cutter.h"
#include "corpus/word_rules.h"

struct sqlite3;

namespace zorvia {

class CCorpusDatabase;

enum class WordRuleKind { Separators, Mecab };

// The names stored in the corpus file and printed by the tool.
inline constexpr char16_t kSeparatorsRuleName[] = u"separators";
inline constexpr char16_t kMecabRuleName[] = u"mecab";
std::u16string WordRuleName(WordRuleKind kind);
std::optional<WordRuleKind> ParseWordRuleName(std::u16string_view name);

// Hiragana, Katakana (half-width too), CJK ideographs, 々 〆 〇 and ー.
bool IsJapaneseCharacter(char16_t c);
bool HoldsJapanese(std::u16string_view text);

class CWordRule {
public:
    CWordRule() = default;  // the separators
    // `dictionary`: the directory of the MeCab dictionary the corpus was
    // built with (mecab only).
    CWordRule(WordRuleKind kind, std::u16string dictionary);
    // The rule of a file whose record could not be read: it cuts nothing,
    // rather than cut a corpus with a rule that may not be its own.
    static CWordRule Unreadable(std::u16string problem);
    ~CWordRule();
    CWordRule(CWordRule&&) noexcept;
    CWordRule& operator=(CWordRule&&) noexcept;

    WordRuleKind Kind() const { return m_kind; }
    bool IsSeparators() const { return m_fast; }
    bool IsReadable() const { return m_readable; }
    const std::u16string& Dictionary() const { return m_dictionary; }

    // True when words can be cut: always for the separators; for mecab once
    // MeCab has started on the corpus's dictionary (tried once). Problem()
    // says why not.
    bool CanCut();
    const std::u16string& Problem() const { return m_problem; }

    // Calls `onWord(std::u16string_view)` for each word of `line`, in order;
    // false, having called nothing, when the words cannot be cut. `onWord`
    // must not use this rule.
    template <typename OnWord>
    bool ForEachWord(std::u16string_view line, OnWord&& onWord) {
        if (m_fast) {
            zorvia::ForEachWord(line, onWord);
            return true;
        }
        if (!CutSpans(line)) return false;
        for (const WordSpan& span : m_spans) onWord(line.substr(span.start, span.length));
        return true;
    }
    // The words of `line`; nothing when they cannot be cut.
    std::vector<std::u16string> SplitWords(std::u16string_view line);
    // Where the words of `line` lie; false when they cannot be cut.
    bool WordSpans(std::u16string_view line, std::vector<WordSpan>& spans);

    // The position of occurrence number `index` (from 0) of the word
    // `upperWord` in `line`, whose fold is `upperLine`: the index-th word of
    // the line whose fold equals `upperWord`; kNotFound when there is none.
    // When the words cannot be cut, the index-th occurrence of the text.
    std::size_t FindOccurrence(std::u16string_view line, std::u16string_view upperLine,
                               std::u16string_view upperWord, int index);
    // Every such occurrence, left to right, into `positions` (replaced).
    void FindOccurrences(std::u16string_view line, std::u16string_view upperLine, std::u16string_view upperWord,
                         std::vector<std::size_t>& positions);

private:
    bool CutSpans(std::u16string_view line);

    WordRuleKind m_kind = WordRuleKind::Separators;
    bool m_fast = true;      // the separators, readable: the plain cut
    bool m_readable = true;
    bool m_loadTried = false;
    std::u16string m_dictionary;
    std::u16string m_problem;
    std::unique_ptr<CMecabCutter> m_cutter;
    std::vector<WordSpan> m_spans;
    std::vector<std::size_t> m_positions;
};

// --- the record in the corpus file -------------------------------------------

// The rule a corpus file records, read through `connection` without
// touching the result of any statement of its database object. A file
// without the record has the separators.
CWordRule ReadWordRule(sqlite3* connection);

// Why the rule of the open corpus cannot be changed now (it holds files, or
// is open read-only); nothing when it can.
std::optional<std::u16string> WordRuleLockedReason(CCorpusDatabase& db);

enum class WordRuleChange {
    Set,      // recorded (or already so)
    Refused,  // the corpus holds files, is read-only, or MeCab cannot start; see the message
    Failed,   // a statement failed; nothing changed
};
struct WordRuleChangeOutcome {
    WordRuleChange result = WordRuleChange::Failed;
    std::u16string message;  // why it was refused or failed
};

// Records `kind` as the rule of the open, empty corpus. Mecab records the
// dictionary that `dictionarySetting` names (see ResolveMecabDictionary),
// once MeCab has started on it. The separators leave a file without the
// record as it is, so that it keeps exactly the tables of every corpus.
WordRuleChangeOutcome SetCorpusWordRule(CCorpusDatabase& db, WordRuleKind kind,
                                        const std::u16string& dictionarySetting);

// Why an import into a corpus of this rule must not run with the dictionary
// that `dictionarySetting` names; nothing when it may.
std::optional<std::u16string> ImportRefusalOfRule(CWordRule& rule, const std::u16string& dictionarySetting);

}  // namespace zorvia
