// A job of the main window (an export of one of its lists) on a worker
// thread while the program's progress window is up: every other window is
// disabled meanwhile, the window stays responsive, and its cancel stops the
// job.
#pragma once

#include <functional>
#include <stop_token>
#include <string>

#include "analysis/job.h"

class wxWindow;

namespace zorvia {

JobResult RunWithProgressWindow(wxWindow* owner, const std::u16string& text,
                                const std::function<JobResult(std::stop_token, IJobProgress&)>& work);

}  // namespace zorvia
