#include "corpus/file_import.h"

#include <algorithm>
#include <ctime>

#include "corpus/corpus_transaction.h"
#include "corpus/database_files.h"
#include "corpus/text_line_reader.h"
#include "corpus/word_rule.h"
#include "corpus/word_summary.h"
#include "platform/text_convert.h"
#include "platform/trace.h"

namespace zorvia {

namespace {

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

// True when `text` ends with `suffix` (upper-case ASCII), ignoring case.
bool EndsWithIgnoringCase(std::u16string_view text, std::u16string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::u16string_view tail = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (AsciiUpper(tail[i]) != suffix[i]) return false;
    }
    return true;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view upper) {
    return text.size() == upper.size() && EndsWithIgnoringCase(text, upper);
}

std::int64_t SystemClock() { return static_cast<std::int64_t>(std::time(nullptr)); }

RegistrationClock g_clock = &SystemClock;

constexpr char16_t kBeginFailedMessage[] =
    u"データベースの更新を開始できませんでした。ファイルは追加されていません。";
constexpr char16_t kWriteFailedMessage[] =
    u"データベースへの書き込みに失敗しました。ファイルの追加を中止しました。";
constexpr char16_t kCommitFailedMessage[] =
    u"データベースへの書き込みを確定できませんでした。ファイルの追加を中止しました。";

// One import from the transaction onwards. The members live as long as the
// file is being read; the buffers are reused from line to line.
class Importer {
public:
    Importer(CCorpusDatabase& db, IUserPrompt& prompt, IProgressSink& progress, IStatusText& status)
        : m_db(db), m_rule(db.WordRule()), m_prompt(prompt), m_progress(progress), m_status(status) {}

    ImportOutcome Run(const std::u16string& path, bool html, const ImportOptions& options);

private:
    bool InsertFileRow(const std::u16string& path);
    // Counts the calls of ReadLine up to the one that reports the end; 0
    // when the limit came first.
    std::int64_t CountLines();
    // False when a statement failed (already reported) or the user
    // cancelled (m_cancelled).
    bool LoadLines(bool html, std::int64_t lineCount);
    bool InsertLine(int index, std::u16string_view text);

    ImportOutcome Cancel();
    ImportOutcome Fail(const char16_t* what);

    CCorpusDatabase& m_db;
    CWordRule& m_rule;
    IUserPrompt& m_prompt;
    IProgressSink& m_progress;
    IStatusText& m_status;

