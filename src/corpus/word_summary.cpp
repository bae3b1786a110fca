#include "corpus/word_summary.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <limits>

#include "corpus/corpus_transaction.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

struct SchemaObject {
    const char16_t* type;
    const char16_t* name;
    const char16_t* table;
};

// The summary. The triggers on the word table come first: a batch sets
// them aside.
constexpr std::size_t kWordTriggers = 3;
constexpr std::array<SchemaObject, 16> kSummaryObjects = {{
    {u"trigger", u"word_summary_insert", u"word"},
    {u"trigger", u"word_summary_delete", u"word"},
    {u"trigger", u"word_summary_update", u"word"},
    {u"trigger", u"word_form_count_insert", u"word_form_count"},
    {u"trigger", u"word_form_count_delete", u"word_form_count"},
    {u"trigger", u"word_form_insert", u"word_form"},
    {u"trigger", u"word_form_delete", u"word_form"},
    {u"trigger", u"line_total_insert", u"line"},
    {u"trigger", u"line_total_delete", u"line"},
    {u"trigger", u"file_total_insert", u"original_file"},
    {u"trigger", u"file_total_delete", u"original_file"},
    {u"index", u"word_count_rank", u"word_count"},
    {u"table", u"word_count", u"word_count"},
    {u"table", u"word_form_count", u"word_form_count"},
    {u"table", u"word_form", u"word_form"},
    {u"table", u"corpus_count", u"corpus_count"},
}};

constexpr char16_t kLineIndex[] = u"CREATE INDEX IF NOT EXISTS word_lid ON word(lid)";

// The folded words; each written form with the folded word it is stored
// with (a form normally has one, but a writer may store it with another);
// every distinct form with the number of folded words it is stored with;
// and the totals.
constexpr const char16_t* kCreateTables[] = {
    u"CREATE TABLE word_count ( word_upper TEXT PRIMARY KEY, n INTEGER NOT NULL ) WITHOUT ROWID",
    u"CREATE TABLE word_form_count ( word_upper TEXT, word TEXT, n INTEGER NOT NULL, "
    u"PRIMARY KEY ( word_upper, word ) ) WITHOUT ROWID",
    u"CREATE TABLE word_form ( word TEXT PRIMARY KEY, n INTEGER NOT NULL ) WITHOUT ROWID",
    u"CREATE TABLE corpus_count ( item TEXT PRIMARY KEY, n INTEGER NOT NULL ) WITHOUT ROWID",
};

// The order of every word list (most frequent first, then shorter, then by
// code point): a list is a walk from the start of this index.
constexpr char16_t kRankIndex[] =
    u"CREATE INDEX word_count_rank ON word_count ( n DESC, length(word_upper), word_upper )";
constexpr char16_t kRankOrder[] = u" ORDER BY n DESC, length(word_upper), word_upper LIMIT ";

// A row of a count table, named by its key columns taken from `row` (new or
// old) of the firing statement.
struct CountedRow {
    std::u16string_view table;
    std::vector<std::u16string_view> keys;
};

std::u16string KeyMatch(const CountedRow& counted, std::u16string_view row) {
    std::u16string sql;
    for (std::size_t i = 0; i < counted.keys.size(); ++i) {
        sql.append(i > 0 ? u" AND " : u" WHERE ").append(counted.keys[i]).append(u" = ");
        sql.append(row).append(u".").append(counted.keys[i]);
    }
    return sql;
}

// Counts go up by an UPDATE and, when it found no row, an INSERT: a
// statement with a conflict clause would take on the conflict policy of the
// statement that fired the trigger (INSERT OR REPLACE INTO word would reset a
// count). A count that reaches 0 removes its row, so the tables hold exactly
// the groups of the word table.
std::u16string CountUp(const CountedRow& counted) {
    std::u16string sql = u"UPDATE ";
    sql.append(counted.table).append(u" SET n = n + 1").append(KeyMatch(counted, u"new")).append(u"; ");
    sql.append(u"INSERT INTO ").append(counted.table).append(u" SELECT ");
    for (std::u16string_view key : counted.keys) sql.append(u"new.").append(key).append(u", ");
    sql.append(u"1 WHERE changes() = 0; ");
    return sql;
}

