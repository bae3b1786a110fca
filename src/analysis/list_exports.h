// The main window's lists as tables to write out: the complete frequency
// word list (every word, not only the rows shown) and the concordance list.
#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/corpus_reader.h"
#include "analysis/job.h"
#include "analysis/table_model.h"
#include "concordance/concordance_hit.h"
#include "corpus/corpus_database.h"

namespace zorvia {

// Columns "word" (as the list shows it, in lower case) and "count".
CTextTable MakeWordListTable();
// Every word of the corpus, in the order of the frequency table: more
// occurrences first, then shorter, then by the code points of word_upper.
JobResult LoadCompleteWordList(CCorpusReader& reader, std::stop_token stop, CTextTable& table);

// Columns wid, file, line_no, left, node, right, as the KWIC table has them;
// the contexts are those the concordance list draws (they run on into the
// lines before and after).
CTextTable MakeConcordanceTable();
// The fields of one hit as the concordance list shows it; nothing when the
// list draws nothing for it (its line is gone).
std::optional<std::vector<std::string>> ConcordanceRowFields(CCorpusDatabase& db, ConcordanceHit& hit,
                                                            LineCache& cache, const std::u16string& searchWord,
                                                            int index);
// Every hit of the list, read through a read-only connection of its own.
JobResult LoadConcordanceList(const std::u16string& corpusPath, std::vector<ConcordanceHit> hits,
                              const std::u16string& searchWord, std::stop_token stop, IJobProgress& progress,
                              CTextTable& table);

}  // namespace zorvia
