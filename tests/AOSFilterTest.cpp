#include "src/filter/AOSFilter.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using MathTL::Vector;

class OpenAOSFilter : public AOSFilter {
public:
    using AOSFilter::AOS;
    using AOSFilter::quad;
    using AOSFilter::thomas;
};

// The full matrix of the banded system, solved densely.
std::vector<double> denseSolve(const std::vector<double>& gamma, const std::vector<double>& alpha,
                               const std::vector<double>& beta, const std::vector<double>& d) {
    const size_t n = alpha.size();
    const size_t k = n - gamma.size();
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    for (size_t i = 0; i < n; ++i) {
        a[i][i] = alpha[i];
    }
    for (size_t i = 0; i + k < n; ++i) {
        a[i + k][i] = gamma[i];
        a[i][i + k] = beta[i];
    }
    return solveDense(std::move(a), d);
}

TEST(Thomas, SolvesTheSmallExampleWithBandDistanceTwo) {
    OpenAOSFilter solver;
    Vector<double> loesung(3, true);
    EXPECT_EQ(solver.thomas(vectorOf({1}), vectorOf({1, 2, 3}), vectorOf({1}), vectorOf({1, 2, 3}),
                            loesung),
              0);
    EXPECT_EQ(valuesOf(loesung), (std::vector<double>{0, 1, 1}));
    EXPECT_EQ(solver.failedSolveCount(), 0);
}

struct FailureCase {
    const char* sName;
    std::vector<double> gamma, alpha, beta, d;
    size_t iSolutionSize;
    const char* sMessage;
    std::vector<double> vdSolutionAfter; // the solution starts as all 7
};

const FailureCase aFailures[] = {
    {"lower_band_as_long_as_diagonal",
     {1, 1, 1},
     {1, 2, 3},
     {1, 1, 1},
     {1, 2, 3},
     3,
     "Thomas-Algorithmus: Solche Diagonalen gibt es nicht!\n",
     {7, 7, 7}},
    {"lower_band_longer_than_diagonal",
     {1, 1, 1, 1},
     {1, 2, 3},
     {1, 1, 1, 1},
     {1, 2, 3},
     3,
     "Thomas-Algorithmus: Solche Diagonalen gibt es nicht!\n",
     {7, 7, 7}},
    {"empty_system",
     {},
     {},
     {},
     {},
     0,
     "Thomas-Algorithmus: Solche Diagonalen gibt es nicht!\n",
     {}},
    {"bands_of_different_size",
     {1},
     {1, 2, 3},
     {1, 1},
     {1, 2, 3},
     3,
     "Thomas-Algorithmus: falsche Vektor-Dimension!\n",
     {7, 7, 7}},
    {"right_side_too_short",
     {1},
     {1, 2, 3},
     {1},
     {1, 2},
     3,
     "Thomas-Algorithmus: falsche Vektor-Dimension!\n",
     {7, 7, 7}},
    {"solution_too_long",
     {1},
     {1, 2, 3},
     {1},
     {1, 2, 3},
     4,
     "Thomas-Algorithmus: falsche Vektor-Dimension!\n",
     {7, 7, 7, 7}},
    {"zero_first_pivot",
     {1, 1},
     {0, 2, 3},
     {1, 1},
     {1, 2, 3},
     3,
     "Thomas-Algorithmus: Fehler in LR-Zerlegung: Division durch Null bei i = 0 Abbruch\n",
     {7, 7, 7}},
    {"zero_pivot_in_decomposition",
     {1, 1, 1},
     {1, 1, 5, 5},
     {1, 1, 1},
     {1, 1, 1, 1},
     4,
     "Thomas-Algorithmus: Fehler in LR-Zerlegung: Division durch Null bei i = 1 Abbruch\n",
     {7, 7, 7, 7}},
    {"zero_pivot_among_last_rows",
     {2},
     {1, 5, 2},
     {1},
     {1, 2, 3},
     3,
     "Thomas-Algorithmus: Fehler in Vorwaerts-Substitution: Division durch Null bei i =  2 "
     "Abbruch\n",
     {7, 7, 7}},
    {"zero_pivot_after_a_solved_row",
     {1, 0},
     {1, 1, 1, 2},
     {1, 1},
     {1, 1, 1, 4},
     4,
     "Thomas-Algorithmus: Fehler in Vorwaerts-Substitution: Division durch Null bei i =  2 "
     "Abbruch\n",
     {7, 7, 7, 2}},
};

class ThomasFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ThomasFailure, ReportsAndLeavesTheDocumentedSolution) {
    const FailureCase& c = GetParam();
    OpenAOSFilter solver;
    Vector<double> loesung(c.iSolutionSize, true);
    if (c.iSolutionSize > 0) {
        loesung = 7.0;
    }
    StreamCapture capture(std::cerr);
    EXPECT_EQ(solver.thomas(vectorOf(c.gamma), vectorOf(c.alpha), vectorOf(c.beta), vectorOf(c.d),
                            loesung),
              1);
    EXPECT_EQ(capture.text(), c.sMessage);
    EXPECT_EQ(valuesOf(loesung), c.vdSolutionAfter);
    EXPECT_EQ(solver.failedSolveCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Messages, ThomasFailure, testing::ValuesIn(aFailures),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.sName);
                         });

