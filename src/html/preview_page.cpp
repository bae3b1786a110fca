#include "html/preview_page.h"

#include <algorithm>
#include <vector>

#include "concordance/hit_lookups.h"
#include "corpus/word_rule.h"
#include "html/page_frame.h"
#include "html/report_pages.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "platform/trace.h"

namespace zorvia {

namespace {

// Scrolls the target's top to half a client height below the top of the
// view, now and at every resize. In quirks mode (no doctype) the height of
// the view is the body's.
constexpr char16_t kScrollScript[] =
    u"<script type='text/javascript'><!--\n"
    u"function my_move() {\n"
    u"  var obj = document.getElementById('theTarget')\n"
    u"  if( obj != null ) {\n"
    u"    var yTop = obj.offsetTop;\n"
    u"    var h = document.body.clientHeight;\n"
    u"    var y = yTop - h/2;\n"
    u"    scrollTo( '0', y );\n"
    u"  }\n"
    u"}\n"
    u"window.onresize = my_move;\n"
    u"my_move();\n"
    u"//--></script>\n";

void AppendEmphasis(std::u16string& out, std::u16string_view occurrence, std::size_t typedLength) {
    if (occurrence.size() == typedLength) {
        out += u"<em>";
        out += occurrence;
        out += u"</em>";
        return;
    }
    const std::size_t t = std::min(typedLength, occurrence.size());
    out += u"<em>";
    out += occurrence.substr(0, t);
    out += u"</em><em class=\"rest\">";
    out += occurrence.substr(t);
    out += u"</em>";
}

}  // namespace

static void AppendMarkedLine(std::u16string& out, std::u16string_view text, std::u16string_view upperKey,
                      std::size_t typedLength, int targetIndex, CWordRule* rule) {
    const std::size_t k = upperKey.size();
    if (k == 0) {
        out += text;
        return;
    }
    const std::u16string upper = FoldToUpper(text);
    if (rule != nullptr && !rule->IsSeparators()) {
        // Words of another rule: its occurrences, in order.
        std::vector<std::size_t> positions;
        rule->FindOccurrences(text, upper, upperKey, positions);
        std::size_t copied = 0;
        int accepted = 0;
        for (const std::size_t w : positions) {
            out += text.substr(copied, w - copied);
            out += accepted == targetIndex ? u"<span id=\"theTarget\">" : u"<span>";
            AppendEmphasis(out, text.substr(w, k), typedLength);
            out += u"</span>";
            ++accepted;
            copied = w + k;
        }
        out += text.substr(copied);
        return;
    }
    int accepted = 0;
    std::size_t copied = 0;  // start of the text not yet copied
    for (std::size_t w = upper.find(upperKey, copied); w != std::u16string::npos; w = upper.find(upperKey, copied)) {
        const std::size_t end = w + k;
        // Inside a longer word on either side: copy it unchanged and search
        // on after it, so occurrences never overlap.
        const bool startsWord = w == 0 || IsWordSeparator(text[w - 1]);
        const bool endsWord = end == text.size() || IsWordSeparator(text[end]);
        if (!startsWord || !endsWord) {
            out += text.substr(copied, end - copied);
            copied = end;
            continue;
        }
        out += text.substr(copied, w - copied);
        out += accepted == targetIndex ? u"<span id=\"theTarget\">" : u"<span>";
        AppendEmphasis(out, text.substr(w, k), typedLength);
        out += u"</span>";
        ++accepted;
        copied = end;
    }
    out += text.substr(copied);
}

std::u16string MarkPreviewLine(std::u16string_view text, std::u16string_view upperKey, std::size_t typedLength,
                               int targetIndex, CWordRule* rule) {
    std::u16string out;
    out.reserve(text.size() + 64);
    AppendMarkedLine(out, text, upperKey, typedLength, targetIndex, rule);
    return out;
}

PreviewPage BuildPreviewPage(CCorpusDatabase& db, const ConcordanceHit& hit, std::u16string_view searchWord,
                             std::u16string_view typedWord, int bodyLineSetting, const std::u16string& pageHead) {
    Trace("[MyPreviewFile]\n");
    Trace(" lid : %d\n", hit.lid);
    Trace(" i_foundat : %d\n", hit.i_foundat);
    const std::uint32_t t0 = GetTickCount32();

    PreviewPage page;
    page.bodyFilePath = LookupFilePath(db, hit.oid);
    Trace("path : %s\n", TraceText(page.bodyFilePath).c_str());
    page.bodyLine = hit.line_no;

    // 64-bit bounds: a large "body-line" must widen the window, not wrap it.
    const std::int64_t lid = hit.lid;
    db.Exec(u"SELECT lid, line_data FROM line WHERE oid = " + FormatInt(hit.oid) + u" AND lid > " +
            FormatInt(lid - bodyLineSetting) + u" AND lid < " + FormatInt(lid + bodyLineSetting) + u" ORDER BY lid");

    std::u16string& first = page.firstPiece;
    // A file name is text like any other: "<" or "&" in it must not become
    // markup of the page.
    first = pageHead + u"<h1>" + EscapeHtmlText(FileNameOfPath(page.bodyFilePath)) + u"</h1>" + u"<hr>\n";
    const int rows = db.GetRowCount();
    if (rows > 0 && !searchWord.empty()) {
        first += u"<div class=\"result\">\n";
        const std::u16string key = FoldToUpper(searchWord);
        CWordRule& rule = db.WordRule();
        // One buffer for the whole block: the lines and their marks are
        // appended in place rather than built as temporaries.
        std::size_t expected = first.size();
        for (int r = 0; r < rows; ++r) expected += db.GetCell(r, 1).size() + 48;
        first.reserve(expected + expected / 4);
        for (int r = 0; r < rows; ++r) {
            const int rowLid = db.GetCellInt(r, 0);
            const int target = rowLid == hit.lid ? hit.i_foundat : -1;
            first += u"  <div class=\"result\" id=\"line";
            first += FormatInt(rowLid);
            first += u"\">";
            AppendMarkedLine(first, db.GetCell(r, 1), key, typedWord.size(), target, &rule);
            first += u"</div>\n";
        }
        first += u"</div>\n";
    }
    page.elapsedMilliseconds = GetTickCount32() - t0;

    page.secondPiece = std::u16string(kScrollScript) + kPageTail;
    return page;
}

}  // namespace zorvia
