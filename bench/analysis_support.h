// What the benchmarks share: a prompt and a progress window without a
// screen; the generated corpus imported through the real importer, sped up
// by "検索の高速化"; cases run in a child process each so that the peak
// memory printed is the case's own; and clocks for wall and CPU time.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "corpus/progress.h"
#include "corpus_generator.h"
#include "platform/prompt.h"

namespace zorvia::bench {

// Says Yes to every question and prints every message on standard error.
class QuietPrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons, PromptIcon) override;
    std::optional<std::u16string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool IsShiftDown() override { return false; }
};

// The progress window and the status bar without a screen; never cancels.
class QuietProgress : public IProgressSink, public IStatusText {
public:
    void Begin() override {}
    void SetText(const std::u16string&) override {}
    void SetPosition(int) override {}
    bool Pump() override { return true; }
    void End() override {}
    void SetStatusText(const std::u16string&) override {}
};

using Clock = std::chrono::steady_clock;

// CPU time of this process: on a shared machine the wall clock also
// counts the time other processes held the cores.
double CpuMs();
double MsSince(Clock::time_point start);

// The corpus of `words` words (the keystroke benchmark's, made by whichever
// benchmark runs first) after the speed-up; its path.
std::string EnsureOptimizedCorpus(const std::string& workDir, long words);

// The most frequent word of a corpus and the two words whose counts are
// nearest 10,000, named on standard error under `label`.
struct BenchWords {
    std::u16string frequent;
    std::u16string tenThousand;
    std::u16string tenThousandNext;
};
BenchWords ChooseWords(const std::string& path, const char* label);

// Runs `body` in a child process and prints its peak memory as
// BENCH <name>_peak_mb.
template <typename Body>
void InChild(const std::string& name, Body body) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", name.c_str());
        return;
    }
    PrintBench(name + "_peak_mb", static_cast<double>(usage.ru_maxrss) / 1024.0, "MB");
}

}  // namespace zorvia::bench
