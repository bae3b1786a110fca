#include "corpus/database_files.h"

#include "platform/file_status.h"
#include "platform/program_dir.h"
#include "platform/trace.h"

namespace zorvia {

bool OpenDatabase(CCorpusDatabase& db, const std::u16string& path) {
    if (db.IsOpen()) db.Close();
    Trace("open db : %s\n", TraceText(path).c_str());
    if (!db.Open(path)) {
        Trace("open error : %s\n", TraceText(db.GetErrorText()).c_str());
        return false;
    }
    return true;
}

bool OpenDatabaseWithSchema(CCorpusDatabase& db, const std::u16string& path) {
    if (!OpenDatabase(db, path)) return false;
    for (const char16_t* statement : kSchemaStatements) {
        if (!db.Exec(statement)) Trace("exec error : %s\n", TraceText(db.GetErrorText()).c_str());
    }
    return true;
}

std::u16string DefaultDatabasePath() { return ProgramDirectory() + kDefaultDatabaseName; }

std::u16string StartupDatabasePath(const std::u16string& storedPath) {
    if (storedPath.empty() || !PathExists(storedPath)) return DefaultDatabasePath();
    return storedPath;
}

bool CheckDatabaseOpen(const CCorpusDatabase& db, IUserPrompt& prompt) {
    if (db.IsOpen()) return true;
    prompt.Message(kDatabaseNotOpenMessage, PromptButtons::Ok);
    return false;
}

FileRequest DatabaseFileRequest(bool save) {
    FileRequest request;
    request.save = save;
    request.title = save ? u"コーパスデータベースのファイル名を指定してください"
                         : u"コーパスデータベースのファイルを選択してください";
    request.filters = {{u"コーパスデータベース (*.zorviacorpusdb)", u"*.zorviacorpusdb"},
                       {u"すべて(*.*)", u"*.*"}};
    request.defaultPattern = u"*.zorviacorpusdb";
    return request;
}

}  // namespace zorvia
