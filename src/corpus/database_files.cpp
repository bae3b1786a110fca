#include "corpus/database_files.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "corpus/word_rule.h"
#include "platform/file_status.h"
#include "platform/text_convert.h"
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

std::optional<std::u16string> EnsureWordRuleUsable(CCorpusDatabase& db, const std::u16string& path) {
    if (!db.IsOpen()) return std::nullopt;
    CWordRule& rule = db.WordRule();
    if (rule.Kind() != WordRuleKind::Mecab || rule.CanCut()) return std::nullopt;
    std::u16string message =
        u"このコーパスは MeCab で単語に区切りますが、MeCab またはその辞書（" + rule.Dictionary() +
        u"）を読み込めませんでした。\n" + rule.Problem() +
        u"\n\nコーパスは読み取り専用で開きました。検索はできますが、ファイルの追加と語の削除はできません。"
        u"用例の中の語の位置は、語の区切りを確かめずに示します。";
    if (!db.IsReadOnly() && !db.OpenReadOnly(path)) {
        Trace("open error : %s\n", TraceText(db.GetErrorText()).c_str());
    }
    return message;
}

CorpusFileProbe ProbeCorpusFile(const std::u16string& path) {
    CorpusFileProbe probe;
    const std::string native = NativePath(path);
    struct stat status {};
    if (::stat(native.c_str(), &status) != 0) {
        probe.state = errno == ENOENT || errno == ENOTDIR ? CorpusFileState::Missing : CorpusFileState::Unreadable;
        if (probe.state == CorpusFileState::Unreadable) probe.errorText = Utf8ToWide(std::strerror(errno));
        return probe;
    }
    if (!S_ISREG(status.st_mode)) {
        probe.state = CorpusFileState::Unreadable;
        probe.errorText = S_ISDIR(status.st_mode) ? u"is a directory" : u"not a regular file";
        return probe;
    }
    if (status.st_size == 0) {
        probe.state = CorpusFileState::Empty;
        return probe;
    }
    CCorpusDatabase db;
    if (!db.OpenReadOnly(path)) {
        probe.state = CorpusFileState::Unreadable;
        probe.errorText = db.GetErrorText();
        return probe;
    }
    if (!db.Exec(u"SELECT count(*), sum(type = 'table' AND name IN ('original_file', 'line', 'word')) "
                 u"FROM sqlite_master")) {
        const int code = sqlite3_errcode(db.NativeHandle());
        probe.state = code == SQLITE_BUSY || code == SQLITE_LOCKED ? CorpusFileState::Locked
                      : code == SQLITE_NOTADB                     ? CorpusFileState::NotDatabase
                                                                  : CorpusFileState::Unreadable;
        probe.errorText = db.GetErrorText();
        return probe;
    }
    const int objects = db.GetCellInt(0, 0);
    const int corpusTables = db.GetCellInt(0, 1);
    probe.state = objects == 0           ? CorpusFileState::Empty
                  : corpusTables == 3    ? CorpusFileState::Corpus
                                         : CorpusFileState::NotCorpus;
    return probe;
}

std::u16string DefaultDatabasePath() { return DefaultCorpusDirectory() + kDefaultDatabaseName; }

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
    request.kind = FileKind::Corpus;
    return request;
}

}  // namespace zorvia
