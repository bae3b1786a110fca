// Compacting the corpus file with SQLite's VACUUM, with its size before and
// after for the report.
#pragma once

#include <cstdint>
#include <string>

#include "corpus/corpus_database.h"

namespace zorvia {

struct DefragResult {
    std::int64_t beforeBytes = 0;  // 0 when the file's status cannot be read
    std::int64_t afterBytes = 0;
    bool vacuumSucceeded = false;
    std::u16string errorText;  // SQLite's message when VACUUM failed
};

// Reads the size of the file at `databasePath`, runs "VACUUM" on `db` and
// reads the size again. A failing VACUUM is traced and reported in the
// result; the sizes are read in any case.
DefragResult RunDefrag(CCorpusDatabase& db, const std::u16string& databasePath);

}  // namespace zorvia