std::u16string CountDown(const CountedRow& counted) {
    std::u16string sql = u"UPDATE ";
    sql.append(counted.table).append(u" SET n = n - 1").append(KeyMatch(counted, u"old")).append(u"; ");
    sql.append(u"DELETE FROM ").append(counted.table).append(KeyMatch(counted, u"old")).append(u" AND n <= 0; ");
    return sql;
}

std::u16string Total(std::u16string_view item, std::u16string_view step) {
    std::u16string sql = u"UPDATE corpus_count SET n = n ";
    sql.append(step).append(u" WHERE item = '").append(item).append(u"'; ");
    return sql;
}

std::u16string Trigger(std::u16string_view name, std::u16string_view event, const std::u16string& body) {
    std::u16string sql = u"CREATE TRIGGER ";
    sql.append(name).append(u" AFTER ").append(event).append(u" BEGIN ").append(body).append(u"END");
    return sql;
}

// In the order of kSummaryObjects.
std::vector<std::u16string> TriggerStatements() {
    const CountedRow folded{u"word_count", {u"word_upper"}};
    const CountedRow pair{u"word_form_count", {u"word_upper", u"word"}};
    const CountedRow form{u"word_form", {u"word"}};
    return {
        Trigger(u"word_summary_insert", u"INSERT ON word", CountUp(folded) + CountUp(pair) + Total(u"words", u"+ 1")),
        Trigger(u"word_summary_delete", u"DELETE ON word",
                CountDown(folded) + CountDown(pair) + Total(u"words", u"- 1")),
        // Adding before taking away: a row whose values stay the same never
        // drops to 0 on the way.
        Trigger(u"word_summary_update", u"UPDATE OF word, word_upper ON word",
                CountUp(folded) + CountDown(folded) + CountUp(pair) + CountDown(pair)),
        Trigger(u"word_form_count_insert", u"INSERT ON word_form_count", CountUp(form)),
        Trigger(u"word_form_count_delete", u"DELETE ON word_form_count", CountDown(form)),
        Trigger(u"word_form_insert", u"INSERT ON word_form", Total(u"forms", u"+ 1")),
        Trigger(u"word_form_delete", u"DELETE ON word_form", Total(u"forms", u"- 1")),
        Trigger(u"line_total_insert", u"INSERT ON line", Total(u"lines", u"+ 1")),
        Trigger(u"line_total_delete", u"DELETE ON line", Total(u"lines", u"- 1")),
        Trigger(u"file_total_insert", u"INSERT ON original_file", Total(u"files", u"+ 1")),
        Trigger(u"file_total_delete", u"DELETE ON original_file", Total(u"files", u"- 1")),
    };
}

// Drops the summary, triggers first (they name the tables).
std::vector<std::u16string> DropSummaryStatements() {
    std::vector<std::u16string> statements;
    for (const SchemaObject& object : kSummaryObjects)
        statements.push_back(u"DROP " + std::u16string(object.type) + u" IF EXISTS " + object.name);
    return statements;
}

constexpr char16_t kFillForms[] =
    u"INSERT INTO word_form SELECT word, count(*) FROM word_form_count GROUP BY word";
constexpr char16_t kFillTotals[] =
    u"INSERT INTO corpus_count VALUES ( 'files', (SELECT count(*) FROM original_file) ), "
    u"( 'lines', (SELECT count(*) FROM line) ), ( 'words', (SELECT coalesce(sum(n), 0) FROM word_count) ), "
    u"( 'forms', (SELECT count(*) FROM word_form) )";

