#include "analysis/corpus_reader.h"

#include <chrono>
#include <thread>

#include "platform/text_convert.h"

namespace zorvia {

namespace {
// SQLite calls the progress handler every this many virtual machine steps:
// a few microseconds, so that a stop ends even a full-table scan at once.
constexpr int kProgressSteps = 4000;
// How long a read waits for another process that is writing the file.
constexpr int kBusyWaitMs = 10000;
constexpr int kBusyStepMs = 20;
}  // namespace

CCorpusReader::~CCorpusReader() { Close(); }

bool CCorpusReader::Open(const std::u16string& path, std::stop_token stop) {
    Close();
    m_stop = std::move(stop);
    sqlite3* handle = nullptr;
    // A reader belongs to one job's thread at a time: SQLite need not lock
    // the connection for each call.
    const int rc =
        sqlite3_open_v2(WideToUtf8(path).c_str(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_errorText = Utf8ToWide(handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
        sqlite3_close(handle);
        return false;
    }
    m_db = handle;
    m_path = path;
    sqlite3_progress_handler(m_db, kProgressSteps, &CCorpusReader::OnProgress, this);
    sqlite3_busy_handler(m_db, &CCorpusReader::OnBusy, this);
    sqlite3_exec(m_db, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    // A deferred transaction takes its lock at the first read and keeps it
    // until the job ends: the job reads one consistent corpus.
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        SetErrorFromConnection();
        Close();
        return false;
    }
    return true;
}

void CCorpusReader::Close() {
    if (m_db == nullptr) return;
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    // Statements still alive finish the connection when they are finalized.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void CCorpusReader::SetErrorFromConnection() {
    if (m_db == nullptr) return;
    m_errorText = Utf8ToWide(sqlite3_errmsg(m_db));
}

int CCorpusReader::OnProgress(void* self) { return static_cast<CCorpusReader*>(self)->StopRequested() ? 1 : 0; }

int CCorpusReader::OnBusy(void* self, int attempts) {
    if (static_cast<CCorpusReader*>(self)->StopRequested() || attempts * kBusyStepMs >= kBusyWaitMs) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(kBusyStepMs));
    return 1;
}

CStatement::CStatement(CCorpusReader& reader, const char* sql) : m_reader(reader) {
    if (reader.Handle() == nullptr) {
        m_failed = true;
        return;
    }
    if (sqlite3_prepare_v2(reader.Handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        reader.SetErrorFromConnection();
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_failed = true;
    }
}

CStatement::~CStatement() { sqlite3_finalize(m_stmt); }

void CStatement::Reset() {
    if (m_stmt == nullptr) return;
    sqlite3_reset(m_stmt);
    m_failed = false;
}

void CStatement::Bind(int index, std::int64_t value) {
    if (m_stmt != nullptr) sqlite3_bind_int64(m_stmt, index, value);
}

void CStatement::Bind(int index, std::string_view utf8) {
    if (m_stmt != nullptr)
        sqlite3_bind_text(m_stmt, index, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

bool CStatement::Step() {
    if (m_stmt == nullptr || m_failed) return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_reader.SetErrorFromConnection();
    }
    return false;
}

}  // namespace zorvia
