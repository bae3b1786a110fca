// Completing a hit from the database. Each lookup fills fields that are
// still -1 and leaves known ones alone; a lookup that finds nothing leaves
// -1, so it runs again next time.
#pragma once

#include <string>

#include "concordance/concordance_hit.h"
#include "corpus/corpus_database.h"

namespace zorvia {

// i_foundat: the rank, from the left, of this occurrence among the
// occurrences of the same folded word in its line. Also refreshes lid.
void LookupOccurrence(CCorpusDatabase& db, ConcordanceHit& hit);

// line_no and oid of the hit's line.
void LookupLine(CCorpusDatabase& db, ConcordanceHit& hit);

// lid_b and lid_n: the stored lines numbered line_no - 1 and line_no + 1 in
// the same file.
void LookupNeighbours(CCorpusDatabase& db, ConcordanceHit& hit);

// What selecting a hit needs before its preview: occurrence and line.
void CompleteHit(CCorpusDatabase& db, ConcordanceHit& hit);

// The stored path of a registered file, or empty when there is no such file.
std::u16string LookupFilePath(CCorpusDatabase& db, int oid);

}  // namespace zorvia