TEST(Thomas, NaNPivotIsNotZero) {
    OpenAOSFilter solver;
    Vector<double> loesung(3, true);
    StreamCapture capture(std::cerr);
    EXPECT_EQ(solver.thomas(vectorOf({1, 1}), vectorOf({NAN, 2, 3}), vectorOf({1, 1}),
                            vectorOf({1, 2, 3}), loesung),
              0);
    EXPECT_EQ(capture.text(), "");
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isnan(loesung[i])) << i;
    }
}

TEST(Thomas, AgreesWithDenseEliminationOnRandomDominantSystems) {
    std::mt19937 random(20261211);
    std::uniform_real_distribution<double> band(-1.0, 1.0);
    std::uniform_int_distribution<size_t> order(2, 300);
    for (int iTrial = 0; iTrial < 60; ++iTrial) {
        const size_t n = order(random);
        const size_t aiDistances[] = {1, 2, 3, 7, n / 2 > 0 ? n / 2 : 1, n - 1};
        const size_t k = aiDistances[iTrial % 6];
        std::vector<double> gamma(n - k), beta(n - k), alpha(n), d(n);
        for (size_t i = 0; i < n - k; ++i) {
            gamma[i] = band(random);
            beta[i] = band(random);
        }
        for (size_t i = 0; i < n; ++i) {
            // Strictly dominant: each row and column holds at most two off-diagonal entries.
            alpha[i] = (band(random) < 0 ? -1.0 : 1.0) * (2.5 + std::fabs(band(random)));
            d[i] = 10.0 * band(random);
        }
        OpenAOSFilter solver;
        Vector<double> loesung(n, true);
        ASSERT_EQ(
            solver.thomas(vectorOf(gamma), vectorOf(alpha), vectorOf(beta), vectorOf(d), loesung),
            0);
        const std::vector<double> expected = denseSolve(gamma, alpha, beta, d);
        for (size_t i = 0; i < n; ++i) {
            ASSERT_NEAR(loesung[i], expected[i], 1e-12) << "n " << n << " k " << k << " i " << i;
        }
    }
}

TEST(AOS, WithoutOperatorsGivesZeros) {
    OpenAOSFilter filter;
    std::vector<Vector<double>> vaEmpty(1);
    Vector<double> u = vectorOf({3, -1, 4});
    EXPECT_EQ(filter.AOS(0, vaEmpty.data(), vaEmpty.data(), vaEmpty.data(), u), 0);
    EXPECT_EQ(valuesOf(u), (std::vector<double>{0, 0, 0}));
}

TEST(AOS, AddsTheSolutionsWithoutDividing) {
    // Operator 1 couples neighbours (k = 1), operator 2 the pixels two apart (k = 2).
    const std::vector<double> u = {1, -2, 3, 0.5};
    const std::vector<double> gamma1 = {-1, -0.5, -1}, alpha1 = {3, 4, 3, 5}, beta1 = {-1, -2, 0};
    const std::vector<double> gamma2 = {-1, 1}, alpha2 = {2, 3, 4, 2}, beta2 = {0.5, -1};
    std::vector<Vector<double>> vaAu(3), vaAd(3), vaAo(3);
    vaAu[1] = vectorOf(gamma1);
    vaAd[1] = vectorOf(alpha1);
    vaAo[1] = vectorOf(beta1);
    vaAu[2] = vectorOf(gamma2);
    vaAd[2] = vectorOf(alpha2);
    vaAo[2] = vectorOf(beta2);
    Vector<double> vSolution = vectorOf(u);
    OpenAOSFilter filter;
    EXPECT_EQ(filter.AOS(2, vaAu.data(), vaAd.data(), vaAo.data(), vSolution), 0);
    const std::vector<double> x1 = denseSolve(gamma1, alpha1, beta1, u);
    const std::vector<double> x2 = denseSolve(gamma2, alpha2, beta2, u);
    for (size_t i = 0; i < u.size(); ++i) {
        EXPECT_NEAR(vSolution[i], x1[i] + x2[i], 1e-14) << i;
    }
}

TEST(AOS, GoesOnAfterAFailedSolveAndCountsIt) {
    const std::vector<double> u = {1, 2, 3};
    std::vector<Vector<double>> vaAu(3), vaAd(3), vaAo(3);
    vaAu[1] = vectorOf({0, 0});
    vaAd[1] = vectorOf({0, 1, 1}); // zero first pivot: contributes nothing
    vaAo[1] = vectorOf({0, 0});
    vaAu[2] = vectorOf({0, 0});
    vaAd[2] = vectorOf({2, 2, 2});
    vaAo[2] = vectorOf({0, 0});
    Vector<double> vSolution = vectorOf(u);
    OpenAOSFilter filter;
    StreamCapture capture(std::cerr);
    EXPECT_EQ(filter.AOS(2, vaAu.data(), vaAd.data(), vaAo.data(), vSolution), 0);
    EXPECT_EQ(valuesOf(vSolution), (std::vector<double>{0.5, 1, 1.5}));
    EXPECT_NE(capture.text().find("LR-Zerlegung"), std::string::npos);
    EXPECT_EQ(filter.failedSolveCount(), 1);
}

TEST(AOS, QuadSquares) {
    OpenAOSFilter filter;
    EXPECT_EQ(filter.quad(-3.0), 9.0);
}

} // namespace
