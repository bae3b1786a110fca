#include "concordance/hit_lookups.h"

#include "platform/text_convert.h"

namespace zorvia {

void LookupOccurrence(CCorpusDatabase& db, ConcordanceHit& hit) {
    if (hit.i_foundat != -1) return;
    // Words of a line are stored left to right with rising wid, so the rank
    // in wid order among the same word's rows of the line is the rank in the
    // line.
    db.Exec(u"SELECT w1.wid, w1.lid FROM word AS w1, word AS w2 WHERE w1.lid = w2.lid AND w2.wid = " +
            FormatInt(hit.wid) + u" AND w1.word_upper = w2.word_upper ORDER BY w1.wid");
    const int rows = db.GetRowCount();
    if (rows == 0) return;
    hit.lid = db.GetCellInt(0, 1);
    hit.i_foundat = -1;
    for (int i = 0; i < rows; ++i) {
        if (db.GetCellInt(i, 0) == hit.wid) {
            hit.i_foundat = i;
            break;
        }
    }
}

void LookupLine(CCorpusDatabase& db, ConcordanceHit& hit) {
    if (hit.line_no != -1 && hit.oid != -1) return;
    db.Exec(u"SELECT line_no, oid FROM line WHERE lid=" + FormatInt(hit.lid));
    if (db.GetRowCount() == 0) return;
    hit.line_no = db.GetCellInt(0, 0);
    hit.oid = db.GetCellInt(0, 1);
}

namespace {

int NeighbourLid(CCorpusDatabase& db, std::int64_t lineNo, int oid) {
    db.Exec(u"SELECT lid FROM line WHERE line_no=" + FormatInt(lineNo) + u" AND oid=" + FormatInt(oid));
    return db.GetRowCount() > 0 ? db.GetCellInt(0, 0) : -1;
}

}  // namespace

void LookupNeighbours(CCorpusDatabase& db, ConcordanceHit& hit) {
    // 64-bit so that the numbers next to an extreme line_no cannot overflow.
    if (hit.lid_b == -1) hit.lid_b = NeighbourLid(db, std::int64_t{hit.line_no} - 1, hit.oid);
    if (hit.lid_n == -1) hit.lid_n = NeighbourLid(db, std::int64_t{hit.line_no} + 1, hit.oid);
}

void CompleteHit(CCorpusDatabase& db, ConcordanceHit& hit) {
    LookupOccurrence(db, hit);
    LookupLine(db, hit);
}

std::u16string LookupFilePath(CCorpusDatabase& db, int oid) {
    db.Exec(u"SELECT filename from original_file WHERE oid=" + FormatInt(oid));
    return db.GetRowCount() > 0 ? db.GetCell(0, 0) : std::u16string();
}

}  // namespace zorvia
