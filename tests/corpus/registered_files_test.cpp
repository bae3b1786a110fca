#include "corpus/registered_files.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/scoped_time_zone.h"

namespace zorvia {
namespace {

using test::ScopedTimeZone;

TEST(FormatRegistrationDate, ShowsLocalTimeToTheMinuteWithDaylightSaving) {
    {
        ScopedTimeZone zone("JST-9");
        EXPECT_EQ(FormatRegistrationDate(1175385900 + 59), u"2007/04/01 09:05");  // 00:05 UTC, seconds dropped
        EXPECT_EQ(FormatRegistrationDate(1199143800), u"2008/01/01 08:30");       // the year before in UTC
    }
    {
        ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(FormatRegistrationDate(1141736700), u"2006/03/07 14:05");  // UTC+1
        EXPECT_EQ(FormatRegistrationDate(1152273900), u"2006/07/07 14:05");  // UTC+2
    }
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(FormatRegistrationDate(-60), u"1969/12/31 23:59");
    EXPECT_EQ(FormatRegistrationDate(INT_MIN), u"1901/12/13 20:45");
    EXPECT_EQ(FormatRegistrationDate(INT_MAX), u"2038/01/19 03:14");
}

}  // namespace
}  // namespace zorvia
