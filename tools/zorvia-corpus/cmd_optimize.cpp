// optimize: the speed-up of a large corpus (the index of the lines of the
// words and the kept word-count summary), or with --remove its undo.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include "platform/text_convert.h"
#include "tool.h"
#include "corpus/word_summary.h"

namespace zorvia::tool {

namespace {

volatile std::sig_atomic_t g_optimizeInterrupted = 0;

void OnOptimizeInterrupt(int) { g_optimizeInterrupted = 1; }

// The steps on one line of standard error when that is a terminal; Ctrl+C
// cancels (the whole speed-up is rolled back) instead of killing the process
// inside the transaction.
class OptimizeProgress : public IProgressSink {
public:
    OptimizeProgress() : m_terminal(isatty(STDERR_FILENO) == 1) {
        g_optimizeInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = &OnOptimizeInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~OptimizeProgress() override { sigaction(SIGINT, &m_previous, nullptr); }
    OptimizeProgress(const OptimizeProgress&) = delete;
    OptimizeProgress& operator=(const OptimizeProgress&) = delete;

    void Begin() override {}
    void SetText(const std::u16string& text) override { m_text = WideToUtf8(text); }
    void SetPosition(int permille) override { m_permille = permille; }
    bool Pump() override {
        const auto now = std::chrono::steady_clock::now();
        if (m_terminal && now - m_lastDraw >= std::chrono::milliseconds(100)) {
            m_lastDraw = now;
            std::fprintf(stderr, "\r\033[K%3d%%  %s", m_permille / 10, m_text.c_str());
            std::fflush(stderr);
        }
        return g_optimizeInterrupted == 0;
    }
    void End() override {
        if (m_terminal) std::fputs("\r\033[K", stderr);
    }

private:
    bool m_terminal;
    std::string m_text;
    int m_permille = 0;
    std::chrono::steady_clock::time_point m_lastDraw{};
    struct sigaction m_previous {};
};

int RunOptimize(ToolContext& context, const std::vector<std::string>& args) {
    const bool remove = args.size() == 1 && args[0] == "--remove";
    if (!args.empty() && !remove) {
        PrintError("optimize takes no arguments but --remove");
        return 2;
    }
    if (remove) {
        const SpeedUpOutcome outcome = RemoveSpeedUp(context.db);
        if (outcome.result != SpeedUpResult::Done) {
            PrintError("cannot remove the speed-up: " + WideToUtf8(outcome.errorText));
            return 1;
        }
        std::printf("the speed-up is removed\n");
        return 0;
    }
    OptimizeProgress progress;
    const SpeedUpOutcome outcome = CreateSpeedUp(context.db, progress);
    if (outcome.result == SpeedUpResult::Cancelled) {
        PrintError("interrupted; the corpus is unchanged");
        return 130;
    }
    if (outcome.result != SpeedUpResult::Done) {
        PrintError("cannot speed up the corpus: " + WideToUtf8(outcome.errorText));
        return 1;
    }
    std::printf("the index word_lid and the word-count summary are in place\n");
    return 0;
}

}  // namespace

extern const ToolCommand kOptimizeCommand = {
    "optimize", "[--remove]     add the index and word-count summary that speed up large corpora (or remove them)",
    &RunOptimize};

}  // namespace zorvia::tool
