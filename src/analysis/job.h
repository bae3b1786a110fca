// What every analysis job shares: how it ended, and how it tells the
// screen (or a terminal) how far it has come. A job is a plain function that
// takes its reader, its parameters, a stop token and a progress sink, so
// that the window runs it on a worker thread and tests call it directly.
#pragma once

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

}  // namespace zorvia
