#include "analysis/ui/job_runner.h"

#include <exception>

namespace zorvia {

void CJobRunner::Start(Work work, Finished finished) {
    Stop();
    const unsigned generation = ++m_generation;
    m_current->store(generation);
    m_running = true;
    auto current = m_current;
    wxEvtHandler* owner = m_owner;
    m_thread = std::jthread([this, generation, current, owner, work = std::move(work),
                             finished = std::move(finished)](std::stop_token stop) {
        JobResult result;
        try {
            result = work(stop);
        } catch (const std::exception&) {
            result = JobResult::Failed(u"internal error");
        }
        if (stop.stop_requested()) return;
        owner->CallAfter([this, generation, current, finished, result] {
            if (current->load() != generation) return;
            m_running = false;
            if (finished) finished(result);
        });
    });
}

void CJobRunner::Stop() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    // Whatever the stopped job posted and has not been delivered yet is
    // dropped from now on.
    m_current->store(++m_generation);
    m_running = false;
}

void CJobRunner::Post(std::function<void()> call) {
    const unsigned generation = m_current->load();
    auto current = m_current;
    m_owner->CallAfter([generation, current, call = std::move(call)] {
        if (current->load() == generation) call();
    });
}

void CPostedProgress::Report(const std::u16string& text, int permille) {
    m_runner.Post([show = m_show, text, permille] { show(text, permille); });
}

}  // namespace zorvia
