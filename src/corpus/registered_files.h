// What the lists of registered files show for a file: its registration date
// in the machine's local time.
#pragma once

#include <string>

namespace zorvia {

// `date` is the stored registration time, seconds since 1970-01-01 00:00
// UTC. It is shown in local time (time zone and daylight saving of the
// machine) as "%4d/%02d/%02d %02d:%02d"; seconds are not shown. Times
// before 1970 convert like any other. Should the conversion fail, the
// stored number itself is shown, so the row stays readable.
std::u16string FormatRegistrationDate(int date);

}  // namespace zorvia
