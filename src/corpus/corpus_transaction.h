// Pieces shared by the operations that change the corpus inside one
// transaction (file import, file removal, stop-word removal): the statement
// runner that writes the diagnostic line of a failure, the rollback, the
// text a user sees when a statement failed, and the progress arithmetic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "corpus/corpus_database.h"
#include "corpus/progress.h"
#include "corpus/text_line_reader.h"
#include "platform/prompt.h"

namespace zorvia {

// What the user is told after a cancelled operation was rolled back.
inline constexpr char16_t kCancelledMessage[] = u"中止しました";

// Exec; a failure is written as "exec error : %s\n" with the error text.
bool ExecOrTrace(CCorpusDatabase& db, const std::u16string& sql);
bool ExecOrTrace(CCorpusDatabase& db, const std::string& utf8Sql);

// Sends "ROLLBACK". Its own failure is only traced: SQLite ends a
// transaction by itself after some errors (a full disk, an I/O error), and
// then there is nothing left to roll back.
void Rollback(CCorpusDatabase& db);

// `what` (a full Japanese sentence or two) followed by SQLite's message on a
// line of its own.
std::u16string FailureMessage(std::u16string_view what, const std::u16string& errorText);

// The progress bar position, 0 to 1000, of item `index` of `total`, in 64
// bits so that index × 1000 cannot overflow. A total of 0 or less (a file
// at the line limit, which gives no count) measures against `limit`
// instead: the reading stops there, so the bar still ends full.
int ProgressPermille(std::int64_t index, std::int64_t total, std::int64_t limit);

// Ends a long operation that will not commit: closes its file, rolls the
// transaction back, tells the user and takes the progress window down. A
// cancel first shows "ABORTING..." and pumps once.
enum class Abandon { Cancelled, Failed };
void AbandonOperation(Abandon why, CCorpusDatabase& db, TextLineReader& reader, IProgressSink& progress,
                      IUserPrompt& prompt, const std::u16string& message);

// Appends `value` in decimal (printf's "%d").
void AppendDecimal(std::u16string& out, std::int64_t value);

// Appends `text` with every single quote doubled (EscapeSqlText without a
// temporary string).
void AppendEscaped(std::u16string& out, std::u16string_view text);

}  // namespace zorvia
