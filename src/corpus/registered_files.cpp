#include "corpus/registered_files.h"

#include <cstdio>
#include <ctime>

#include "platform/text_convert.h"

namespace zorvia {

std::u16string FormatRegistrationDate(int date) {
    const std::time_t seconds = date;
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%4d/%02d/%02d %02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min);
    return AsciiToWide(text);
}

}  // namespace zorvia
