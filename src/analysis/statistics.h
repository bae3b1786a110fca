// The measures of the analyses, each a small pure function so that a result
// can be checked by hand. Counts are token counts of one corpus: N tokens in
// all, f(w) tokens whose word_upper is w.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvia {

// A collocate c of a node: O of the W positions of the window area hold c;
// c occurs f(c) times and the node f(node) times in a corpus of N tokens.
struct CollocateCounts {
    std::int64_t o = 0;
    std::int64_t fc = 0;
    std::int64_t fNode = 0;
    std::int64_t w = 0;
    std::int64_t n = 0;
};

struct CollocateScores {
    double expected = 0;  // E = W f(c) / N
    double mi = 0;        // log2(O / E)
    double t = 0;         // (O - E) / sqrt(O)
    double ll = 0;        // log-likelihood of the 2x2 table
    double logDice = 0;   // 14 + log2(2 O / (f(node) + f(c)))
};

CollocateScores ScoreCollocate(const CollocateCounts& counts);

// 2 * sum of O_ij ln(O_ij / E_ij) over the table [[o11, o12], [o21, o22]],
// E_ij = row total i * column total j / total; a cell with O_ij <= 0 adds 0.
double LogLikelihood2x2(double o11, double o12, double o21, double o22);

// Keyness of a word occurring o1 times in a target of n1 tokens and o2 times
// in a reference of n2 tokens: 2 (O1 ln(O1/E1) + O2 ln(O2/E2)) with
// E_i = N_i (O1 + O2) / (N1 + N2), a zero term counting 0.
double KeywordLogLikelihood(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2);
// log2((O1'/N1) / (O2'/N2)), O' being O, or 0.5 where O is 0.
double KeywordLogRatio(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2);
// The sign of O1/N1 - O2/N2, compared exactly.
int CompareRates(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2);

// Juilland's D over parts of sizes n_i holding h_i hits, parts with n_i = 0
// left out (k parts remain): p_i = h_i / n_i, m their mean, s their
// population standard deviation, D = 1 - (s / m) / sqrt(k - 1). Nothing when
// k < 2 or m = 0.
struct DispersionPart {
    std::int64_t tokens = 0;
    std::int64_t hits = 0;
};
std::optional<double> JuillandD(const std::vector<DispersionPart>& parts);

// Hits per 10,000 tokens; 0 for a part without tokens.
double PerTenThousand(std::int64_t hits, std::int64_t tokens);

// `value` with `decimals` digits after the point, whatever the locale; never
// "-0.0000".
std::string FormatDecimal(double value, int decimals);

}  // namespace zorvia
