// One occurrence of the searched word, and the texts of the lines that the
// concordance list has read so far. Both live until the next search.
#pragma once

#include <string>
#include <unordered_map>

namespace zorvia {

// Every field but wid and lid is -1 until looked up. For lid_b and lid_n -1
// also stands for a missing neighbour (the first or last stored line of a
// file, or a line next to an empty one), so that lookup is tried again.
struct ConcordanceHit {
    int wid;
    int lid;
    int line_no = -1;
    int oid = -1;
    int i_foundat = -1;  // rank of this occurrence among the same word's in its line
    int lid_b = -1;      // the line before: same oid, line_no - 1
    int lid_n = -1;      // the line after: same oid, line_no + 1
};

// lid -> line_data.
using LineCache = std::unordered_map<int, std::u16string>;

}  // namespace zorvia
