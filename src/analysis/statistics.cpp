#include "analysis/statistics.h"

#include <charconv>
#include <cmath>

namespace zorvia {

namespace {

// O ln(O / E), 0 for an empty cell.
double Term(double observed, double expected) {
    return observed > 0 && expected > 0 ? observed * std::log(observed / expected) : 0.0;
}

}  // namespace

CollocateScores ScoreCollocate(const CollocateCounts& c) {
    CollocateScores s;
    const double o = static_cast<double>(c.o);
    const double n = static_cast<double>(c.n);
    s.expected = n > 0 ? static_cast<double>(c.w) * static_cast<double>(c.fc) / n : 0.0;
    s.mi = std::log2(o / s.expected);
    s.t = (o - s.expected) / std::sqrt(o);
    s.ll = LogLikelihood2x2(o, static_cast<double>(c.w - c.o), static_cast<double>(c.fc - c.o),
                            static_cast<double>(c.n - c.w - c.fc + c.o));
    s.logDice = 14.0 + std::log2(2.0 * o / static_cast<double>(c.fNode + c.fc));
    return s;
}

double LogLikelihood2x2(double o11, double o12, double o21, double o22) {
    const double total = o11 + o12 + o21 + o22;
    if (total <= 0) return 0.0;
    const double row1 = o11 + o12, row2 = o21 + o22;
    const double col1 = o11 + o21, col2 = o12 + o22;
    return 2.0 * (Term(o11, row1 * col1 / total) + Term(o12, row1 * col2 / total) + Term(o21, row2 * col1 / total) +
                  Term(o22, row2 * col2 / total));
}

double KeywordLogLikelihood(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2) {
    const double both = static_cast<double>(o1 + o2);
    const double all = static_cast<double>(n1 + n2);
    if (all <= 0) return 0.0;
    const double e1 = static_cast<double>(n1) * both / all;
    const double e2 = static_cast<double>(n2) * both / all;
    return 2.0 * (Term(static_cast<double>(o1), e1) + Term(static_cast<double>(o2), e2));
}

double KeywordLogRatio(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2) {
    const double a = o1 > 0 ? static_cast<double>(o1) : 0.5;
    const double b = o2 > 0 ? static_cast<double>(o2) : 0.5;
    return std::log2((a / static_cast<double>(n1)) / (b / static_cast<double>(n2)));
}

int CompareRates(std::int64_t o1, std::int64_t n1, std::int64_t o2, std::int64_t n2) {
    // Products of counts overflow 64 bits only past corpora of 2^31 tokens;
    // 128 bits keep the comparison exact anyway.
    const __int128 left = static_cast<__int128>(o1) * n2;
    const __int128 right = static_cast<__int128>(o2) * n1;
    return left < right ? -1 : (left > right ? 1 : 0);
}

std::optional<double> JuillandD(const std::vector<DispersionPart>& parts) {
    std::vector<double> rates;
    for (const DispersionPart& part : parts)
        if (part.tokens > 0) rates.push_back(static_cast<double>(part.hits) / static_cast<double>(part.tokens));
    const std::size_t k = rates.size();
    if (k < 2) return std::nullopt;
    double sum = 0;
    for (double p : rates) sum += p;
    const double mean = sum / static_cast<double>(k);
    if (mean <= 0) return std::nullopt;
    double squares = 0;
    for (double p : rates) squares += (p - mean) * (p - mean);
    const double sd = std::sqrt(squares / static_cast<double>(k));
    return 1.0 - (sd / mean) / std::sqrt(static_cast<double>(k - 1));
}

double PerTenThousand(std::int64_t hits, std::int64_t tokens) {
    return tokens > 0 ? static_cast<double>(hits) * 10000.0 / static_cast<double>(tokens) : 0.0;
}

std::string FormatDecimal(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    std::string text(buffer, end);
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

}  // namespace zorvia
