#include "corpus/defrag.h"

#include "platform/file_status.h"
#include "platform/trace.h"

namespace zorvia {

DefragResult RunDefrag(CCorpusDatabase& db, const std::u16string& databasePath) {
    DefragResult result;
    result.beforeBytes = FileSizeOf(databasePath).value_or(0);
    result.vacuumSucceeded = db.Exec(u"VACUUM");
    if (!result.vacuumSucceeded) {
        result.errorText = db.GetErrorText();
        Trace("exec error : %s\n", TraceText(result.errorText).c_str());
    }
    result.afterBytes = FileSizeOf(databasePath).value_or(0);
    return result;
}

}  // namespace zorvia
