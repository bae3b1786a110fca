#include "support/test_support.h"

#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/text_convert.h"
#include "platform/trace.h"

namespace zorvia::test {

std::u16string W(const char* utf8) { return Utf8ToWide(utf8); }
std::string N(const std::u16string& wide) { return WideToUtf8(wide); }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorvia-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (made == nullptr) std::abort();
    m_path = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make files read-only now and then; give the owner access back.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::u16string TempDir::File(const std::string& name) const { return Utf8ToWide(NativeFile(name)); }

std::u16string TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(NativeFile(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return File(name);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::optional<std::string> Iconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || srcLeft != 0) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

pid_t StartProgram(const TempDir& scratch, std::vector<std::string> args, const std::string& cwd) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, scratch.NativeFile("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, scratch.NativeFile("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

ProgramRun FinishProgram(const TempDir& scratch, pid_t pid, const std::function<void()>& pump, int timeoutMs) {
    ProgramRun run;
    if (pid <= 0) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return run;
        }
        pump ? pump() : std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileBytes(scratch.NativeFile("out"));
    run.err = ReadFileBytes(scratch.NativeFile("err"));
    return run;
}

ProgramRun RunProgram(std::vector<std::string> args, const std::function<void()>& pump, const std::string& cwd) {
    TempDir scratch;
    return FinishProgram(scratch, StartProgram(scratch, std::move(args), cwd), pump);
}

PromptAnswer FakePrompt::Message(const std::u16string& text, PromptButtons buttons, PromptIcon) {
    messages.push_back({text, buttons});
    if (onMessage) onMessage(text);
    if (answers.empty()) return defaultAnswer;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::u16string> FakePrompt::ChooseFile(const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) return std::nullopt;
    auto file = files.front();
    files.pop_front();
    return file;
}

bool FakePrompt::IsShiftDown() { return shiftDown; }

int FakePrompt::ChooseFromPopupMenu(const std::vector<std::u16string>& items) {
    popupMenus.push_back(items);
    if (popupChoices.empty()) return -1;
    const int choice = popupChoices.front();
    popupChoices.pop_front();
    return choice;
}

std::vector<std::u16string> FakePrompt::Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

namespace {
std::vector<std::string>& CapturedLines() {
    static std::vector<std::string> lines;
    return lines;
}
void Collect(const std::string& line) { CapturedLines().push_back(line); }
}  // namespace

TraceCapture::TraceCapture() {
    CapturedLines().clear();
    SetTraceSinkForTesting(&Collect);
}

TraceCapture::~TraceCapture() { SetTraceSinkForTesting(nullptr); }

const std::vector<std::string>& TraceCapture::lines() const { return CapturedLines(); }

std::string TraceCapture::Joined() const {
    std::string all;
    for (const auto& line : CapturedLines()) all += line;
    return all;
}

int TraceCapture::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& line : CapturedLines())
        if (line.rfind(prefix, 0) == 0) ++n;
    return n;
}

}  // namespace zorvia::test