    TextLineReader m_reader;
    SummaryBatch m_summary;
    HtmlScanner m_scanner;
    ImportOutcome m_outcome;
    bool m_cancelled = false;
    std::u16string m_line;
    std::u16string m_visible;
    std::u16string m_sql;
    std::string m_lineSql;
    std::u16string m_upper;
    std::u16string m_progressText;
};

ImportOutcome Importer::Run(const std::u16string& path, bool html, const ImportOptions& options) {
    if (!m_reader.Open(path, options.encoding)) {
        m_outcome.result = ImportResult::OpenFailed;
        return m_outcome;
    }
    // Every row of the file is written inside this one transaction, or none
    // is: without it a cancel or a failure could not take back what was
    // written, so a failing BEGIN (a transaction already open) stops here.
    if (!ExecOrTrace(m_db, u"BEGIN TRANSACTION")) {
        m_outcome.errorText = m_db.GetErrorText();
        m_reader.Close();
        m_prompt.Message(FailureMessage(kBeginFailedMessage, m_outcome.errorText), PromptButtons::Ok,
                         PromptIcon::Error);
        m_outcome.result = ImportResult::Failed;
        return m_outcome;
    }
    m_progress.Begin();
    m_progress.SetText(u"counting...");
    if (!m_summary.Begin(m_db)) return Fail(kWriteFailedMessage);

    // The lines must hang on this file's row: a failed insert would leave
    // the row id of some earlier insert to attach them to.
    if (!InsertFileRow(path)) return Fail(kWriteFailedMessage);
    m_outcome.oid = m_db.GetLastInsertRowId();
    Trace("oid : %d\n", m_outcome.oid);
    m_status.SetStatusText(u"loading...");

    const std::int64_t lineCount = CountLines();

    m_progress.SetText(u"loading...");
    m_reader.Rewind();
    m_scanner.Reset();
    if (!LoadLines(html, lineCount)) return m_cancelled ? Cancel() : Fail(kWriteFailedMessage);

    m_progress.SetPosition(1000);
    m_outcome.reading = m_reader.GetReport();
    m_reader.Close();
    if (options.refuseUndecodable && m_outcome.reading.undecodableBytes > 0) {
        // The caller asked for files that read cleanly or not at all; it
        // reports the bytes itself.
        Rollback(m_db);
        m_progress.End();
        m_outcome.result = ImportResult::Undecodable;
        return m_outcome;
    }
    m_status.SetStatusText(u"commit...");
    m_progress.SetText(u"commiting...");
    m_progress.Pump();  // too late to cancel: the answer is not looked at

    // A COMMIT that fails (the file locked by a reader, a full disk) leaves
    // nothing written; the transaction may still be open, so end it.
    if (!m_summary.Finish()) return Fail(kWriteFailedMessage);
    if (!ExecOrTrace(m_db, u"COMMIT")) return Fail(kCommitFailedMessage);
    m_progress.End();
    m_outcome.result = ImportResult::Committed;
    return m_outcome;
}

bool Importer::InsertFileRow(const std::u16string& path) {
    m_sql.assign(u"INSERT INTO original_file VALUES( NULL, '");
    AppendEscaped(m_sql, path);
    m_sql += u"', ";
    AppendDecimal(m_sql, RegistrationTimeNow());
    m_sql += u",'' )";
    return ExecOrTrace(m_db, m_sql);
}

std::int64_t Importer::CountLines() {
    for (std::int64_t calls = 1; calls <= kMaxImportLines; ++calls) {
        if (!m_reader.ReadLine(m_line)) return calls;
    }
    return 0;
}

bool Importer::LoadLines(bool html, std::int64_t lineCount) {
    for (int index = 0; index < kMaxImportLines && m_reader.ReadLine(m_line); ++index) {
        if ((index & 1) == 0) {
            m_progressText.assign(u"loading... (line : ");
            AppendDecimal(m_progressText, index);
            m_progressText += u")";
            m_status.SetStatusText(m_progressText);
            m_progress.SetText(m_progressText);
            m_progress.SetPosition(ProgressPermille(index, lineCount, kMaxImportLines));
            if (!m_progress.Pump()) {
                m_cancelled = true;
                return false;
            }
        }
        std::u16string_view text = m_line;
        if (html) {
            m_scanner.VisibleText(m_line, m_visible);
            text = TrimBlanks(m_visible);
        }
        if (text.empty()) {
            Trace(" %5d : skip\n", index);
            continue;
        }
        if (!InsertLine(index, text)) return false;
    }
    return true;
}

bool Importer::InsertLine(int index, std::u16string_view text) {
    if (TraceEnabled()) Trace(" %5d : /%s/\n", index, WideToUtf8(text).c_str());
    // The line's statement is written in UTF-8 straight away and sized
    // exactly: a line can be a whole file, and its statement then the
    // largest thing the import holds.
    const std::string head = "INSERT INTO line VALUES( NULL, " + std::to_string(m_outcome.oid) + ", " +
                             std::to_string(index) + ", '";
    const std::size_t quotes = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\''));
    const std::size_t size = head.size() + Utf8Size(text) + quotes + 3;
    if (m_lineSql.capacity() < size) std::string().swap(m_lineSql);
    m_lineSql.reserve(size);
    m_lineSql.assign(head);
    for (std::size_t from = 0;;) {
        const std::size_t quote = text.find(u'\'', from);
        AppendUtf8(m_lineSql, text.substr(from, quote == std::u16string_view::npos ? quote : quote + 1 - from));
        if (quote == std::u16string_view::npos) break;
        m_lineSql += '\'';
        from = quote + 1;
    }
    m_lineSql += "' )";
    // The words must hang on this line's row, not on the one before it.
    if (!ExecOrTrace(m_db, m_lineSql)) return false;
    const int lid = m_db.GetLastInsertRowId();
    ++m_outcome.lines;

    // A word that fails to go in would be missing from a corpus reported as
    // complete; the whole file is abandoned instead. (SQLite may also have
    // ended the transaction itself, and later rows would then be written
    // outside it.)
    bool ok = true;
    const bool cut = m_rule.ForEachWord(text, [&](std::u16string_view word) {
        if (!ok) return;
        m_upper.assign(word);
        FoldToUpperInPlace(m_upper);
        m_sql.assign(u"INSERT INTO word VALUES( NULL, ");
        AppendDecimal(m_sql, lid);
        m_sql += u", '";
        AppendEscaped(m_sql, word);
        m_sql += u"', '";
        AppendEscaped(m_sql, m_upper);
        m_sql += u"' )";
        ok = ExecOrTrace(m_db, m_sql);
        if (!ok) return;
        ++m_outcome.words;
        m_summary.Inserted(word, m_upper);
    });
    return ok && cut;
}

