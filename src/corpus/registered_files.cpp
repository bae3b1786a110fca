#include "corpus/registered_files.h"

#include <ctime>

#include "platform/text_convert.h"

namespace zorvia {

std::u16string FormatRegistrationDate(int date) {
    const std::time_t seconds = static_cast<std::time_t>(date);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return FormatInt(date);
    return FormatInt(local.tm_year + 1900, 4) + u"/" + FormatInt(local.tm_mon + 1, 2, true) + u"/" +
           FormatInt(local.tm_mday, 2, true) + u" " + FormatInt(local.tm_hour, 2, true) + u":" +
           FormatInt(local.tm_min, 2, true);
}

}  // namespace zorvia