// The written forms are grouped a slice of the word table at a time: one
// grouping of the whole table sorts far more than memory holds, and the
// slices let the progress bar move.
constexpr std::int64_t kFormSliceRows = 500'000;

// A prefix matched by fewer folded words than this is answered from its
// range of the primary key, sorted; one matched by more from the ranking
// index, which meets the prefix's most frequent words early.
constexpr int kRangeSortLimit = 4096;

std::int64_t CellInt64(const CCorpusDatabase& db, int row, int column) {
    const std::string text = WideToUtf8(db.GetCell(row, column));
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::u16string Quoted(std::u16string_view text) {
    std::u16string quoted = u"'";
    AppendEscaped(quoted, text);
    quoted += u"'";
    return quoted;
}

// Pumps the progress window from inside a long statement (SQLite calls back
// every so many steps of its program), and turns a cancel into an interrupt
// of that statement. What the pump runs cannot use the connection meanwhile:
// CCorpusDatabase refuses statements while one is running.
class PumpInsideStatements {
public:
    PumpInsideStatements(CCorpusDatabase& db, IProgressSink& progress) : m_db(db), m_progress(progress) {
        if (m_db.NativeHandle() != nullptr) sqlite3_progress_handler(m_db.NativeHandle(), kSteps, &OnSteps, this);
    }
    ~PumpInsideStatements() { Stop(); }
    PumpInsideStatements(const PumpInsideStatements&) = delete;
    PumpInsideStatements& operator=(const PumpInsideStatements&) = delete;

    // The pump between statements.
    bool Pump() {
        if (!m_cancelled && !m_progress.Pump()) m_cancelled = true;
        return !m_cancelled;
    }
    bool Cancelled() const { return m_cancelled; }
    // Before the rollback, which must not be interrupted.
    void Stop() {
        if (m_db.NativeHandle() != nullptr) sqlite3_progress_handler(m_db.NativeHandle(), 0, nullptr, nullptr);
    }

private:
    static constexpr int kSteps = 200'000;

    static int OnSteps(void* self) { return static_cast<PumpInsideStatements*>(self)->Pump() ? 0 : 1; }

    CCorpusDatabase& m_db;
    IProgressSink& m_progress;
    bool m_cancelled = false;
};

class SpeedUpRun {
public:
    SpeedUpRun(CCorpusDatabase& db, IProgressSink& progress) : m_db(db), m_progress(progress), m_pump(db, progress) {}

    SpeedUpOutcome Run();

private:
    // A statement, then a pump: false on a failure or a cancel.
    bool Step(const std::u16string& sql) { return ExecOrTrace(m_db, sql) && m_pump.Pump(); }
    bool Announce(const char16_t* text) {
        m_progress.SetText(text);
        m_progress.SetPosition(ProgressPermille(m_done, m_work, 1));
        return m_pump.Pump();
    }
    bool CountForms();
    SpeedUpOutcome Abandon();

    CCorpusDatabase& m_db;
    IProgressSink& m_progress;
    PumpInsideStatements m_pump;
    std::int64_t m_firstWid = 0;
    std::int64_t m_lastWid = -1;
    // Progress in rows of the word table read.
    std::int64_t m_work = 0;
    std::int64_t m_done = 0;
};

SpeedUpOutcome SpeedUpRun::Run() {
    // Another transaction open on this connection is not ours to end.
    if (!ExecOrTrace(m_db, u"BEGIN TRANSACTION")) return {SpeedUpResult::Failed, m_db.GetErrorText()};
    m_progress.Begin();
    if (!Step(u"SELECT (SELECT min(wid) FROM word), (SELECT max(wid) FROM word), "
              u"(SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'word_lid')"))
        return Abandon();
    m_firstWid = CellInt64(m_db, 0, 0);
    m_lastWid = m_db.GetCell(0, 1).empty() ? m_firstWid - 1 : CellInt64(m_db, 0, 1);
    const bool hasLineIndex = m_db.GetCellInt(0, 2) > 0;
    // The line index and the written forms read every row, the folded words
    // the smaller index of word_upper.
    // (Ids may lie anywhere; the estimate stays far from overflowing.)
    const double span = static_cast<double>(m_lastWid) - static_cast<double>(m_firstWid) + 1;
    const std::int64_t rows = span < 1 ? 0 : static_cast<std::int64_t>(std::min(span, 1e15));
    const std::int64_t lineIndexWork = hasLineIndex ? 0 : rows;
    const std::int64_t foldedWork = rows / 4;
    m_work = lineIndexWork + foldedWork + rows + rows / 10 + 1;

    if (!Announce(u"indexing the lines of the words...") || !Step(kLineIndex)) return Abandon();
    m_done += lineIndexWork;
    // Built afresh: a summary left incomplete by someone else may be stale.
    for (const std::u16string& sql : DropSummaryStatements())
        if (!Step(sql)) return Abandon();
    for (const char16_t* sql : kCreateTables)
        if (!Step(sql)) return Abandon();

    if (!Announce(u"counting the words...") ||
        !Step(u"INSERT INTO word_count SELECT word_upper, count(*) FROM word GROUP BY word_upper"))
        return Abandon();
    m_done += foldedWork;
    if (!CountForms()) return Abandon();

    if (!Announce(u"ranking the words...") || !Step(kFillForms) || !Step(kFillTotals) || !Step(kRankIndex))
        return Abandon();
    for (const std::u16string& sql : TriggerStatements())
        if (!Step(sql)) return Abandon();
    m_done = m_work;
    if (!Announce(u"committing...")) return Abandon();
    if (!ExecOrTrace(m_db, u"COMMIT")) return Abandon();
    m_progress.End();
    return {SpeedUpResult::Done, {}};
}

bool SpeedUpRun::CountForms() {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    for (std::int64_t from = m_firstWid; from <= m_lastWid;) {
        if (!Announce(u"counting the written forms...")) return false;
        // Adding to the forms that earlier slices counted.
        const std::int64_t last = from > kLargest - kFormSliceRows ? kLargest : from + kFormSliceRows - 1;
        std::u16string sql =
            u"INSERT INTO word_form_count SELECT word_upper, word, count(*) FROM word NOT INDEXED WHERE wid BETWEEN ";
        AppendDecimal(sql, from);
        sql += u" AND ";
        AppendDecimal(sql, last);
        sql += u" GROUP BY word_upper, word ON CONFLICT(word_upper, word) DO UPDATE SET n = n + excluded.n";
        if (!Step(sql)) return false;
        m_done += std::min(last, m_lastWid) - from + 1;
        if (last >= m_lastWid) break;
        // Ids far apart (a writer may choose any) are not walked through.
        std::u16string next = u"SELECT min(wid) FROM word WHERE wid > ";
        AppendDecimal(next, last);
        if (!Step(next)) return false;
        if (m_db.GetCell(0, 0).empty()) break;
        from = CellInt64(m_db, 0, 0);
    }
    return true;
}

SpeedUpOutcome SpeedUpRun::Abandon() {
    // The message of the failed statement; the rollback may replace it.
    SpeedUpOutcome outcome{m_pump.Cancelled() ? SpeedUpResult::Cancelled : SpeedUpResult::Failed,
                           m_db.GetErrorText()};
    m_pump.Stop();
    Rollback(m_db);
    m_progress.End();
    return outcome;
}

std::string_view ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return text != nullptr ? std::string_view(text, bytes) : std::string_view();
}

