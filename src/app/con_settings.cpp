#include "app/con_settings.h"

#include "app/option_values.h"
#include "corpus/corpus_database.h"
#include "platform/ini_file.h"
#include "platform/text_convert.h"

namespace zorvia {

namespace {

// Longest text a read returns.
constexpr std::size_t kMaxTextChars = 1023;

// "group\name"; a part that is empty is left out together with the backslash.
std::u16string JoinKey(std::u16string_view group, std::u16string_view name) {
    std::u16string key(group);
    if (!group.empty() && !name.empty()) key += u'\\';
    key += name;
    return key;
}

}  // namespace

void CBoolSettingEntry::Load() {
    const int stored = store->ReadInt(key, CConSettings::kMissingSentinel);
    value = (stored == CConSettings::kMissingSentinel) ? defaultValue : stored != 0;
}

void CBoolSettingEntry::Save() { store->WriteInt(key, value ? 1 : 0); }

void CIntSettingEntry::Load() {
    const int stored = store->ReadInt(key, CConSettings::kMissingSentinel);
    value = (stored == CConSettings::kMissingSentinel) ? defaultValue : stored;
}

void CIntSettingEntry::Save() { store->WriteInt(key, value); }

void CStringSettingEntry::Load() {
    value = store->ReadText(key, missingMarker);
    if (value == missingMarker) value = defaultValue;
}

// A failed write keeps the old file; the settings simply are not saved.
void CStringSettingEntry::Save() { store->WriteText(key, value); }

CConSettings::CConSettings() = default;

std::array<CSettingEntry*, 14> CConSettings::LoadOrder() {
    return {&useIncrementalSearch, &useConcordanceLineStyle, &concordanceLineCount, &wordlistSearchCount,
            &windowWidth,          &windowHeight,            &windowPosX,           &windowPosY,
            &horizontalPaneBorderX, &verticalPaneBorderY,    &bodyLine,             &databasePath,
            &detectEncoding,       &mecabDictionary};
}

bool CConSettings::LoadAll() {
    for (CSettingEntry* entry : LoadOrder()) entry->Load();
    // A value the options dialog would refuse (a hand-edited -5, or text
    // read as 0) takes its default, so the window never runs on it; the
    // corrected value is written at exit like every other.
    const std::pair<CIntSettingEntry*, OptionRange> checked[] = {{&concordanceLineCount, kConcordanceCountRange},
                                                                 {&wordlistSearchCount, kWordListCountRange},
                                                                 {&bodyLine, kBodyLineRange}};
    for (const auto& [entry, range] : checked) {
        if (entry->value < range.minimum || entry->value > range.maximum) entry->value = entry->defaultValue;
    }
    return true;
}

// Nothing is reported when the file cannot be written: the program is ending
// and the user has nothing to decide.
bool CConSettings::SaveAll() {
    for (CSettingEntry* entry : LoadOrder()) entry->Save();
    return true;
}

std::u16string CConSettings::ReadText(std::u16string_view key, std::u16string_view defaultText) const {
    return ReadProfileString(section, key, defaultText, filePath, kMaxTextChars);
}

int CConSettings::ReadInt(std::u16string_view key, int fallback) const {
    // "default" marks a missing key, and a key may also hold it literally.
    const std::u16string text = ReadText(key, u"default");
    if (text == u"default") return fallback;
    return ParseLeadingInt(text);
}

bool CConSettings::WriteInt(std::u16string_view key, int value) {
    WriteProfileString(section, key, FormatInt(value), filePath);
    return true;
}

bool CConSettings::WriteText(std::u16string_view key, std::u16string_view text) {
    return WriteProfileString(section, key, text, filePath);
}

int CConSettings::GetInt(std::u16string_view group, std::u16string_view name, int fallback) {
    return ReadInt(JoinKey(group, name), fallback);
}

bool CConSettings::SetInt(std::u16string_view group, std::u16string_view name, int value) {
    return WriteInt(JoinKey(group, name), value);
}

std::u16string CConSettings::GetString(std::u16string_view group, std::u16string_view name,
                                       std::u16string_view fallback) {
    return ReadText(JoinKey(group, name), fallback);
}

bool CConSettings::GetStringTo(std::u16string_view group, std::u16string_view name, std::u16string_view fallback,
                               std::u16string& destination) {
    destination = ReadText(JoinKey(group, name), fallback);
    return true;
}

bool CConSettings::SetString(std::u16string_view group, std::u16string_view name, std::u16string_view text) {
    return WriteText(JoinKey(group, name), text);
}

}  // namespace zorvia
