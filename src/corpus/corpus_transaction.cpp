#include "corpus/corpus_transaction.h"

#include <charconv>

#include "platform/trace.h"

namespace zorvia {

bool ExecOrTrace(CCorpusDatabase& db, const std::u16string& sql) {
    if (db.Exec(sql)) return true;
    Trace("exec error : %s\n", TraceText(db.GetErrorText()).c_str());
    return false;
}

bool ExecOrTrace(CCorpusDatabase& db, const std::string& utf8Sql) {
    if (db.ExecUtf8(utf8Sql)) return true;
    Trace("exec error : %s\n", TraceText(db.GetErrorText()).c_str());
    return false;
}

void Rollback(CCorpusDatabase& db) { ExecOrTrace(db, u"ROLLBACK"); }

std::u16string FailureMessage(std::u16string_view what, const std::u16string& errorText) {
    std::u16string text(what);
    if (!errorText.empty()) {
        text += u"\n\n";
        text += errorText;
    }
    return text;
}

int ProgressPermille(std::int64_t index, std::int64_t total, std::int64_t limit) {
    const std::int64_t whole = total > 0 ? total : limit;
    if (whole <= 0 || index <= 0) return 0;
    const std::int64_t permille = index * 1000 / whole;
    return permille > 1000 ? 1000 : static_cast<int>(permille);
}

void AppendDecimal(std::u16string& out, std::int64_t value) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    out.append(digits, end);
}

void AppendEscaped(std::u16string& out, std::u16string_view text) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t quote = text.find(u'\'', from);
        if (quote == std::u16string_view::npos) {
            out.append(text.substr(from));
            return;
        }
        out.append(text.substr(from, quote + 1 - from));
        out.push_back(u'\'');
        from = quote + 1;
    }
}

void AbandonOperation(Abandon why, CCorpusDatabase& db, TextLineReader& reader, IProgressSink& progress,
                      IUserPrompt& prompt, const std::u16string& message) {
    if (why == Abandon::Cancelled) {
        progress.SetText(u"ABORTING...");
        progress.Pump();
    }
    reader.Close();
    Rollback(db);
    prompt.Message(message, PromptButtons::Ok, why == Abandon::Cancelled ? PromptIcon::None : PromptIcon::Error);
    progress.End();
}

}  // namespace zorvia