// One statement prepared on the connection itself and run once per row of
// counts: far cheaper than the text of a statement per row, and than a
// grouping of a table of changes.
class CPrepared {
public:
    CPrepared(CCorpusDatabase& db, std::u16string_view sql) : m_db(db) {
        if (sqlite3_prepare16_v2(db.NativeHandle(), sql.data(), static_cast<int>(sql.size() * sizeof(char16_t)),
                                 &m_statement, nullptr) != SQLITE_OK) {
            db.NoteNativeFailure();
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~CPrepared() { sqlite3_finalize(m_statement); }
    CPrepared(const CPrepared&) = delete;
    CPrepared& operator=(const CPrepared&) = delete;

    bool Ok() const { return m_statement != nullptr; }
    sqlite3_stmt* Get() const { return m_statement; }
    void Bind(int index, std::u16string_view text) {
        sqlite3_bind_text16(m_statement, index, text.data(), static_cast<int>(text.size() * sizeof(char16_t)),
                            SQLITE_STATIC);
    }
    void Bind(int index, std::string_view utf8) {
        sqlite3_bind_text(m_statement, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_STATIC);
    }
    void Bind(int index, std::int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
    // Runs the statement with the values bound; false, with the message
    // kept, on a failure.
    bool Run() {
        const int rc = sqlite3_step(m_statement);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) m_db.NoteNativeFailure();
        sqlite3_reset(m_statement);
        return rc == SQLITE_DONE || rc == SQLITE_ROW;
    }

private:
    CCorpusDatabase& m_db;
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace

std::u16string WordSummaryPresenceQuery() {
    std::u16string sql = u"SELECT count(*) = ";
    AppendDecimal(sql, static_cast<std::int64_t>(kSummaryObjects.size()));
    sql += u" FROM sqlite_master WHERE ";
    for (std::size_t i = 0; i < kSummaryObjects.size(); ++i) {
        const SchemaObject& object = kSummaryObjects[i];
        if (i > 0) sql += u" OR ";
        sql += u"(type = '";
        sql += object.type;
        sql += u"' AND name = '";
        sql += object.name;
        sql += u"' AND tbl_name = '";
        sql += object.table;
        sql += u"')";
    }
    return sql;
}

bool HasWordSummary(CCorpusDatabase& db) { return db.Exec(WordSummaryPresenceQuery()) && db.GetCellInt(0, 0) == 1; }

SpeedUpOutcome CreateSpeedUp(CCorpusDatabase& db, IProgressSink& progress) {
    SpeedUpRun run(db, progress);
    return run.Run();
}

SpeedUpOutcome RemoveSpeedUp(CCorpusDatabase& db) {
    if (!ExecOrTrace(db, u"BEGIN TRANSACTION")) return {SpeedUpResult::Failed, db.GetErrorText()};
    std::vector<std::u16string> statements = DropSummaryStatements();
    statements.push_back(u"DROP INDEX IF EXISTS word_lid");
    statements.push_back(u"COMMIT");
    for (const std::u16string& sql : statements) {
        if (ExecOrTrace(db, sql)) continue;
        SpeedUpOutcome outcome{SpeedUpResult::Failed, db.GetErrorText()};
        Rollback(db);
        return outcome;
    }
    return {SpeedUpResult::Done, {}};
}

namespace {

// Puts the counts of `changes` into the table of changes. `total` gets the
// rows added less those taken away, `lowered` whether any count went down.
template <typename Map>
bool TakeChanges(const Map& changes, CPrepared& change, std::int64_t& total, bool& lowered) {
    using View = std::basic_string_view<typename Map::key_type::value_type>;
    for (const auto& [key, counted] : changes) {
        if (counted.rows == 0) continue;
        const std::size_t nul = key.find(typename Map::key_type::value_type(0));
        change.Bind(1, View(counted.folded));
        change.Bind(2, View(key).substr(nul == Map::key_type::npos ? 0 : nul + 1));
        change.Bind(3, counted.rows);
        if (!change.Run()) return false;
        lowered = lowered || counted.rows < 0;
        total += counted.rows;
    }
    return true;
}

}  // namespace

bool SummaryBatch::Begin(CCorpusDatabase& db) {
    m_db = nullptr;
    m_inserted.Clear();
    m_deleted.Clear();
    if (!HasWordSummary(db)) return true;
    for (std::size_t i = 0; i < kWordTriggers; ++i)
        if (!ExecOrTrace(db, u"DROP TRIGGER " + std::u16string(kSummaryObjects[i].name))) return false;
    m_db = &db;
    return true;
}

void SummaryBatch::Inserted(std::u16string_view word, std::u16string_view folded) {
    if (m_db != nullptr) m_inserted.Add(word, folded, 1);
}

template <typename Char>
void SummaryBatch::CChanges<Char>::Add(View word, View folded, std::int64_t rows) {
    auto it = m_map.find(word);
    if (it == m_map.end()) {
        it = m_map.emplace(std::basic_string<Char>(word), Change{std::basic_string<Char>(folded)}).first;
    } else if (it->second.folded != folded) {
        // The same form under a second fold: a key that no form can be (a
        // form never holds U+0000, which would end its INSERT's text).
        std::basic_string<Char> key(folded);
        key += Char(0);
        key += word;
        it = m_map.try_emplace(std::move(key), Change{std::basic_string<Char>(folded)}).first;
    }
    it->second.rows += rows;
}

bool SummaryBatch::DeletingFoldedWord(std::u16string_view folded) {
    if (m_db == nullptr) return true;
    // Every row of the folded word goes, those inserted by this batch among
    // them: its counts, kept and waiting, go with them.
    m_inserted.EraseFolded(folded);
    m_deleted.EraseFolded(WideToUtf8(folded));
    const std::u16string key = Quoted(folded);
    const std::u16string statements[] = {
        u"UPDATE corpus_count SET n = n - coalesce((SELECT n FROM word_count WHERE word_upper = " + key +
            u"), 0) WHERE item = 'words'",
        u"DELETE FROM word_count WHERE word_upper = " + key,
        u"DELETE FROM word_form_count WHERE word_upper = " + key,
    };
    for (const std::u16string& sql : statements)
        if (!ExecOrTrace(*m_db, sql)) return false;
    return true;
}

bool SummaryBatch::BeforeDelete(const std::u16string& condition) {
    if (m_db == nullptr) return true;
    // The rows are counted here, by a hash of their forms: far cheaper than
    // SQLite's sorting of a grouping, for a file's hundreds of thousands of
    // rows.
    CPrepared select(*m_db, u"SELECT word, word_upper FROM word WHERE " + condition);
    if (!select.Ok()) return false;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(select.Get())) == SQLITE_ROW)
        m_deleted.Add(ColumnText(select.Get(), 0), ColumnText(select.Get(), 1), -1);
    if (step == SQLITE_DONE) return true;
    m_db->NoteNativeFailure();
    return false;
}

bool SummaryBatch::Finish() {
    if (m_db == nullptr) return true;
    // The counts go into a table of changes of the connection's own, a row
    // at a time, and from there to the summary a set at a time, in the order
    // of its keys; then a count that reached 0 removes its row, as the
    // triggers do (one pass over the forms and a range of the ranking
    // index).
    if (!ExecOrTrace(*m_db, u"CREATE TEMP TABLE IF NOT EXISTS word_summary_change ( word_upper, word, n INTEGER )") ||
        !ExecOrTrace(*m_db, u"DELETE FROM temp.word_summary_change"))
        return false;
    CPrepared change(*m_db, u"INSERT INTO temp.word_summary_change VALUES ( ?1, ?2, ?3 )");
    CPrepared words(*m_db, u"UPDATE corpus_count SET n = n + ?1 WHERE item = 'words'");
    if (!change.Ok() || !words.Ok()) return false;
    std::int64_t total = 0;
    bool lowered = false;
    if (!TakeChanges(m_inserted.Map(), change, total, lowered) || !TakeChanges(m_deleted.Map(), change, total, lowered))
        return false;
    const char16_t* const statements[] = {
        u"INSERT INTO word_form_count SELECT word_upper, word, sum(n) FROM temp.word_summary_change "
        u"GROUP BY word_upper, word HAVING sum(n) <> 0 ORDER BY word_upper, word "
        u"ON CONFLICT(word_upper, word) DO UPDATE SET n = n + excluded.n",
        u"INSERT INTO word_count SELECT word_upper, sum(n) FROM temp.word_summary_change "
        u"GROUP BY word_upper HAVING sum(n) <> 0 ORDER BY word_upper "
        u"ON CONFLICT(word_upper) DO UPDATE SET n = n + excluded.n",
    };
    for (const char16_t* sql : statements)
        if (!ExecOrTrace(*m_db, sql)) return false;
    if (lowered && (!ExecOrTrace(*m_db, u"DELETE FROM word_form_count WHERE n <= 0") ||
                    !ExecOrTrace(*m_db, u"DELETE FROM word_count WHERE n <= 0")))
        return false;
    if (!ExecOrTrace(*m_db, u"DELETE FROM temp.word_summary_change")) return false;
    words.Bind(1, total);
    if (!words.Run()) return false;
    m_inserted.Clear();
    m_deleted.Clear();
    const std::vector<std::u16string> triggers = TriggerStatements();
    for (std::size_t i = 0; i < kWordTriggers; ++i)
        if (!ExecOrTrace(*m_db, triggers[i])) return false;
    m_db = nullptr;
    return true;
}

std::optional<bool> QuerySummaryRanking(CCorpusDatabase& db, int limit) {
    if (!HasWordSummary(db)) return std::nullopt;
    return db.Exec(u"SELECT word_upper, n FROM word_count INDEXED BY word_count_rank" + std::u16string(kRankOrder) +
                   FormatInt(limit));
}

std::optional<bool> QuerySummaryStartingWith(CCorpusDatabase& db, std::u16string_view foldedPrefix, int limit) {
    if (!HasWordSummary(db)) return std::nullopt;
    // GLOB's own pattern characters; there is no escape.
    const std::u16string_view literal = foldedPrefix.substr(0, foldedPrefix.find_first_of(u"*?["));
    bool byRank = literal.empty();
    if (!byRank) {
        std::u16string probe = u"SELECT count(*) FROM ( SELECT 1 FROM word_count WHERE word_upper GLOB ";
        probe += Quoted(std::u16string(literal) + u"*");
        probe += u" LIMIT ";
        probe += FormatInt(kRangeSortLimit);
        probe += u" )";
        byRank = !db.Exec(probe) || db.GetCellInt(0, 0) >= kRangeSortLimit;
    }
    // The unary plus keeps the ranking index out of the range's plan.
    std::u16string sql = byRank ? u"SELECT word_upper, n FROM word_count INDEXED BY word_count_rank"
                                : u"SELECT word_upper, n FROM word_count";
    sql += u" WHERE word_upper GLOB ";
    sql += Quoted(std::u16string(foldedPrefix) + u"*");
    sql += byRank ? std::u16string(kRankOrder) : u" ORDER BY +n DESC, length(word_upper), word_upper LIMIT ";
    sql += FormatInt(limit);
    return db.Exec(sql);
}

std::optional<SummaryTotals> SummaryCorpusTotals(CCorpusDatabase& db) {
    if (!HasWordSummary(db)) return std::nullopt;
    SummaryTotals totals;
    if (!db.Exec(u"SELECT item, n FROM corpus_count")) return totals;
    for (int r = 0; r < db.GetRowCount(); ++r) {
        const std::u16string& item = db.GetCell(r, 0);
        const int n = db.GetCellInt(r, 1);
        if (item == u"files") totals.files = n;
        if (item == u"lines") totals.lines = n;
        if (item == u"words") totals.words = n;
        if (item == u"forms") totals.forms = n;
    }
    return totals;
}

}  // namespace zorvia
