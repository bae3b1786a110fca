#include "html/report_pages.h"

#include "corpus/registered_files.h"
#include "corpus/word_rule.h"
#include "html/page_frame.h"
#include "platform/prompt.h"
#include "platform/text_convert.h"
#include "corpus/word_summary.h"

namespace zorvia {

namespace {

// The first cell of the first row, or 0 when the statement failed or gave
// no row.
int QueryCount(CCorpusDatabase& db, const char16_t* sql) {
    if (!db.Exec(sql)) return 0;
    return db.GetCellInt(0, 0);
}

void Announce(IStatusText* status, const char16_t* text) {
    if (status != nullptr) status->SetStatusText(text);
}

}  // namespace

std::u16string EscapeHtmlText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

CorpusCounts QueryCorpusCounts(CCorpusDatabase& db, bool quick, IStatusText* status) {
    // The kept totals, when the corpus has them, instead of counting.
    const std::optional<SummaryTotals> totals = SummaryCorpusTotals(db);
    CorpusCounts counts;
    Announce(status, u"Retrieving : file count...");
    counts.files = totals ? totals->files : QueryCount(db, u"SELECT count(*) FROM original_file");
    Announce(status, u"Retrieving : line count...");
    counts.lines = totals ? totals->lines : QueryCount(db, u"SELECT count(*) FROM line");
    Announce(status, u"Retrieving : word count...");
    counts.words = totals ? totals->words : QueryCount(db, u"SELECT count(*) FROM word");
    if (!quick) {
        Announce(status, u"Retrieving : unique word count...");
        counts.uniqueWords = totals ? totals->forms
                                    : QueryCount(db, u"SELECT count(*) FROM (SELECT count(word) FROM word GROUP BY word)");
    }
    return counts;
}

std::u16string WordRuleLines(CWordRule& rule) {
    if (!rule.IsReadable()) return u"\n word rule        : ? (" + EscapeHtmlText(rule.Problem()) + u")";
    std::u16string lines = u"\n word rule        : " + WordRuleName(rule.Kind());
    if (rule.Kind() == WordRuleKind::Mecab) {
        lines += u"\n dictionary       : " + EscapeHtmlText(rule.Dictionary());
        if (!rule.CanCut()) lines += u" (読み込めません：" + EscapeHtmlText(rule.Problem()) + u")";
    }
    return lines;
}

std::u16string BuildVersionPage(const CorpusCounts& counts, bool quick, const std::u16string& pageHead,
                                std::u16string_view wordRuleLines) {
    std::u16string page = pageHead;
    page += u"<h1>Zorvia Concordancer Ver.";
    page += kAppVersion;
    page += u"</h1><hr>\n<div>\n <pre>";
    // The labels are padded so that the colons line up; the counts are
    // right-aligned in ten characters.
    page += u" registered files : " + FormatInt(counts.files, 10);
    page += u"\n lines            : " + FormatInt(counts.lines, 10);
    page += u"\n words            : " + FormatInt(counts.words, 10);
    if (!quick) page += u"\n unique words     : " + FormatInt(counts.uniqueWords, 10);
    page += wordRuleLines;
    page += u" </pre>\n</div>\n";
    page += u"<div class=\"copyright\">";
    page += kCopyrightNotice;
    page += u"</div>\n";
    page += u"<div class=\"supportpage\">\n";
    page += u" <a href=\"";
    page += kSupportPageAddress;
    page += u"\" target=\"_blank\">";
    page += kSupportPageAddress;
    page += u"</a>\n";
    page += u"</div>\n";
    page += kPageTail;
    return page;
}

std::u16string BuildVersionPage(CCorpusDatabase& db, bool quick, const std::u16string& pageHead,
                                IStatusText* status) {
    const CorpusCounts counts = QueryCorpusCounts(db, quick, status);
    // No corpus open, no rule to name.
    return BuildVersionPage(counts, quick, pageHead, db.IsOpen() ? WordRuleLines(db.WordRule()) : std::u16string());
}

std::u16string BuildRegisteredFileList(CCorpusDatabase& db, const std::u16string& pageHead) {
    std::u16string page = pageHead + kRegisteredFileListHeading;
    if (db.Exec(u"SELECT filename, date, memo FROM original_file ORDER BY date")) {
        for (int row = 0; row < db.GetRowCount(); ++row) {
            // The full stored path, shown as it is stored; the memo column is
            // not shown.
            page += u"  <tr><td>" + EscapeHtmlText(db.GetCell(row, 0)) + u"</td><td>" +
                    FormatRegistrationDate(db.GetCellInt(row, 1)) + u"</td></tr>\n";
        }
    }
    page += u" </table>\n</div>\n";
    page += kPageTail;
    return page;
}

std::vector<WordCount> QueryCompleteWordList(CCorpusDatabase& db) {
    std::vector<WordCount> words;
    const std::optional<bool> fromSummary = QuerySummaryRanking(db, -1);
    const bool done = fromSummary ? *fromSummary
                                  : db.Exec(u"SELECT word_upper, count(word_upper) FROM word GROUP BY word_upper "
                                            u"ORDER BY count(word_upper) DESC, length(word_upper), word_upper");
    if (!done) return words;
    words.reserve(static_cast<std::size_t>(db.GetRowCount()));
    for (int row = 0; row < db.GetRowCount(); ++row) {
        words.push_back({FoldToLower(db.GetCell(row, 0)), db.GetCellInt(row, 1)});
    }
    return words;
}

std::u16string BuildCompleteWordListPage(const std::vector<WordCount>& words, const std::u16string& pageHead) {
    std::u16string page = pageHead + kCompleteWordListHeading;
    for (const WordCount& entry : words) {
        page += u"  <tr><td>" + EscapeHtmlText(entry.word) + u"</td><td>" + FormatInt(entry.count) + u"</td></tr>\n";
    }
    page += u" </table>\n</div>\n";
    page += kPageTail;
    return page;
}

CompleteWordListResult BuildCompleteWordList(CCorpusDatabase& db, const std::u16string& pageHead) {
    const std::vector<WordCount> words = QueryCompleteWordList(db);
    return {BuildCompleteWordListPage(words, pageHead), static_cast<int>(words.size())};
}

DefragFigures ComputeDefragFigures(std::int64_t beforeBytes, std::int64_t afterBytes) {
    DefragFigures figures;
    figures.beforeKb = beforeBytes / 1024;
    figures.afterKb = afterBytes / 1024;
    // A size that could not be read comes in as 0; there is nothing to
    // compare against then.
    if (beforeBytes > 0) {
        figures.decreasePercent =
            static_cast<double>(beforeBytes - afterBytes) / static_cast<double>(beforeBytes) * 100.0;
    }
    return figures;
}

std::u16string BuildDefragReport(std::int64_t beforeBytes, std::int64_t afterBytes,
                                 const std::u16string& pageHead) {
    const DefragFigures figures = ComputeDefragFigures(beforeBytes, afterBytes);
    std::u16string page = pageHead + kDefragReportHeading;
    page += u" デフラグ前：" + FormatInt(figures.beforeKb) + u" [KB]\n";
    page += u" デフラグ後：" + FormatInt(figures.afterKb) + u" [KB]\n";
    page += u"  " + FormatFixed2(figures.decreasePercent) + u" ％減少\n";
    page += u" </pre>\n</div>";
    page += kPageTail;
    return page;
}

}  // namespace zorvia