ImportOutcome Importer::Cancel() {
    AbandonOperation(Abandon::Cancelled, m_db, m_reader, m_progress, m_prompt, kCancelledMessage);
    m_outcome.result = ImportResult::Cancelled;
    return m_outcome;
}

ImportOutcome Importer::Fail(const char16_t* what) {
    // Keep the message of the failed statement: the rollback may replace it.
    m_outcome.errorText = m_db.GetErrorText();
    AbandonOperation(Abandon::Failed, m_db, m_reader, m_progress, m_prompt, FailureMessage(what, m_outcome.errorText));
    m_outcome.result = ImportResult::Failed;
    return m_outcome;
}

}  // namespace

ImportFileKind FileKindOfPath(std::u16string_view path) {
    if (EndsWithIgnoringCase(path, u".TXT")) return ImportFileKind::Text;
    if (EndsWithIgnoringCase(path, u".HTML") || EndsWithIgnoringCase(path, u".HTM")) return ImportFileKind::Html;
    return ImportFileKind::Unknown;
}

void HtmlScanner::Reset() {
    m_state = State::Text;
    m_tagName.clear();
}

void HtmlScanner::VisibleText(std::u16string_view line, std::u16string& visible) {
    visible.clear();
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = line[i];
        switch (m_state) {
            case State::Text:
                if (c == u'<') {
                    m_tagName.clear();
                    m_state = State::TagName;
                } else {
                    visible.push_back(c);
                }
                break;
            case State::TagName:
                if (c == u' ' || c == u'\t' || c == u'\r' || c == u'>') {
                    if (m_tagName.size() >= 3 && m_tagName.compare(0, 3, u"!--") == 0) {
                        // A comment written in one run, "<!--text-->", ends its
                        // name at its own closing '>': it is closed already.
                        const bool closedInName = c == u'>' && m_tagName.size() >= 5 &&
                                                  m_tagName.compare(m_tagName.size() - 2, 2, u"--") == 0;
                        m_state = closedInName ? State::Text : State::Comment;
                    } else if (EqualsIgnoringCase(m_tagName, u"SCRIPT")) {
                        m_state = State::Script;
                    } else if (c == u'>') {
                        m_state = State::Text;
                    } else {
                        m_state = State::InTag;
                    }
                } else {
                    m_tagName.push_back(c);
                }
                break;
            case State::InTag:
                if (c == u'>') {
                    m_state = State::Text;
                } else if (c == u'"') {
                    m_state = State::Quoted;
                }
                break;
            case State::Quoted:
                if (c == u'"') m_state = State::InTag;
                break;
            case State::Comment:
                if (c == u'>' && i >= 2 && line[i - 1] == u'-' && line[i - 2] == u'-') m_state = State::Text;
                break;
            case State::Script:
                if (c == u'>' && i >= 8 && EqualsIgnoringCase(line.substr(i - 8, 9), u"</SCRIPT>")) {
                    m_state = State::Text;
                }
                break;
        }
    }
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
    return text.substr(begin, end - begin);
}

