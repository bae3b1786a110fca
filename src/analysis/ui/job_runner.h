// One background job at a time for a window. The job runs on a thread of
// its own (it polls its stop token between batches); what it hands back
// reaches the window's thread through CallAfter, and only while it is still
// the window's current job, so that a late batch of a stopped job is
// dropped.
#pragma once

#include <wx/event.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "analysis/job.h"

namespace zorvia {

class CJobRunner {
public:
    explicit CJobRunner(wxEvtHandler* owner) : m_owner(owner) {}
    ~CJobRunner() { Stop(); }
    CJobRunner(const CJobRunner&) = delete;
    CJobRunner& operator=(const CJobRunner&) = delete;

    using Work = std::function<JobResult(std::stop_token)>;
    using Finished = std::function<void(const JobResult&)>;
    // Stops the job that runs, then starts `work`; `finished` runs on the
    // window's thread with its result (not for a job that was stopped by
    // Stop or replaced).
    void Start(Work work, Finished finished);
    // Asks the job to stop and waits until its thread has ended.
    void Stop();
    bool IsRunning() const { return m_running; }

    // From the job's thread: runs `call` on the window's thread if the job
    // is still current by then.
    void Post(std::function<void()> call);

private:
    wxEvtHandler* m_owner;
    std::jthread m_thread;
    std::shared_ptr<std::atomic<unsigned>> m_current = std::make_shared<std::atomic<unsigned>>(0);
    unsigned m_generation = 0;
    bool m_running = false;
};

// Progress of a job shown in a window: the job's thread reports (the jobs
// report per batch, a few times a second at most), the window's thread
// shows.
class CPostedProgress : public IJobProgress {
public:
    CPostedProgress(CJobRunner& runner, std::function<void(const std::u16string&, int)> show)
        : m_runner(runner), m_show(std::move(show)) {}
    void Report(const std::u16string& text, int permille) override;

private:
    CJobRunner& m_runner;
    std::function<void(const std::u16string&, int)> m_show;
};

}  // namespace zorvia
