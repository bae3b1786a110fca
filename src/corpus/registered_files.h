// How the registration date of a corpus file is shown to the user.
#pragma once

#include <string>

namespace zorvia {

// `date` is the stored registration time, seconds since 1970-01-01 00:00
// UTC; the text is the local time as "%4d/%02d/%02d %02d:%02d" (no
// seconds). A time the local-time conversion cannot handle gives "".
std::u16string FormatRegistrationDate(int date);

}  // namespace zorvia
