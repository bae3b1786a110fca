// Helpers shared by the tests: a temporary directory, a prompt that answers
// on cue, a collector of diagnostic lines.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompt.h"

namespace zorvia::test {

// UTF-8 literal to the program's UTF-16.
std::u16string W(const char* utf8);
// UTF-16 to UTF-8, for readable failure messages.
std::string N(const std::u16string& wide);

// A fresh directory under the temporary directory, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // The full path of `name` inside the directory, as the program's text.
    std::u16string File(const std::string& name) const;
    std::string NativeFile(const std::string& name) const { return m_path + "/" + name; }
    // Writes raw bytes to a file in the directory and returns its path.
    std::u16string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string m_path;
};

std::string ReadFileBytes(const std::string& path);

// Text through glibc's iconv ("CP932", "EUC-JP", "UTF-16LE", ...); nothing
// when it refuses the input.
std::optional<std::string> Iconv(const char* to, const char* from, const std::string& in);

// A finished program: its exit status (128 + the signal that ended it, -1
// when it could not start or ran out of time) and what it wrote.
struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Starts `args` (the program's path first) in `cwd` (or the current
// directory) with its output going to files in `scratch`.
pid_t StartProgram(const TempDir& scratch, std::vector<std::string> args, const std::string& cwd = "");
// Waits for it, calling `pump` meanwhile so that this process can answer it.
ProgramRun FinishProgram(const TempDir& scratch, pid_t pid, const std::function<void()>& pump = nullptr,
                         int timeoutMs = 60000);
ProgramRun RunProgram(std::vector<std::string> args, const std::function<void()>& pump = nullptr,
                      const std::string& cwd = "");

// A prompt whose answers the test queues; it records what was asked.
class FakePrompt : public IUserPrompt {
public:
    PromptAnswer Message(const std::u16string& text, PromptButtons buttons, PromptIcon icon) override;
    std::optional<std::u16string> ChooseFile(const FileRequest& request) override;
    bool IsShiftDown() override;
    int ChooseFromPopupMenu(const std::vector<std::u16string>& items) override;
    // The texts of the messages shown so far.
    std::vector<std::u16string> Texts() const;

    struct Shown {
        std::u16string text;
        PromptButtons buttons;
    };
    std::vector<Shown> messages;
    std::vector<FileRequest> fileRequests;
    // Answers in order; once they run out, defaultAnswer.
    std::deque<PromptAnswer> answers;
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
    std::deque<std::optional<std::u16string>> files;
    bool shiftDown = false;
    // The popup menus shown, and the items chosen in order (-1 dismisses;
    // once they run out, every menu is dismissed).
    std::vector<std::vector<std::u16string>> popupMenus;
    std::deque<int> popupChoices;
    // Runs before each message is answered (the answer is taken after it).
    std::function<void(const std::u16string&)> onMessage;
};

// TZ for one test, put back afterwards. POSIX rules ("JST-9") keep tests
// independent of the installed zone database.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_previous = old;
        Set(zone);
    }
    ~ScopedTimeZone() { Set(m_previous ? m_previous->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void Set(const char* zone) {
        zone != nullptr ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> m_previous;
};

// An environment variable set (or, with nullptr, removed) while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_previous = old;
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_previous ? setenv(m_name.c_str(), m_previous->c_str(), 1) : unsetenv(m_name.c_str()); }

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

// Collects the diagnostic lines written while it lives.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    const std::vector<std::string>& lines() const;
    std::string Joined() const;
    int Count(const std::string& prefix) const;
};

}  // namespace zorvia::test
