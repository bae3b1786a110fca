#include "corpus/stopword_removal.h"

#include "corpus/corpus_transaction.h"
#include "corpus/text_line_reader.h"
#include "corpus/word_rule.h"
#include "corpus/word_summary.h"
#include "platform/text_convert.h"
#include "platform/trace.h"

namespace zorvia {

namespace {

constexpr char16_t kBeginFailedMessage[] =
    u"データベースの更新を開始できませんでした。単語は削除されていません。";
constexpr char16_t kDeleteFailedMessage[] =
    u"単語の削除に失敗しました。削除を中止しました。";
constexpr char16_t kCommitFailedMessage[] =
    u"単語の削除を確定できませんでした。削除を中止しました。";

class StopWordRun {
public:
    StopWordRun(CCorpusDatabase& db, IUserPrompt& prompt, IProgressSink& progress, IStatusText& status)
        : m_db(db), m_rule(db.WordRule()), m_prompt(prompt), m_progress(progress), m_status(status) {}

    StopWordOutcome Run(const std::u16string& path, const std::function<void()>& showStatistics,
                        EncodingChoice encoding);

private:
    // Lines + 1, or 0 when the limit came before the end.
    std::int64_t CountLines();
    // False on a cancel (m_cancelled) or a failed statement.
    bool DeleteListedWords(std::int64_t lineCount);
    StopWordOutcome Abort();
    StopWordOutcome Fail(const char16_t* what);

