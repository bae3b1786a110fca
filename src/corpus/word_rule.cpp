#include "corpus/word_rule.h"

#include <sqlite3.h>

#include "corpus/corpus_database.h"
#include "corpus/corpus_transaction.h"
#include "corpus/database_files.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

constexpr char16_t kRuleKey[] = u"word-rule";
constexpr char16_t kDictionaryKey[] = u"mecab-dictionary";

// One prepared statement on a bare connection, finalised when it goes.
class BareStatement {
public:
    BareStatement(sqlite3* connection, const char* sql) {
        if (sqlite3_prepare_v2(connection, sql, -1, &m_stmt, nullptr) != SQLITE_OK) m_stmt = nullptr;
    }
    ~BareStatement() { sqlite3_finalize(m_stmt); }
    BareStatement(const BareStatement&) = delete;
    BareStatement& operator=(const BareStatement&) = delete;
    bool Ok() const { return m_stmt != nullptr; }
    int Step() { return sqlite3_step(m_stmt); }
    std::u16string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return text != nullptr ? Utf8ToWide(text) : std::u16string();
    }
    int Int(int column) const { return sqlite3_column_int(m_stmt, column); }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::u16string ConnectionError(sqlite3* connection) { return Utf8ToWide(sqlite3_errmsg(connection)); }

}  // namespace

std::u16string WordRuleName(WordRuleKind kind) {
    return kind == WordRuleKind::Mecab ? kMecabRuleName : kSeparatorsRuleName;
}

std::optional<WordRuleKind> ParseWordRuleName(std::u16string_view name) {
    if (name == kSeparatorsRuleName) return WordRuleKind::Separators;
    if (name == kMecabRuleName) return WordRuleKind::Mecab;
    return std::nullopt;
}

