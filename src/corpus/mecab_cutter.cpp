#include "corpus/mecab_cutter.h"

#include <mecab.h>
#include <unicode/uchar.h>

#include <cstdlib>
#include <filesystem>
#include <strings.h>

#include "platform/text_convert.h"

namespace zorvia {

namespace {

namespace fs = std::filesystem;

// Where Debian's dictionary packages put their directories.
constexpr char kDebianDictionaryRoot[] = "/var/lib/mecab/dic/";

// MeCab reads a resource file before anything else; an empty one keeps its
// settings (a user dictionary named in /etc/mecabrc, say) out of the cut, so
// that the words depend on the dictionary directory alone.
constexpr char kEmptyResourceFile[] = "/dev/null";

mecab_t* NewTagger(std::vector<std::string> args) {
    std::vector<char*> argv;
    argv.reserve(args.size());
    for (std::string& arg : args) argv.push_back(arg.data());
    return mecab_new(static_cast<int>(argv.size()), argv.data());
}

std::u16string MecabError() {
    const char* text = mecab_strerror(nullptr);
    return text != nullptr && *text != '\0' ? Utf8ToWide(text) : std::u16string();
}

// The directory of the system dictionary a tagger has loaded.
std::string SystemDictionaryDirectory(mecab_t* tagger) {
    for (const mecab_dictionary_info_t* info = mecab_dictionary_info(tagger); info != nullptr; info = info->next) {
        if (info->type == MECAB_SYS_DIC && info->filename != nullptr)
            return fs::path(info->filename).parent_path().string();
    }
    return {};
}

bool IsUtf8Charset(const char* charset) {
    return charset != nullptr && (strcasecmp(charset, "utf-8") == 0 || strcasecmp(charset, "utf8") == 0);
}

bool IsWhiteSpaceOnly(std::u16string_view text) {
    for (char16_t c : text) {
        if (!u_isUWhiteSpace(c)) return false;
    }
    return true;
}

}  // namespace

MecabDictionary ResolveMecabDictionary(const std::u16string& setting) {
    MecabDictionary result;
    std::string directory;
    if (setting.empty()) {
        mecab_t* tagger = NewTagger({"zorvia"});
        if (tagger == nullptr) {
            result.error = u"MeCab の既定の辞書を読み込めません（mecabrc と辞書のパッケージを確かめてください）";
            const std::u16string detail = MecabError();
            if (!detail.empty()) result.error += u"：" + detail;
            return result;
        }
        directory = SystemDictionaryDirectory(tagger);
        mecab_destroy(tagger);
    } else {
        directory = WideToUtf8(setting);
        if (directory.find('/') == std::string::npos) directory = kDebianDictionaryRoot + directory;
    }
    std::error_code ec;
    const fs::path resolved = fs::canonical(directory, ec);
    if (ec || !fs::is_regular_file(resolved / "sys.dic", ec)) {
        result.error = u"MeCab の辞書が見つかりません：" + Utf8ToWide(directory);
        return result;
    }
    result.directory = Utf8ToWide(resolved.string());
    return result;
}

struct CMecabCutter::Tagger {
    mecab_t* handle = nullptr;
    ~Tagger() {
        if (handle != nullptr) mecab_destroy(handle);
    }
};

CMecabCutter::CMecabCutter(std::unique_ptr<Tagger> tagger) : m_tagger(std::move(tagger)) {}

CMecabCutter::~CMecabCutter() = default;

std::unique_ptr<CMecabCutter> CMecabCutter::Load(const std::u16string& directory, std::u16string& error) {
    auto tagger = std::make_unique<Tagger>();
    tagger->handle = NewTagger({"zorvia", "-r", kEmptyResourceFile, "-d", WideToUtf8(directory)});
    if (tagger->handle == nullptr) {
        error = u"MeCab が辞書 " + directory + u" を読み込めません";
        const std::u16string detail = MecabError();
        if (!detail.empty()) error += u"：" + detail;
        return nullptr;
    }
    const mecab_dictionary_info_t* info = mecab_dictionary_info(tagger->handle);
    if (info == nullptr || !IsUtf8Charset(info->charset)) {
        error = u"MeCab の辞書 " + directory + u" は UTF-8 の辞書ではありません（" +
                Utf8ToWide(info != nullptr && info->charset != nullptr ? info->charset : "?") + u"）";
        return nullptr;
    }
    return std::unique_ptr<CMecabCutter>(new CMecabCutter(std::move(tagger)));
}

void CMecabCutter::Cut(std::u16string_view run, std::size_t offset, std::vector<WordSpan>& spans) {
    // UTF-8 for MeCab, with the UTF-16 offset of every byte so that the
    // morphemes it returns map back onto the line. A lone surrogate goes
    // in as U+FFFD and stays one code unit.
    m_utf8.clear();
    m_unitAt.clear();
    const std::size_t n = run.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t start = i;
        char32_t cp = run[i++];
        if (cp >= 0xD800 && cp <= 0xDBFF && i < n && run[i] >= 0xDC00 && run[i] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (run[i++] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        char bytes[4];
        int count = 0;
        if (cp < 0x80) {
            bytes[count++] = static_cast<char>(cp);
        } else if (cp < 0x800) {
            bytes[count++] = static_cast<char>(0xC0 | (cp >> 6));
            bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes[count++] = static_cast<char>(0xE0 | (cp >> 12));
            bytes[count++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            bytes[count++] = static_cast<char>(0xF0 | (cp >> 18));
            bytes[count++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
        }
        m_utf8.append(bytes, static_cast<std::size_t>(count));
        m_unitAt.insert(m_unitAt.end(), static_cast<std::size_t>(count), static_cast<std::uint32_t>(start));
    }
    m_unitAt.push_back(static_cast<std::uint32_t>(n));

    const char* data = m_utf8.data();
    const std::size_t bytes = m_utf8.size();
    for (const mecab_node_t* node = mecab_sparse_tonode2(m_tagger->handle, data, bytes); node != nullptr;
         node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0) continue;
        if (node->surface < data) continue;
        const std::size_t b0 = static_cast<std::size_t>(node->surface - data);
        const std::size_t b1 = b0 + node->length;
        if (b1 > bytes) continue;
        const std::size_t u0 = m_unitAt[b0];
        const std::size_t u1 = m_unitAt[b1];
        if (u1 <= u0 || IsWhiteSpaceOnly(run.substr(u0, u1 - u0))) continue;
        spans.push_back({offset + u0, u1 - u0});
    }
}

}  // namespace zorvia
