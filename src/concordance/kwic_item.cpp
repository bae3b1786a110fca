#include "concordance/kwic_item.h"

#include <algorithm>
#include <cmath>

#include "concordance/hit_lookups.h"
#include "corpus/word_rule.h"
#include "platform/text_convert.h"
#include "platform/trace.h"

namespace zorvia {

namespace {

bool ReadLineIntoCache(CCorpusDatabase& db, int lid, LineCache& cache) {
    db.Exec(u"SELECT line_data FROM line WHERE lid=" + FormatInt(lid));
    if (db.GetRowCount() == 0) return false;
    cache[lid] = db.GetCell(0, 0);
    return true;
}

bool Holds(const LineCache& cache, int lid) { return lid >= 0 && cache.find(lid) != cache.end(); }

}  // namespace

std::optional<KwicText> PrepareKwicItem(CCorpusDatabase& db, ConcordanceHit& hit, LineCache& cache,
                                        std::u16string_view searchWord, int itemIndex) {
    Trace("[DrawItem] idx : %d\n", itemIndex);
    LookupOccurrence(db, hit);
    LookupLine(db, hit);

    if (!(Holds(cache, hit.lid) && hit.line_no != -1 && hit.oid != -1)) {
        db.Exec(u"SELECT line_data, line_no, oid FROM line WHERE lid=" + FormatInt(hit.lid));
        // The line has gone (its file was removed after the search).
        if (db.GetRowCount() == 0) return std::nullopt;
        cache[hit.lid] = db.GetCell(0, 0);
        hit.line_no = db.GetCellInt(0, 1);
        hit.oid = db.GetCellInt(0, 2);
    }
    const std::u16string line = cache[hit.lid];

    LookupNeighbours(db, hit);
    if (hit.lid_b >= 0 && !Holds(cache, hit.lid_b)) ReadLineIntoCache(db, hit.lid_b, cache);
    if (hit.lid_n >= 0 && !Holds(cache, hit.lid_n)) ReadLineIntoCache(db, hit.lid_n, cache);
    if (!Holds(cache, hit.lid_b) && hit.line_no != 0) {
        Trace("１つ前の行がないっぽ？\n");
        Trace(" lid   : %d\n", hit.lid);
        Trace(" lid_b : %d\n", hit.lid_b);
        Trace(" lid_n : %d\n", hit.lid_n);
        Trace(" line_no : %d\n", hit.line_no);
    }

    // Position of occurrence number i_foundat of the search word. With no
    // search word there is no key: the whole line is the right context.
    const std::size_t n = searchWord.size();
    std::size_t p = 0;
    if (n > 0) {
        const std::u16string upperLine = FoldToUpper(line);
        const std::u16string upperWord = FoldToUpper(searchWord);
        // Occurrence i_foundat among the line's words whose fold is the
        // word's, cut by the corpus's own rule.
        const std::size_t found = db.WordRule().FindOccurrence(line, upperLine, upperWord, hit.i_foundat);
        if (found == kNotFound) {
            Trace(" line の中に %d 番目の検索語が見つからなかったorz\n", hit.i_foundat);
            Trace(" word        : /%s/\n", TraceText(std::u16string(searchWord)).c_str());
            Trace(" word(upper) : /%s/\n", TraceText(upperWord).c_str());
            Trace(" line(orig.) : /%s/\n", TraceText(line).c_str());
            Trace(" line(upper) : /%s/\n", TraceText(upperLine).c_str());
            return std::nullopt;
        }
        p = found;
    }

    KwicText text;
    if (Holds(cache, hit.lid_b)) text.left = cache[hit.lid_b] + u" ";
    text.left += line.substr(0, p);
    text.key = line.substr(p, n);
    text.right = line.substr(p + n);
    if (Holds(cache, hit.lid_n)) text.right += u" " + cache[hit.lid_n];
    return text;
}

namespace {

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double Luminance(KwicColour c) {
    const auto channel = [](unsigned char value) {
        const double v = value / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

// From 1 (no contrast) to 21 (black on white).
double ContrastRatio(KwicColour a, KwicColour b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

KwicColour ReadableTextColour(KwicColour background, KwicColour preferred) {
    // 4.5 is the contrast that ordinary text needs to read comfortably.
    if (ContrastRatio(preferred, background) >= 4.5) return preferred;
    constexpr KwicColour black{0, 0, 0};
    constexpr KwicColour white{255, 255, 255};
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

int KwicNumberWidth(std::size_t itemCount, const std::function<int(std::u16string_view)>& textWidth) {
    // The number is followed by a little room before the divider.
    const int needed = textWidth(FormatInt(static_cast<std::int64_t>(itemCount), 4)) + 3;
    return std::max(kKwicNumberWidth, needed);
}

KwicLayout LayoutKwic(int itemIndex, const KwicText& text, int typedLength, const KwicRect& item,
                      const std::function<int(std::u16string_view)>& textWidth, int numberWidth) {
    KwicLayout layout;
    layout.number = FormatInt(std::int64_t{itemIndex} + 1, 4);
    layout.numberRect = {item.left, item.top, item.left + numberWidth, item.bottom};
    layout.dividerX = item.left + numberWidth;

    const int w = textWidth(text.key);
    const int x0 = item.left + numberWidth + 3;
    // Truncates toward zero; negative when the key is wider than the area.
    const int c = (item.right - x0 - w) / 2;
    const int kx = x0 + c;
    layout.keyX = kx;
    layout.keyWidth = w;

    layout.left = text.left;
    layout.leftRect = {x0, item.top, kx, item.bottom};

    const std::size_t keyLength = text.key.size();
    const std::size_t t = typedLength < 0 ? 0 : static_cast<std::size_t>(typedLength);
    if (t == keyLength) {
        layout.keyParts.push_back({text.key, {kx, item.top, kx + w, item.bottom}, kKwicTypedColour});
    } else {
        const std::u16string typedPart = text.key.substr(0, std::min(t, keyLength));
        const std::u16string restPart = text.key.substr(std::min(t, keyLength));
        const int wa = textWidth(typedPart);
        layout.keyParts.push_back({typedPart, {kx, item.top, kx + wa, item.bottom}, kKwicTypedColour});
        layout.keyParts.push_back({restPart, {kx + wa, item.top, kx + w, item.bottom}, kKwicRestColour});
    }

    layout.right = text.right;
    layout.rightRect = {kx + w, item.top, item.right, item.bottom};
    return layout;
}

}  // namespace zorvia
