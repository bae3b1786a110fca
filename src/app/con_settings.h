// The user settings, kept in option.ini beside the executable: the twelve
// of the first versions and, after them, whether text files are read with
// encoding detection. Read once at start-up and written once at exit; in
// between every change is in memory only.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "corpus/text_line_reader.h"

namespace zorvia {

class CConSettings;

class CSettingEntry {
public:
    virtual ~CSettingEntry() = default;
    virtual void Load() = 0;
    virtual void Save() = 0;
};

class CBoolSettingEntry : public CSettingEntry {
public:
    CBoolSettingEntry(bool initial, const char16_t* keyName, CConSettings* owner)
        : value(initial), defaultValue(initial), key(keyName), store(owner) {}
    void Load() override;
    void Save() override;

    bool value;
    bool defaultValue;
    const char16_t* const key;
    CConSettings* const store;
};

class CIntSettingEntry : public CSettingEntry {
public:
    CIntSettingEntry(int initial, const char16_t* keyName, CConSettings* owner)
        : value(initial), defaultValue(initial), key(keyName), store(owner) {}
    void Load() override;
    void Save() override;

    int value;
    int defaultValue;
    const char16_t* const key;
    CConSettings* const store;
};

class CStringSettingEntry : public CSettingEntry {
public:
    CStringSettingEntry(std::u16string initial, const char16_t* keyName, CConSettings* owner,
                        std::u16string marker = {})
        : value(initial), defaultValue(std::move(initial)), key(keyName), store(owner),
          missingMarker(std::move(marker)) {}
    void Load() override;
    void Save() override;

    std::u16string value;
    std::u16string defaultValue;
    const char16_t* const key;
    CConSettings* const store;
    std::u16string missingMarker;
};

class CConSettings {
public:
    // An integer or switch stored as this value reads as a missing key.
    static constexpr int kMissingSentinel = -2147483647;

    CConSettings();
    virtual ~CConSettings() = default;
    CConSettings(const CConSettings&) = delete;
    CConSettings& operator=(const CConSettings&) = delete;

    // Reads every entry; the three limits of the options dialog that lie
    // outside the dialog's ranges take their defaults.
    bool LoadAll();
    bool SaveAll();

    // The stored text, or `defaultText` when the file, section or key is
    // missing; at most 1023 characters.
    std::u16string ReadText(std::u16string_view key, std::u16string_view defaultText) const;
    // `fallback` when the key is missing or holds exactly "default";
    // otherwise the leading decimal number of the text (0 without digits).
    int ReadInt(std::u16string_view key, int fallback) const;
    bool WriteInt(std::u16string_view key, int value);

    // General access with a two-part key "group\name".
    virtual int GetInt(std::u16string_view group, std::u16string_view name, int fallback);
    virtual bool SetInt(std::u16string_view group, std::u16string_view name, int value);
    virtual std::u16string GetString(std::u16string_view group, std::u16string_view name,
                                     std::u16string_view fallback);
    virtual bool GetStringTo(std::u16string_view group, std::u16string_view name,
                             std::u16string_view fallback, std::u16string& destination);
    virtual bool SetString(std::u16string_view group, std::u16string_view name, std::u16string_view text);

    // Writes the text under the key; false when the file could not be written.
    bool WriteText(std::u16string_view key, std::u16string_view text);

    std::u16string filePath;
    std::u16string section;

    // Declared with "body-line" fifth; loaded and saved in the order of
    // LoadOrder (the key order of a new file).
    CBoolSettingEntry useIncrementalSearch{true, u"use-incremental-search", this};
    CBoolSettingEntry useConcordanceLineStyle{true, u"use-concordance-line-style", this};
    CIntSettingEntry concordanceLineCount{50, u"concordance-line-count", this};
    CIntSettingEntry wordlistSearchCount{20, u"wordlist-search-count", this};
    CIntSettingEntry bodyLine{100, u"body-line", this};
    CIntSettingEntry windowWidth{640, u"window-width", this};
    CIntSettingEntry windowHeight{480, u"window-height", this};
    CIntSettingEntry windowPosX{-1, u"window-pos-x", this};
    CIntSettingEntry windowPosY{-1, u"window-pos-y", this};
    CIntSettingEntry horizontalPaneBorderX{-1, u"horizontal-pane-border-x", this};
    CIntSettingEntry verticalPaneBorderY{-1, u"vertical-pane-border-y", this};
    CStringSettingEntry databasePath{u"", u"database-path", this};
    // Off: a text file is UTF-16 LE after its mark, and code page 932
    // otherwise, as the first versions read it.
    CBoolSettingEntry detectEncoding{true, u"detect-encoding", this};
    // The MeCab dictionary for corpora whose words MeCab cuts: a directory,
    // or a name under /var/lib/mecab/dic/; empty for MeCab's default.
    CStringSettingEntry mecabDictionary{u"", u"mecab-dictionary", this};

    // How the text files the user gives are read.
    EncodingChoice TextFileEncoding() const {
        return detectEncoding.value ? EncodingChoice::Detect : EncodingChoice::MarkOnly;
    }

private:
    std::array<CSettingEntry*, 14> LoadOrder();
};

}  // namespace zorvia
