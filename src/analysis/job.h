// What every analysis job shares: how it ended, and how it tells the
// screen (or a terminal) how far it has come. A job is a plain function that
// takes its reader, its parameters, a stop token and a progress sink, so
// that the window runs it on a worker thread and tests call it directly.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace zorvia {

enum class JobOutcome { Done, Stopped, Failed };

struct JobResult {
    JobOutcome outcome = JobOutcome::Done;
    std::u16string errorText;  // what failed, with SQLite's or the system's message

    static JobResult Done() { return {}; }
    static JobResult Stopped() { return {JobOutcome::Stopped, {}}; }
    static JobResult Failed(std::u16string text) { return {JobOutcome::Failed, std::move(text)}; }
    bool done() const { return outcome == JobOutcome::Done; }
};

// Called on the job's own thread. `permille` is 0 to 1000, or -1 when the
// job cannot tell how much is left. Jobs report once per batch of rows, a
// few times a second at most.
class IJobProgress {
public:
    virtual ~IJobProgress() = default;
    virtual void Report(const std::u16string& text, int permille) = 0;
};

class NullJobProgress : public IJobProgress {
public:
    void Report(const std::u16string&, int) override {}
};

// done of total as 0 to 1000; -1 (unknown) when there is no total.
inline int Permille(std::int64_t done, std::int64_t total) {
    if (total <= 0) return -1;
    return done <= 0 ? 0 : (done >= total ? 1000 : static_cast<int>(done * 1000 / total));
}

// Hands a job's progress on a few times a second: Due() tells a loop when
// the next report is wanted, so that the text is built only then.
class CProgressPacer {
public:
    explicit CProgressPacer(IJobProgress& progress) : m_progress(progress) {}
    bool Due() const { return std::chrono::steady_clock::now() >= m_next; }
    void Report(const std::u16string& text, int permille) {
        m_progress.Report(text, permille);
        m_next = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    }

private:
    IJobProgress& m_progress;
    std::chrono::steady_clock::time_point m_next{};
};

}  // namespace zorvia
