// A key-word-in-context item of the concordance list: the texts read from
// the corpus, and the geometry and colours of its drawing from a text
// measurer. Nothing here draws; the list box paints what LayoutKwic returns.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "concordance/concordance_hit.h"
#include "corpus/corpus_database.h"

namespace zorvia {

struct KwicText {
    std::u16string left;   // previous line, a space and the start of the line; or the start alone
    std::u16string key;    // the occurrence as written in the line
    std::u16string right;  // rest of the line, then a space and the next line when there is one
};

// The texts of item `itemIndex` for `hit`. Completes the hit and reads its
// line and neighbours into the cache. Nothing when the item draws nothing:
// its line is gone from the corpus, or the searched word's occurrence number
// i_foundat is not in the line. An empty search word gives an empty key,
// nothing on the left and the whole line on the right.
std::optional<KwicText> PrepareKwicItem(CCorpusDatabase& db, ConcordanceHit& hit, LineCache& cache,
                                        std::u16string_view searchWord, int itemIndex);

struct KwicRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct KwicColour {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
    friend bool operator==(const KwicColour&, const KwicColour&) = default;
};

// Fill of a selected item, frame of the focused item, and the two parts of
// the key word: what the user typed, and the rest that the search completed.
inline constexpr KwicColour kKwicSelectionFill{192, 192, 255};
inline constexpr KwicColour kKwicFocusFrame{128, 128, 128};
inline constexpr KwicColour kKwicTypedColour{0, 0, 255};
inline constexpr KwicColour kKwicRestColour{192, 0, 255};

// The text colour of a selected item: `preferred` (the system's highlight
// text colour) when it reads well on `background`, otherwise black or white,
// whichever contrasts more. A light highlight text, as many desktop themes
// have, would be pale on the light selection fill.
KwicColour ReadableTextColour(KwicColour background, KwicColour preferred);

struct KwicKeyPart {
    std::u16string text;
    KwicRect rect;
    KwicColour colour;
};

// Every text is one line, vertically centred and clipped to its rectangle.
struct KwicLayout {
    std::u16string number;  // item index + 1, right-aligned in four places
    KwicRect numberRect;    // left-aligned
    int dividerX = 0;       // a vertical line from top to bottom
    std::u16string left;
    KwicRect leftRect;      // right-aligned: a wide context loses its beginning
    int keyX = 0;           // may lie left of the text area when the key is very wide
    int keyWidth = 0;
    std::vector<KwicKeyPart> keyParts;  // one when the typed length is the key's, else two
    std::u16string right;
    KwicRect rightRect;     // left-aligned
};

// The narrowest number area; wider when the font needs more room.
inline constexpr int kKwicNumberWidth = 25;

// The width of the number area of a list of `itemCount` items: room for its
// largest number, never below kKwicNumberWidth.
int KwicNumberWidth(std::size_t itemCount, const std::function<int(std::u16string_view)>& textWidth);

// The key word is centred in the item's text area; the number takes the
// first `numberWidth` pixels, a divider follows, and the text area starts 3
// pixels after it. `typedLength` is the length of the typed word.
KwicLayout LayoutKwic(int itemIndex, const KwicText& text, int typedLength, const KwicRect& item,
                      const std::function<int(std::u16string_view)>& textWidth,
                      int numberWidth = kKwicNumberWidth);

}  // namespace zorvia