    CCorpusDatabase& m_db;
    CWordRule& m_rule;
    IUserPrompt& m_prompt;
    IProgressSink& m_progress;
    IStatusText& m_status;
    TextLineReader m_reader;
    SummaryBatch m_summary;
    StopWordOutcome m_outcome;
    bool m_cancelled = false;
    std::u16string m_line;
    std::u16string m_upper;
    std::u16string m_sql;
    std::u16string m_progressText;
};

StopWordOutcome StopWordRun::Run(const std::u16string& path, const std::function<void()>& showStatistics,
                                 EncodingChoice encoding) {
    // The list's lines are cut as the corpus's lines were; a corpus whose
    // words cannot be cut now cannot say which words a line lists.
    if (!m_rule.CanCut()) {
        m_outcome.errorText = u"このコーパスの語の区切り方で単語の一覧を区切れないため、単語を削除できません。\n" +
                              m_rule.Problem();
        m_prompt.Message(m_outcome.errorText, PromptButtons::Ok, PromptIcon::Error);
        m_outcome.result = StopWordResult::Refused;
        return m_outcome;
    }
    if (!m_reader.Open(path, encoding)) {
        m_outcome.result = StopWordResult::OpenFailed;
        return m_outcome;
    }
    // Outside a transaction every DELETE would be final at once and a
    // cancel could not take it back.
    if (!ExecOrTrace(m_db, u"BEGIN TRANSACTION")) {
        m_outcome.errorText = m_db.GetErrorText();
        m_reader.Close();
        m_prompt.Message(FailureMessage(kBeginFailedMessage, m_outcome.errorText), PromptButtons::Ok,
                         PromptIcon::Error);
        m_outcome.result = StopWordResult::Failed;
        return m_outcome;
    }
    m_progress.Begin();
    if (!m_summary.Begin(m_db)) return Fail(kDeleteFailedMessage);
    m_progress.SetText(u"counting...");
    m_status.SetStatusText(u"loading...");

    const std::int64_t lineCount = CountLines();
    Trace(" file-line-count : %d\n", static_cast<int>(lineCount));
    if (lineCount > kLargeWordListLines &&
        m_prompt.Message(kLargeWordListQuestion, PromptButtons::YesNo) != PromptAnswer::Yes) {
        return Abort();
    }

    m_progress.SetText(u"deleting...");
    m_reader.Rewind();
    if (!DeleteListedWords(lineCount)) return m_cancelled ? Abort() : Fail(kDeleteFailedMessage);

    m_progress.SetPosition(1000);
    m_outcome.reading = m_reader.GetReport();
    m_reader.Close();
    m_status.SetStatusText(u"commit...");
    m_progress.SetText(u"commiting...");
    m_progress.Pump();  // too late to cancel: the answer is not looked at

    if (!m_summary.Finish() || !ExecOrTrace(m_db, u"COMMIT")) return Fail(kCommitFailedMessage);

    m_progress.SetText(u"retrieving db info...");
    m_progress.Pump();
    if (showStatistics) showStatistics();
    m_prompt.Message(kWordsDeletedMessage, PromptButtons::Ok);
    m_progress.End();
    m_outcome.result = StopWordResult::Deleted;
    return m_outcome;
}

std::int64_t StopWordRun::CountLines() {
    for (std::int64_t calls = 1; calls <= kMaxWordListLines; ++calls) {
        if (!m_reader.ReadLine(m_line)) return calls;
    }
    return 0;
}

bool StopWordRun::DeleteListedWords(std::int64_t lineCount) {
    for (int e = 0; e < kMaxWordListLines && m_reader.ReadLine(m_line); ++e) {
        ++m_outcome.lines;
        if (e % 100 == 0) {
            m_progressText.assign(u"loading... (line : ");
            AppendDecimal(m_progressText, e);
            m_progressText += u")";
            m_status.SetStatusText(m_progressText);
            m_progress.SetText(m_progressText);
            m_progress.SetPosition(ProgressPermille(e, lineCount, kMaxWordListLines));
            if (!m_progress.Pump()) {
                m_cancelled = true;
                return false;
            }
        }
        bool ok = true;
        m_rule.ForEachWord(m_line, [&](std::u16string_view word) {
            if (!ok) return;
            m_upper.assign(word);
            FoldToUpperInPlace(m_upper);
            m_sql.assign(u"DELETE FROM word WHERE word_upper='");
            AppendEscaped(m_sql, m_upper);
            m_sql += u"'";
            // A failed DELETE means the database refuses changes (locked,
            // full, read-only); the run stops rather than commit a list
            // that was only partly applied.
            ok = m_summary.DeletingFoldedWord(m_upper) && ExecOrTrace(m_db, m_sql);
            ++m_outcome.statements;
            if (TraceEnabled()) Trace(" delete : %s\n", WideToUtf8(m_upper).c_str());
        });
        if (!ok) return false;
    }
    return true;
}

StopWordOutcome StopWordRun::Abort() {
    AbandonOperation(Abandon::Cancelled, m_db, m_reader, m_progress, m_prompt, kCancelledMessage);
    m_outcome.result = StopWordResult::Cancelled;
    return m_outcome;
}

StopWordOutcome StopWordRun::Fail(const char16_t* what) {
    m_outcome.errorText = m_db.GetErrorText();
    AbandonOperation(Abandon::Failed, m_db, m_reader, m_progress, m_prompt, FailureMessage(what, m_outcome.errorText));
    m_outcome.result = StopWordResult::Failed;
    return m_outcome;
}

}  // namespace

FileRequest StopWordFileRequest() {
    FileRequest request;
    request.title = u"削除する単語が記述されたファイルを選択してください";
    request.filters = {{u"テキストファイル (*.txt)", u"*.txt"}, {u"すべて(*.*)", u"*.*"}};
    request.defaultPattern = u"*.txt";
    request.kind = FileKind::Text;
    request.initialName = u"ignore.txt";
    return request;
}

StopWordOutcome DeleteWordsInFile(CCorpusDatabase& db, const std::u16string& path, IUserPrompt& prompt,
                                  IProgressSink& progress, IStatusText& status,
                                  const std::function<void()>& showStatistics, EncodingChoice encoding) {
    StopWordRun run(db, prompt, progress, status);
    return run.Run(path, showStatistics, encoding);
}

}  // namespace zorvia
