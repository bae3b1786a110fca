#include "analysis/ui/progress_job.h"

#include <wx/utils.h>

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "corpus/ui/progress_dlg.h"

namespace zorvia {

namespace {

// What the job last reported, picked up by the window's thread.
class SharedProgress : public IJobProgress {
public:
    void Report(const std::u16string& text, int permille) override {
        std::lock_guard lock(m_mutex);
        m_text = text;
        m_permille = permille;
        m_changed = true;
    }
    void ShowIn(CConProgressDlg& dialog) {
        std::lock_guard lock(m_mutex);
        if (!m_changed) return;
        m_changed = false;
        dialog.SetText(m_text);
        if (m_permille >= 0) dialog.SetPosition(m_permille);
    }

private:
    std::mutex m_mutex;
    std::u16string m_text;
    int m_permille = -1;
    bool m_changed = false;
};

}  // namespace

JobResult RunWithProgressWindow(wxWindow* owner, const std::u16string& text,
                                const std::function<JobResult(std::stop_token, IJobProgress&)>& work) {
    CConProgressDlg dialog(owner);
    dialog.Begin();
    dialog.SetText(text);
    SharedProgress progress;
    std::atomic<bool> finished = false;
    JobResult result;
    std::jthread worker([&](std::stop_token stop) {
        try {
            result = work(stop, progress);
        } catch (const std::exception&) {
            result = JobResult::Failed(u"internal error");
        }
        finished = true;
    });
    while (!finished) {
        if (!dialog.Pump()) worker.request_stop();
        progress.ShowIn(dialog);
        wxMilliSleep(10);
    }
    worker.join();
    dialog.End();
    return result;
}

}  // namespace zorvia
