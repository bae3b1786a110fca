// The report pages of the body pane: version and statistics, registered
// files, the complete word list and the defragmentation result. Each builder
// returns the whole page (page head, content, page tail); showing it, the
// database-not-open test, the confirmations and the status bar's timing part
// are the window's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"

namespace zorvia {

class CWordRule;

// The notice and the support page address of the version page's footer.
inline constexpr char16_t kCopyrightNotice[] = u"Copyright (C) 2026 Zorvia Concordancer developers";
inline constexpr char16_t kSupportPageAddress[] = u"https://zorvia-concordancer.example.org/support/";

// Asked (Yes/No) before the two reports that can take minutes.
inline constexpr char16_t kCompleteWordListConfirmation[] =
    u"完全な語彙表リストを作ります。\n数分程度かかる場合があります。\n\n実行してもよろしいですか？";
inline constexpr char16_t kDefragConfirmation[] =
    u"デフラグを行います。\n数分程度かかる場合があります。\n\n実行してもよろしいですか？";

inline constexpr char16_t kRegisteredFileListHeading[] =
    u"<h1>登録ファイル一覧</h1>\n<hr>\n<div>\n <table>\n  <tr><th>ファイル名</th><th>登録日</th></tr>\n";
inline constexpr char16_t kCompleteWordListHeading[] =
    u"<h1>Complete Word List</h1>\n<hr>\n<div>\n <table>\n  <tr><th>単語</th><th>出現回数</th></tr>\n";
inline constexpr char16_t kDefragReportHeading[] = u"<h1>Defrag Result</h1>\n<hr>\n<div>\n <pre>\n";

// Text as it goes into an element or a quoted attribute of a page: &, <, >
// and " as character references, so that a word like "<script>x" shows as it
// is stored instead of opening an element that swallows the rows after it.
std::u16string EscapeHtmlText(std::u16string_view text);

// --- version and statistics --------------------------------------------------

struct CorpusCounts {
    int files = 0;
    int lines = 0;
    int words = 0;
    // Distinct forms of the `word` column, letter case kept; only counted
    // when the query is not quick (it groups the whole word table).
    int uniqueWords = 0;
};

// The count queries of the version page, each announced in the status bar's
// message part first when `status` is given. A failing query (no database
// open) counts 0.
CorpusCounts QueryCorpusCounts(CCorpusDatabase& db, bool quick, IStatusText* status);

// The page for counts already taken; the unique-word line only when not
// quick. `wordRuleLines` (from WordRuleLines) follow the counts.
std::u16string BuildVersionPage(const CorpusCounts& counts, bool quick, const std::u16string& pageHead,
                                std::u16string_view wordRuleLines = {});

// The lines of the version page that name the corpus's word rule and, for
// MeCab, its dictionary (and why it cannot be used, when it cannot).
std::u16string WordRuleLines(CWordRule& rule);

// QueryCorpusCounts, then the page.
std::u16string BuildVersionPage(CCorpusDatabase& db, bool quick, const std::u16string& pageHead,
                                IStatusText* status);

// --- registered files ----------------------------------------------------------

// Every registered file with its stored path and registration date, oldest
// first.
std::u16string BuildRegisteredFileList(CCorpusDatabase& db, const std::u16string& pageHead);

// --- complete word list --------------------------------------------------------

struct WordCount {
    std::u16string word;  // the folded form, shown in lower case
    int count = 0;
};

// Every distinct folded word with its number of occurrences: most frequent
// first, then shorter first, then by the folded text in code point order.
// A failing query gives no rows.
std::vector<WordCount> QueryCompleteWordList(CCorpusDatabase& db);

std::u16string BuildCompleteWordListPage(const std::vector<WordCount>& words, const std::u16string& pageHead);

struct CompleteWordListResult {
    std::u16string page;
    // Rows of the query; with none the window empties its timing part.
    int rowCount = 0;
};

// The query and the page in one, as the window times them.
CompleteWordListResult BuildCompleteWordList(CCorpusDatabase& db, const std::u16string& pageHead);

// --- defragmentation -----------------------------------------------------------

struct DefragFigures {
    std::int64_t beforeKb = 0;  // whole kilobytes, fractions dropped
    std::int64_t afterKb = 0;
    double decreasePercent = 0.0;  // of the size before; 0 when that is 0
};

// Sizes in bytes; a size that could not be read is passed as 0.
DefragFigures ComputeDefragFigures(std::int64_t beforeBytes, std::int64_t afterBytes);

std::u16string BuildDefragReport(std::int64_t beforeBytes, std::int64_t afterBytes,
                                 const std::u16string& pageHead);

}  // namespace zorvia