bool IsJapaneseCharacter(char16_t c) {
    return (c >= 0x3040 && c <= 0x309F) ||  // Hiragana
           (c >= 0x30A0 && c <= 0x30FF) ||  // Katakana, ー among them
           (c >= 0x31F0 && c <= 0x31FF) ||  // Katakana phonetic extensions
           (c >= 0xFF65 && c <= 0xFF9F) ||  // half-width Katakana
           (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
           (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
           (c >= 0xF900 && c <= 0xFAFF) ||  // CJK compatibility ideographs
           (c >= 0xD840 && c <= 0xD8BF) ||  // high surrogates of the extensions B and later (U+20000-3FFFF)
           (c >= 0x3005 && c <= 0x3007);     // 々 〆 〇
}

bool HoldsJapanese(std::u16string_view text) {
    for (char16_t c : text) {
        if (IsJapaneseCharacter(c)) return true;
    }
    return false;
}

// --- the rule -----------------------------------------------------------------

CWordRule::CWordRule(WordRuleKind kind, std::u16string dictionary)
    : m_kind(kind), m_fast(kind == WordRuleKind::Separators), m_dictionary(std::move(dictionary)) {}

CWordRule CWordRule::Unreadable(std::u16string problem) {
    CWordRule rule;
    rule.m_fast = false;
    rule.m_readable = false;
    rule.m_problem = std::move(problem);
    return rule;
}

CWordRule::~CWordRule() = default;
CWordRule::CWordRule(CWordRule&&) noexcept = default;
CWordRule& CWordRule::operator=(CWordRule&&) noexcept = default;

bool CWordRule::CanCut() {
    if (m_fast) return true;
    if (!m_readable) return false;
    if (!m_loadTried) {
        m_loadTried = true;
        if (m_dictionary.empty()) {
            m_problem = u"コーパスに MeCab の辞書が記録されていません";
        } else {
            m_cutter = CMecabCutter::Load(m_dictionary, m_problem);
        }
    }
    return m_cutter != nullptr;
}

bool CWordRule::CutSpans(std::u16string_view line) {
    if (!CanCut()) return false;
    m_spans.clear();
    zorvia::ForEachWord(line, [&](std::u16string_view run) {
        const auto offset = static_cast<std::size_t>(run.data() - line.data());
        if (HoldsJapanese(run)) {
            m_cutter->Cut(run, offset, m_spans);
        } else {
            m_spans.push_back({offset, run.size()});
        }
    });
    return true;
}

std::vector<std::u16string> CWordRule::SplitWords(std::u16string_view line) {
    std::vector<std::u16string> words;
    ForEachWord(line, [&](std::u16string_view word) { words.emplace_back(word); });
    return words;
}

bool CWordRule::WordSpans(std::u16string_view line, std::vector<WordSpan>& spans) {
    spans.clear();
    return ForEachWord(line, [&](std::u16string_view word) {
        spans.push_back({static_cast<std::size_t>(word.data() - line.data()), word.size()});
    });
}

void CWordRule::FindOccurrences(std::u16string_view line, std::u16string_view upperLine,
                                std::u16string_view upperWord, std::vector<std::size_t>& positions) {
    positions.clear();
    const std::size_t n = upperWord.size();
    if (n == 0) return;
    if (m_fast) {
        for (std::size_t q = FindWholeWord(upperLine, upperWord, 0); q != kNotFound;
             q = FindWholeWord(upperLine, upperWord, q + n))
            positions.push_back(q);
        return;
    }
    // Most lines of a preview do not hold the word at all: no cut for them.
    if (upperLine.find(upperWord) == std::u16string_view::npos) return;
    if (!CutSpans(line)) {
        // Without the words, the text is all there is to go by.
        for (std::size_t q = upperLine.find(upperWord); q != std::u16string_view::npos; q = upperLine.find(upperWord, q + n))
            positions.push_back(q);
        return;
    }
    for (const WordSpan& span : m_spans) {
        if (span.length == n && upperLine.compare(span.start, n, upperWord) == 0) positions.push_back(span.start);
    }
}

std::size_t CWordRule::FindOccurrence(std::u16string_view line, std::u16string_view upperLine,
                                      std::u16string_view upperWord, int index) {
    if (index < 0 || upperWord.empty()) return kNotFound;
    if (m_fast) {
        const std::size_t n = upperWord.size();
        int count = 0;
        for (std::size_t q = FindWholeWord(upperLine, upperWord, 0); q != kNotFound;
             q = FindWholeWord(upperLine, upperWord, q + n)) {
            if (count == index) return q;
            ++count;
        }
        return kNotFound;
    }
    FindOccurrences(line, upperLine, upperWord, m_positions);
    return static_cast<std::size_t>(index) < m_positions.size() ? m_positions[static_cast<std::size_t>(index)]
                                                                : kNotFound;
}

// --- the record ---------------------------------------------------------------

CWordRule ReadWordRule(sqlite3* connection) {
    if (connection == nullptr) return CWordRule();
    BareStatement table(connection,
                        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'corpus_setting'");
    if (!table.Ok() || table.Step() != SQLITE_ROW) return CWordRule::Unreadable(ConnectionError(connection));
    if (table.Int(0) == 0) return CWordRule();

    BareStatement rows(connection, "SELECT key, value FROM corpus_setting");
    if (!rows.Ok()) return CWordRule::Unreadable(ConnectionError(connection));
    std::optional<std::u16string> ruleName;
    std::u16string dictionary;
    int rc = SQLITE_ROW;
    while ((rc = rows.Step()) == SQLITE_ROW) {
        const std::u16string key = rows.Text(0);
        if (key == kRuleKey) ruleName = rows.Text(1);
        if (key == kDictionaryKey) dictionary = rows.Text(1);
    }
    if (rc != SQLITE_DONE) return CWordRule::Unreadable(ConnectionError(connection));
    if (!ruleName) return CWordRule();
    const auto kind = ParseWordRuleName(*ruleName);
    // A rule this program does not know (written by a later version): its
    // words must not be cut with another one.
    if (!kind) return CWordRule::Unreadable(u"知らない単語の区切り方です：" + *ruleName);
    return CWordRule(*kind, *kind == WordRuleKind::Mecab ? dictionary : std::u16string());
}

std::optional<std::u16string> WordRuleLockedReason(CCorpusDatabase& db) {
    if (!db.IsOpen()) return std::u16string(kDatabaseNotOpenMessage);
    if (db.IsReadOnly()) return u"コーパスを読み取り専用で開いているため、単語の区切り方は変えられません。";
    if (!db.Exec(u"SELECT EXISTS (SELECT 1 FROM original_file) OR EXISTS (SELECT 1 FROM line) OR "
                 u"EXISTS (SELECT 1 FROM word)")) {
        return u"コーパスを読めません。\n" + db.GetErrorText();
    }
    if (db.GetCellInt(0, 0) != 0) {
        return u"コーパスにファイルが登録されているため、単語の区切り方は変えられません。\n"
               u"区切り方を変えるには、新しいデータベースで設定してからファイルを追加してください。";
    }
    return std::nullopt;
}

namespace {

WordRuleChangeOutcome RunChange(CCorpusDatabase& db, const std::vector<std::u16string>& statements) {
    if (!ExecOrTrace(db, u"BEGIN TRANSACTION")) return {WordRuleChange::Failed, db.GetErrorText()};
    for (const std::u16string& statement : statements) {
        if (!ExecOrTrace(db, statement)) {
            const std::u16string error = db.GetErrorText();
            Rollback(db);
            return {WordRuleChange::Failed, error};
        }
    }
    if (!ExecOrTrace(db, u"COMMIT")) {
        const std::u16string error = db.GetErrorText();
        Rollback(db);
        return {WordRuleChange::Failed, error};
    }
    db.ForgetWordRule();
    return {WordRuleChange::Set, {}};
}

}  // namespace

WordRuleChangeOutcome SetCorpusWordRule(CCorpusDatabase& db, WordRuleKind kind,
                                        const std::u16string& dictionarySetting) {
    if (const auto reason = WordRuleLockedReason(db)) return {WordRuleChange::Refused, *reason};
    CWordRule& current = db.WordRule();
    if (!current.IsReadable()) return {WordRuleChange::Failed, current.Problem()};

    if (kind == WordRuleKind::Separators) {
        if (current.Kind() == WordRuleKind::Separators) return {WordRuleChange::Set, {}};
        // Back to the plain corpus: the table goes when nothing else is
        // recorded in it.
        if (!db.Exec(u"SELECT count(*) FROM corpus_setting WHERE key NOT IN ('word-rule', 'mecab-dictionary')"))
            return {WordRuleChange::Failed, db.GetErrorText()};
        std::vector<std::u16string> statements = {
            u"DELETE FROM corpus_setting WHERE key IN ('word-rule', 'mecab-dictionary')"};
        if (db.GetCellInt(0, 0) == 0) statements.push_back(u"DROP TABLE corpus_setting");
        return RunChange(db, statements);
    }

    const MecabDictionary dictionary = ResolveMecabDictionary(dictionarySetting);
    if (!dictionary.Found()) return {WordRuleChange::Refused, dictionary.error};
    std::u16string error;
    if (!CMecabCutter::Load(dictionary.directory, error)) return {WordRuleChange::Refused, error};
    return RunChange(db, {u"CREATE TABLE IF NOT EXISTS corpus_setting ( key TEXT PRIMARY KEY, value TEXT NOT NULL )",
                          u"INSERT OR REPLACE INTO corpus_setting VALUES ( 'word-rule', 'mecab' )",
                          u"INSERT OR REPLACE INTO corpus_setting VALUES ( 'mecab-dictionary', '" +
                              EscapeSqlText(dictionary.directory) + u"' )"});
}

std::optional<std::u16string> ImportRefusalOfRule(CWordRule& rule, const std::u16string& dictionarySetting) {
    if (rule.IsSeparators()) return std::nullopt;
    if (!rule.IsReadable())
        return u"コーパスの単語の区切り方を読めないため、ファイルを追加できません。\n" + rule.Problem();
    if (!rule.CanCut()) {
        return u"このコーパスは MeCab で単語に区切りますが、MeCab を使えないため、ファイルを追加できません。\n" +
               rule.Problem();
    }
    const MecabDictionary wanted = ResolveMecabDictionary(dictionarySetting);
    if (!wanted.Found()) {
        return u"設定 mecab-dictionary の辞書を使えないため、ファイルを追加できません。\n" + wanted.error;
    }
    if (wanted.directory != rule.Dictionary()) {
        return u"このコーパスは MeCab の辞書 " + rule.Dictionary() + u" で作られましたが、いまの設定の辞書は " +
               wanted.directory +
               u" です。辞書が違うと語の区切りが食い違うため、ファイルを追加できません。\n"
               u"設定 mecab-dictionary をコーパスの辞書にするか、空のコーパスなら単語の区切り方を設定し直してください。";
    }
    return std::nullopt;
}

}  // namespace zorvia
