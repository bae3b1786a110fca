// The measures on tables worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/statistics.h"

namespace zorvia {
namespace {

TEST(CollocateScores, MatchHandComputedValues) {
    // O = 2 of W = 10 positions; f(c) = 4, f(node) = 3, N = 100. E = 0.4;
    // the 2x2 table is [[2, 8], [2, 88]] with E = [[0.4, 9.6], [3.6, 86.4]].
    const CollocateScores s = ScoreCollocate({2, 4, 3, 10, 100});
    EXPECT_DOUBLE_EQ(s.expected, 0.4);
    EXPECT_NEAR(s.mi, std::log2(5.0), 1e-12);
    EXPECT_NEAR(s.t, 1.6 / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(s.logDice, 14 + std::log2(4.0 / 7.0), 1e-12);
    EXPECT_NEAR(s.ll, 2 * (2 * std::log(5.0) + 8 * std::log(8 / 9.6) + 2 * std::log(2 / 3.6) + 88 * std::log(88 / 86.4)),
                1e-9);
    EXPECT_EQ(FormatDecimal(s.ll, 4), "4.3989");
}

TEST(LogLikelihood, EmptyCellsAddNothing) {
    // Every position of the area holds c and c occurs nowhere else: O12 and
    // O21 are 0. 2 (3 ln(3 / 0.9) + 7 ln(7 / 4.9)).
    EXPECT_NEAR(LogLikelihood2x2(3, 0, 0, 7), 2 * (3 * std::log(3 / 0.9) + 7 * std::log(7 / 4.9)), 1e-12);
    EXPECT_EQ(LogLikelihood2x2(0, 0, 0, 0), 0.0);
    // Observed as expected: nothing to tell.
    EXPECT_EQ(LogLikelihood2x2(2, 4, 2, 4), 0.0);
}

TEST(Keywords, LogLikelihoodAndLogRatioOfAWordAbsentFromTheReference) {
    // O1 = 10 of 1000, O2 = 0 of 2000: E1 = 10/3, and the O2 term is 0.
    EXPECT_NEAR(KeywordLogLikelihood(10, 1000, 0, 2000), 20 * std::log(3.0), 1e-12);
    EXPECT_EQ(FormatDecimal(KeywordLogLikelihood(10, 1000, 0, 2000), 4), "21.9722");
    // O2' = 0.5: (10/1000) / (0.5/2000) = 40.
    EXPECT_NEAR(KeywordLogRatio(10, 1000, 0, 2000), std::log2(40.0), 1e-12);
    EXPECT_NEAR(KeywordLogRatio(0, 1000, 8, 2000), std::log2(0.125), 1e-12);
    EXPECT_EQ(CompareRates(1, 6, 2, 12), 0);
    EXPECT_EQ(CompareRates(1, 6, 3, 12), -1);
    EXPECT_EQ(CompareRates(3'000'000'000, 1, 1, 4'000'000'000), 1);  // past 64-bit products
}

TEST(JuillandD, OverFilesWithTokens) {
    // p = 0.25 and 0.5: m = 0.375, s = 0.125, D = 1 - (1/3) / 1.
    EXPECT_NEAR(*JuillandD({{4, 1}, {4, 2}, {0, 0}}), 2.0 / 3.0, 1e-12);
    EXPECT_EQ(*JuillandD({{2, 1}, {4, 2}, {8, 4}}), 1.0);  // equal spread
    EXPECT_FALSE(JuillandD({{10, 3}, {0, 0}}).has_value());          // one file with tokens
    EXPECT_FALSE(JuillandD({{10, 0}, {5, 0}}).has_value());          // m = 0
    EXPECT_EQ(PerTenThousand(3, 7), 3 * 10000.0 / 7);
    EXPECT_EQ(PerTenThousand(0, 0), 0.0);
}

TEST(FormatDecimal, FixedDigitsWithoutNegativeZero) {
    EXPECT_EQ(FormatDecimal(1.23456, 4), "1.2346");
    EXPECT_EQ(FormatDecimal(-0.00001, 4), "0.0000");
    EXPECT_EQ(FormatDecimal(-2.5, 2), "-2.50");
    EXPECT_EQ(FormatDecimal(12345.0, 2), "12345.00");
}

}  // namespace
}  // namespace zorvia
