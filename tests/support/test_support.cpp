#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