std::int32_t RegistrationTimeNow() {
    // Stored as a 32-bit signed number; past 2038 it wraps as it always has.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(g_clock()));
}

void SetRegistrationClockForTesting(RegistrationClock clock) { g_clock = clock != nullptr ? clock : &SystemClock; }

ImportOutcome ImportOneFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt,
                            IProgressSink& progress, IStatusText& status, const ImportOptions& options) {
    ImportOutcome outcome;
    if (!CheckDatabaseOpen(db, prompt)) {
        outcome.result = ImportResult::NotOpen;
        return outcome;
    }
    const ImportFileKind kind = FileKindOfPath(path);
    if (kind == ImportFileKind::Unknown) {
        prompt.Message(kUnknownFileKindMessage, PromptButtons::Ok);
        outcome.result = ImportResult::UnknownKind;
        return outcome;
    }
    // Checked before anything is read or begun: a file whose words could
    // not be cut as the corpus's other words were must not go in at all.
    if (const auto refusal = ImportRefusalOfRule(db.WordRule(), options.mecabDictionary)) {
        prompt.Message(*refusal, PromptButtons::Ok, PromptIcon::Error);
        outcome.result = ImportResult::Refused;
        outcome.errorText = *refusal;
        return outcome;
    }
    Importer importer(db, prompt, progress, status);
    return importer.Run(path, kind == ImportFileKind::Html, options);
}

bool ImportFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt, IProgressSink& progress,
                IStatusText& status) {
    return ImportOneFile(db, path, prompt, progress, status).result == ImportResult::Committed;
}

void ImportDroppedFiles(const std::vector<std::u16string>& paths, IUserPrompt& prompt,
                        const std::function<void(const std::u16string&)>& importOne) {
    const PromptButtons buttons = paths.size() == 1 ? PromptButtons::YesNo : PromptButtons::YesNoCancel;
    bool askNoMore = false;
    for (const std::u16string& path : paths) {
        if (!askNoMore) {
            const PromptAnswer answer = prompt.Message(path + u" をデータベースに追加しますか？", buttons);
            if (answer == PromptAnswer::Cancel) return;
            if (answer != PromptAnswer::Yes) continue;
            // Shift is read as the answer is given, not when the drop came.
            if (prompt.IsShiftDown()) askNoMore = true;
        }
        importOne(path);
    }
}

FileRequest AddFileRequest() {
    FileRequest request;
    request.title = u"データベースに追加するファイルを選択してください";
    request.filters = {{u"サポートしているファイル (*.txt;*.html;*.htm)", u"*.txt;*.html;*.htm"},
                       {u"テキストファイル (*.txt)", u"*.txt"},
                       {u"HTMLファイル (*.html;*.htm)", u"*.html;*.htm"},
                       {u"すべて(*.*)", u"*.*"}};
    request.defaultPattern = u"*.txt";
    request.kind = FileKind::Text;
    return request;
}

std::optional<std::u16string> UndecodableBytesMessage(const std::vector<FileReading>& files) {
    std::u16string text;
    for (const FileReading& file : files) {
        if (file.reading.undecodableBytes == 0) continue;
        text += u"\n\n" + file.path + u"\n  " + AsciiToWide(EncodingName(file.reading.encoding)) + u"：" +
                FormatInt(file.lines) + u" 行、" + FormatInt(file.words) + u" 語、読めないバイト " +
                FormatInt(file.reading.undecodableBytes) + u" 個（最初は " +
                FormatInt(file.reading.firstUndecodableLine) + u" 行目）";
    }
    if (text.empty()) return std::nullopt;
    return u"文字として読めないバイトのあるファイルがありました。そのバイトは飛ばして読み込みました。" + text;
}

std::u16string ReadEncodingStatus(const FileReading& file) {
    return u"文字コード " + AsciiToWide(EncodingName(file.reading.encoding)) + u" : " + FileNameOfPath(file.path);
}

}  // namespace zorvia
