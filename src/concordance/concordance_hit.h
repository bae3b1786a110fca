// One occurrence of the searched word, as the concordance list holds it.
#pragma once

#include <string>
#include <unordered_map>

namespace zorvia {

// -1 in every field but wid and lid means "not looked up yet".
struct ConcordanceHit {
    int wid;
    int lid;
    int line_no = -1;
    int oid = -1;
    int i_foundat = -1;
    int lid_b = -1;
    int lid_n = -1;
};

// Line texts fetched for drawing, by lid, until the next search.
using LineCache = std::unordered_map<int, std::u16string>;

}  // namespace zorvia
