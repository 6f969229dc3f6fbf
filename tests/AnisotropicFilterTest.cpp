#include "src/filter/AnisotropicFilter.h"
#include "src/filter/diffusionfunctions/DiffusionLinear.h"
#include "src/filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace {

using Vec = MathTL::Vector<double>;
using Matrix = std::vector<std::vector<double>>;

// g(s) = offset + s: tells from D which eigenvalue reached which function.
class OffsetDiffusivity : public DiffusionFunction {
public:
    explicit OffsetDiffusivity(double dOffset) : dOffset(dOffset) {}
    double diffusivity(double s) override { return dOffset + s; }

private:
    double dOffset;
};

// g(s) = value: fixes the eigenvalues of D, so that D depends only on the eigenvectors of J.
class ConstantDiffusivity : public DiffusionFunction {
public:
    explicit ConstantDiffusivity(double dValue) : dValue(dValue) {}
    double diffusivity(double) override { return dValue; }

private:
    double dValue;
};

// Opens the assembly steps on a grid of its own.
class AnisotropicProbe : public AnisotropicFilter {
public:
    AnisotropicProbe(int n1, int n2, double dRho, DiffusionFunction& contrast,
                     DiffusionFunction& normal)
        : AnisotropicFilter(0.0, 1, 0.0, dRho, contrast, normal) {
        setUpGrid(n1, n2);
    }
    ~AnisotropicProbe() override { releaseGrid(); }

    using AnisotropicFilter::calculateBlFixedG;
    using AnisotropicFilter::calculateD;
    using AnisotropicFilter::calculateJRho;
    using AnisotropicFilter::calculateOpD1;
    using AnisotropicFilter::calculateOpD2;
    using AnisotropicFilter::calculateOpDa;
    using AnisotropicFilter::calculateOpDd;
    using AnisotropicFilter::createSystems;
    using AnisotropicFilter::OperatorArray;
};

void expectNear(const Vec& actual, const std::vector<double>& expected, double dTolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], dTolerance) << "entry " << i;
    }
}

// u(x1, x2) on an n1 x n2 grid, first axis fastest.
template <class F> std::vector<double> image(int n1, int n2, F f) {
    std::vector<double> u(n1 * n2);
    for (int x2 = 0; x2 < n2; ++x2) {
        for (int x1 = 0; x1 < n1; ++x1) {
            u[x1 + n1 * x2] = f(x1, x2);
        }
    }
    return u;
}

// The dense operator of one direction, built from pixel coordinates: weight w between
// (x1, x2) and (x1 + d1, x2 + d2) wherever both lie in the grid, and minus the weights of
// a pixel's pairs on its diagonal.
Matrix directionOperator(int n1, int n2, int d1, int d2, double w) {
    const int N = n1 * n2;
    Matrix A(N, std::vector<double>(N, 0.0));
    for (int x2 = 0; x2 < n2; ++x2) {
        for (int x1 = 0; x1 < n1; ++x1) {
            const int y1 = x1 + d1;
            const int y2 = x2 + d2;
            if (y1 < 0 || y1 >= n1 || y2 < 0 || y2 >= n2) {
                continue;
            }
            const int p = x1 + n1 * x2;
            const int q = y1 + n1 * y2;
            A[p][q] += w;
            A[q][p] += w;
            A[p][p] -= w;
            A[q][q] -= w;
        }
    }
    return A;
}

// Solves (I - f A) x = rhs.
std::vector<double> solveImplicit(const Matrix& A, double f, const std::vector<double>& rhs) {
    const std::size_t N = rhs.size();
    Matrix M(N, std::vector<double>(N, 0.0));
    for (std::size_t r = 0; r < N; ++r) {
        for (std::size_t s = 0; s < N; ++s) {
            M[r][s] = (r == s ? 1.0 : 0.0) - f * A[r][s];
        }
    }
    return solveDense(std::move(M), rhs);
}

// (1/m) sum_j (I - m tau A_j)^-1 u
std::vector<double> aosStep(const std::vector<Matrix>& operators, double tau,
                            const std::vector<double>& u) {
    const double m = static_cast<double>(operators.size());
    std::vector<double> result(u.size(), 0.0);
    for (const Matrix& A : operators) {
        const std::vector<double> x = solveImplicit(A, m * tau, u);
        for (std::size_t i = 0; i < u.size(); ++i) {
            result[i] += x[i] / m;
        }
    }
    return result;
}

double sum(const Vec& v) {
    double total = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        total += v[i];
    }
    return total;
}

// A 5 x 4 image without symmetries.
const std::vector<double> kIrregular = {3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8, 9, 7, 9, 3, 2, 3, 8, 4};

} // namespace

// 3 x 2 grid: m = 2, h = 1/2, so m^2 dStep / h^2 = 16 dStep = 4 for dStep = 1/4.
TEST(AnisotropicSmoothingSystems, LinearDiffusionPerAxis) {
    struct Case {
        std::string sName;
        int iL;
        std::vector<double> vWu, vWd, vWo;
    };
    const Case cases[] = {
        // The pair (2, 3) crosses the end of the first line and stays uncoupled.
        {"FirstAxis", 1, {-4, -4, 0, -4, -4}, {6, 10, 6, 6, 10, 6}, {-4, -4, 0, -4, -4}},
        // Two pixels per line: every pixel is first or last.
        {"SecondAxis", 2, {-4, -4, -4}, {6, 6, 6, 6, 6, 6}, {-4, -4, -4}},
    };
    DiffusionLinear g;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        AnisotropicProbe probe(3, 2, 0.0, g, g);
        Vec vWu(c.vWu.size(), true);
        Vec vWd(6, true);
        Vec vWo(c.vWo.size(), true);
        EXPECT_EQ(probe.calculateBlFixedG(c.iL, vWu, vWd, vWo, 0.25), 0);
        expectNear(vWu, c.vWu, 0.0);
        expectNear(vWd, c.vWd, 0.0);
        expectNear(vWo, c.vWo, 0.0);
    }
}

TEST(AnisotropicStructureTensor, PlainProductsOfTheGradientWithoutSmoothing) {
    struct Case {
        std::string sName;
        int n1, n2;
        std::vector<double> u, vJ11, vJ12, vJ22;
    };
    const Case cases[] = {
        // h = 1/3: the gradient is (3, 6) everywhere, borders included.
        {"RampFourByThree", 4, 3, image(4, 3, [](int x1, int x2) { return x1 + 2.0 * x2; }),
         std::vector<double>(12, 9.0), std::vector<double>(12, 18.0),
         std::vector<double>(12, 36.0)},
        // h = 1/2. First axis: forward 2, central 4, backward 6 in the first line, 0 in the
        // second; second axis (two pixels): 4, 2, -4 in both lines.
        {"ThreeByTwo",
         3,
         2,
         {0, 1, 4, 2, 2, 2},
         {4, 16, 36, 0, 0, 0},
         {8, 8, -24, 0, 0, 0},
         {16, 4, 16, 16, 4, 16}},
        {"ConstantImage", 3, 2, std::vector<double>(6, 5.0), std::vector<double>(6, 0.0),
         std::vector<double>(6, 0.0), std::vector<double>(6, 0.0)},
    };
    DiffusionLinear g;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        AnisotropicProbe probe(c.n1, c.n2, 0.0, g, g);
        const std::size_t N = c.u.size();
        Vec vJ11(N, true);
        Vec vJ12(N, true);
        Vec vJ22(N, true);
        probe.calculateJRho(vectorOf(c.u), vJ11, vJ12, vJ22);
        expectNear(vJ11, c.vJ11, 1e-12);
        expectNear(vJ12, c.vJ12, 1e-12);
        expectNear(vJ22, c.vJ22, 1e-12);
    }
}

TEST(AnisotropicStructureTensor, SmoothingAtRhoIsOneLinearAosStep) {
    // The products of the 3 x 2 fixture above, smoothed by (1/2) sum_l (I - 2 t L_l)^-1 with
    // t = rho^2 / 2 and L_l the second difference of weight 1/h^2 = 4.
    const double dRho = 0.5;
    const double t = dRho * dRho / 2.0;
    const std::vector<Matrix> axes = {directionOperator(3, 2, 1, 0, 4.0),
                                      directionOperator(3, 2, 0, 1, 4.0)};
    DiffusionLinear g;
    AnisotropicProbe probe(3, 2, dRho, g, g);
    Vec vJ11(6, true);
    Vec vJ12(6, true);
    Vec vJ22(6, true);
    probe.calculateJRho(vectorOf({0, 1, 4, 2, 2, 2}), vJ11, vJ12, vJ22);
    expectNear(vJ11, aosStep(axes, t, {4, 16, 36, 0, 0, 0}), 1e-12);
    expectNear(vJ12, aosStep(axes, t, {8, 8, -24, 0, 0, 0}), 1e-12);
    expectNear(vJ22, aosStep(axes, t, {16, 4, 16, 16, 4, 16}), 1e-12);
}

namespace {

struct TensorCase {
    std::string sName;
    double a, b, c;       // J11, J12, J22
    double d11, d12, d22; // with g_contrast(s) = 100 + s, g_normal(s) = 1000 + s
};

const TensorCase kTensorCases[] = {
    // J = 0 (a constant image): the tie puts v1 on the second axis.
    {"VanishingTensorTakesTheTie", 0, 0, 0, 1000, 0, 100},
    {"EqualDiagonalTakesTheTie", 3, 0, 3, 1003, 0, 103},
    {"DiagonalLargerFirst", 5, 0, 2, 105, 0, 1002},
    {"DiagonalLargerSecond", 2, 0, 5, 1002, 0, 105},
    // r = 2, mu = 3 and 1, v1 = (1, 1)/sqrt 2: D11 = D22 = (103 + 1001)/2, D12 = (103 - 1001)/2.
    {"EqualDiagonalWithCoupling", 2, 1, 2, 552, -449, 552},
    // r = 45, mu = 45 and 0, v1 = (1, 2)/sqrt 5: D = (145 v1 v1^T + 1000 v2 v2^T).
    {"RampTensor", 9, 18, 36, 829, -342, 316},
    {"MirroredRampTensor", 9, -18, 36, 829, 342, 316},
    // 4 b^2 underflows: such a b cannot be resolved against a and c and counts as 0.
    {"UnresolvableCouplingLargerFirst", 5, 1e-170, 2, 105, 0, 1002},
    {"UnresolvableCouplingEqualDiagonal", 3, -1e-200, 3, 1003, 0, 103},
};

} // namespace

TEST(AnisotropicDiffusionTensor, EigenBranches) {
    OffsetDiffusivity contrast(100.0);
    OffsetDiffusivity normal(1000.0);
    for (const TensorCase& c : kTensorCases) {
        SCOPED_TRACE(c.sName);
        AnisotropicProbe probe(2, 2, 0.0, contrast, normal);
        Vec vA(4, true);
        Vec vB(4, true);
        Vec vC(4, true);
        probe.calculateD(vectorOf({c.a, c.a, c.a, c.a}), vectorOf({c.b, c.b, c.b, c.b}),
                         vectorOf({c.c, c.c, c.c, c.c}), vA, vB, vC);
        expectNear(vA, std::vector<double>(4, c.d11), 1e-9);
        expectNear(vB, std::vector<double>(4, c.d12), 1e-9);
        expectNear(vC, std::vector<double>(4, c.d22), 1e-9);
    }
}

TEST(AnisotropicDiffusionTensor, LinearFunctionsGiveIdentity) {
    DiffusionLinear g;
    for (const TensorCase& c : kTensorCases) {
        SCOPED_TRACE(c.sName);
        AnisotropicProbe probe(2, 2, 0.0, g, g);
        Vec vA(4, true);
        Vec vB(4, true);
        Vec vC(4, true);
        probe.calculateD(vectorOf({c.a, c.a, c.a, c.a}), vectorOf({c.b, c.b, c.b, c.b}),
                         vectorOf({c.c, c.c, c.c, c.c}), vA, vB, vC);
        expectNear(vA, std::vector<double>(4, 1.0), 1e-15);
        expectNear(vB, std::vector<double>(4, 0.0), 1e-15);
        expectNear(vC, std::vector<double>(4, 1.0), 1e-15);
    }
}

TEST(AnisotropicDiffusionSystems, BandSizesFollowTheDirections) {
    struct Case {
        std::string sName;
        int n1, n2;
        std::size_t iaBandSizes[4];
    };
    const Case cases[] = {
        // Band distances 1, 2, 3, 1.
        {"TwoByTwo", 2, 2, {3, 2, 1, 3}},
        // Band distances 1, 5, 6, 4.
        {"FiveByFour", 5, 4, {19, 15, 14, 16}},
    };
    DiffusionLinear g;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        AnisotropicProbe probe(c.n1, c.n2, 0.0, g, g);
        AnisotropicProbe::OperatorArray vaU;
        AnisotropicProbe::OperatorArray vaD;
        AnisotropicProbe::OperatorArray vaO;
        probe.createSystems(4, vaU, vaD, vaO);
        ASSERT_EQ(vaU.size(), 5u);
        ASSERT_EQ(vaD.size(), 5u);
        ASSERT_EQ(vaO.size(), 5u);
        for (int j = 1; j <= 4; ++j) {
            SCOPED_TRACE("direction " + std::to_string(j));
            // The band entries of pairs across a line end are never written and must start 0.
            expectNear(vaU[j], std::vector<double>(c.iaBandSizes[j - 1], 0.0), 0.0);
            expectNear(vaO[j], std::vector<double>(c.iaBandSizes[j - 1], 0.0), 0.0);
            EXPECT_EQ(vaD[j].size(), static_cast<std::size_t>(c.n1 * c.n2));
        }
    }
}

// 2 x 2 grid, h = 1, tau = 1/16: the diagonal is 4 + (sum of the pair weights at the pixel),
// each band entry minus the weight of its pair. Pixels 0 = (0,0), 1 = (1,0), 2 = (0,1),
// 3 = (1,1); a = D11, b = D12, c = D22 differ at every pixel so that a weight built from the
// wrong end of its pair shows.
TEST(AnisotropicDiffusionSystems, TwoByTwoDirections) {
    using Assembly =
        void (AnisotropicFilter::*)(Vec&, Vec&, Vec&, const Vec&, const Vec&, const Vec&, double);
    struct Case {
        std::string sName;
        Assembly pAssembly;
        std::vector<double> vWu, vWd, vWo;
    };
    const Case cases[] = {
        // w(0,1) = (8 + 6 - 1 - 3)/2 = 5, w(2,3) = (5 + 9 - 1 - 2)/2 = 5.5; (1,2) is a line end.
        {"FirstAxis",
         &AnisotropicProbe::calculateOpD1,
         {-5, 0, -5.5},
         {9, 9, 9.5, 9.5},
         {-5, 0, -5.5}},
        // w(0,2) = (7 + 4 - 1 - 1)/2 = 4.5, w(1,3) = (10 + 6 - 3 - 2)/2 = 5.5.
        {"SecondAxis",
         &AnisotropicProbe::calculateOpD2,
         {-4.5, -5.5},
         {8.5, 9.5, 8.5, 9.5},
         {-4.5, -5.5}},
        // Only (0,3): w = (1 + 1 + 2 + 2)/4 = 1.5.
        {"MainDiagonal", &AnisotropicProbe::calculateOpDd, {-1.5}, {5.5, 4, 4, 5.5}, {-1.5}},
        // Only (1,2): w = (3 + 3 + 1 + 1)/4 = 2; (0,1) and (2,3) are no anti-diagonal pairs.
        {"AntiDiagonal", &AnisotropicProbe::calculateOpDa, {0, -2, 0}, {4, 6, 6, 4}, {0, -2, 0}},
    };
    const Vec a = vectorOf({8, 6, 5, 9});
    const Vec b = vectorOf({1, -3, -1, 2});
    const Vec c = vectorOf({7, 10, 4, 6});
    DiffusionLinear g;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.sName);
        AnisotropicProbe probe(2, 2, 0.0, g, g);
        Vec vWu(row.vWu.size(), true);
        Vec vWd(4, true);
        Vec vWo(row.vWo.size(), true);
        (probe.*row.pAssembly)(vWu, vWd, vWo, a, b, c, 1.0 / 16.0);
        expectNear(vWu, row.vWu, 0.0);
        expectNear(vWd, row.vWd, 0.0);
        expectNear(vWo, row.vWo, 0.0);
    }
}

TEST(AnisotropicFilterRun, LeavesImageUnchanged) {
    struct Case {
        std::string sName;
        double dTimeStep;
        int iIterationCount;
        double dTolerance;
    };
    const Case cases[] = {
        {"NoIterations", 0.01, 0, 0.0},
        {"NegativeIterationCount", 0.01, -2, 0.0},
        // Every system is 4 I: each direction gives u/4.
        {"ZeroTimeStep", 0.0, 3, 1e-13},
    };
    DiffusionPeronaMalik contrast(1.0);
    DiffusionPeronaMalik normal(2.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        AnisotropicFilter theFilter(c.dTimeStep, c.iIterationCount, 0.1, 0.2, contrast, normal);
        Vec u = vectorOf(kIrregular);
        EXPECT_EQ(theFilter.filter(u, 5, 4), 0);
        expectNear(u, kIrregular, c.dTolerance);
        EXPECT_EQ(theFilter.failedSolveCount(), 0);
    }
}

TEST(AnisotropicFilterRun, ConstantImageStaysConstant) {
    DiffusionPeronaMalik contrast(1.0);
    DiffusionPeronaMalik normal(2.0);
    AnisotropicFilter theFilter(0.01, 3, 0.1, 0.2, contrast, normal);
    Vec u = vectorOf(std::vector<double>(20, 7.0));
    EXPECT_EQ(theFilter.filter(u, 5, 4), 0);
    expectNear(u, std::vector<double>(20, 7.0), 1e-12);
    EXPECT_EQ(theFilter.failedSolveCount(), 0);
}

TEST(AnisotropicFilterRun, ConservesMass) {
    // Every direction is symmetric with zero row sums, so each system keeps a quarter of the
    // sum of u.
    DiffusionPeronaMalik contrast(100.0);
    DiffusionLinear normal;
    AnisotropicFilter theFilter(0.001, 3, 0.1, 0.2, contrast, normal);
    Vec u = vectorOf(kIrregular);
    EXPECT_EQ(theFilter.filter(u, 5, 4), 0);
    EXPECT_NEAR(sum(u), sum(vectorOf(kIrregular)), 1e-11);
    EXPECT_GT(std::fabs(u[0] - kIrregular[0]), 1e-3);
    EXPECT_EQ(theFilter.failedSolveCount(), 0);
}

TEST(AnisotropicFilterRun, LinearFunctionsGiveTheAxisSecondDifferences) {
    // D = I: the diagonal directions contribute u/4 each, so
    // u_new = (1/4) ((I - 4 tau L1)^-1 u + (I - 4 tau L2)^-1 u + 2u) with weight 1/h^2 = 16.
    const double tau = 0.002;
    const Matrix L1 = directionOperator(5, 4, 1, 0, 16.0);
    const Matrix L2 = directionOperator(5, 4, 0, 1, 16.0);
    std::vector<double> expected = kIrregular;
    for (int iteration = 0; iteration < 2; ++iteration) {
        const std::vector<double> x1 = solveImplicit(L1, 4.0 * tau, expected);
        const std::vector<double> x2 = solveImplicit(L2, 4.0 * tau, expected);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i] = 0.25 * (x1[i] + x2[i] + 2.0 * expected[i]);
        }
    }
    DiffusionLinear g;
    AnisotropicFilter theFilter(tau, 2, 0.1, 0.2, g, g);
    Vec u = vectorOf(kIrregular);
    EXPECT_EQ(theFilter.filter(u, 5, 4), 0);
    expectNear(u, expected, 1e-12);
    EXPECT_EQ(theFilter.failedSolveCount(), 0);
}

TEST(AnisotropicFilterRun, PresmoothingAtSigmaSteersTheContrast) {
    // u varies along the first axis only, so u_sigma = (1/2) ((I - 2 t L1)^-1 u + u) with
    // t = sigma^2 / 2, J = diag(g1^2, 0) with rho = 0, and the contrast function receives g1^2
    // of u_sigma at every pixel.
    const int n1 = 4;
    const int n2 = 2;
    const double h = 1.0 / 3.0;
    const double dSigma = 0.3;
    const std::vector<double> u0 = {0, 1, 3, 7, 0, 1, 3, 7};
    const std::vector<double> vSmoothed =
        solveImplicit(directionOperator(n1, n2, 1, 0, 9.0), dSigma * dSigma, u0);
    std::vector<double> vUSigma(u0.size());
    for (std::size_t i = 0; i < u0.size(); ++i) {
        vUSigma[i] = 0.5 * (vSmoothed[i] + u0[i]);
    }
    std::vector<double> expected(u0.size());
    for (int x2 = 0; x2 < n2; ++x2) {
        for (int x1 = 0; x1 < n1; ++x1) {
            const int p = x1 + n1 * x2;
            double g1 = 0.0;
            if (x1 == 0) {
                g1 = (vUSigma[p + 1] - vUSigma[p]) / h;
            } else if (x1 == n1 - 1) {
                g1 = (vUSigma[p] - vUSigma[p - 1]) / h;
            } else {
                g1 = (vUSigma[p + 1] - vUSigma[p - 1]) / (2.0 * h);
            }
            expected[p] = g1 * g1;
        }
    }
    RecordingDiffusivity contrast;
    RecordingDiffusivity normal;
    AnisotropicFilter theFilter(0.01, 1, dSigma, 0.0, contrast, normal);
    Vec u = vectorOf(u0);
    EXPECT_EQ(theFilter.filter(u, n1, n2), 0);
    expectNear(vectorOf(contrast.vArguments), expected, 1e-10);
    expectNear(vectorOf(normal.vArguments), std::vector<double>(u0.size(), 0.0), 1e-10);
}

TEST(AnisotropicFilterRun, ObliqueRampFollowsTheNinePointStencil) {
    // u = x1 + s x2 on 4 x 3 pixels (h = 1/3) has the gradient (3, 3s) everywhere; with
    // sigma = rho = 0 and the eigenvalues fixed at 3 and 1, D = [[2, s], [s, 2]] at every
    // pixel. Weights: axes (2 + 2 - 1 - 1)/(2h^2) = 9; the diagonal of the sign of s gets
    // (1 + 1 + 1 + 1)/(4h^2) = 9, the other one 0.
    struct Case {
        std::string sName;
        double s;
        double dMainWeight, dAntiWeight;
    };
    const Case cases[] = {
        {"Rising", 1.0, 9.0, 0.0},
        {"Falling", -1.0, 0.0, 9.0},
    };
    const double tau = 0.01;
    ConstantDiffusivity contrast(3.0);
    ConstantDiffusivity normal(1.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sName);
        const std::vector<double> u0 = image(4, 3, [&c](int x1, int x2) { return x1 + c.s * x2; });
        const std::vector<Matrix> directions = {directionOperator(4, 3, 1, 0, 9.0),
                                                directionOperator(4, 3, 0, 1, 9.0),
                                                directionOperator(4, 3, 1, 1, c.dMainWeight),
                                                directionOperator(4, 3, -1, 1, c.dAntiWeight)};
        AnisotropicFilter theFilter(tau, 1, 0.0, 0.0, contrast, normal);
        Vec u = vectorOf(u0);
        EXPECT_EQ(theFilter.filter(u, 4, 3), 0);
        expectNear(u, aosStep(directions, tau, u0), 1e-12);
        EXPECT_EQ(theFilter.failedSolveCount(), 0);
    }
}

TEST(AnisotropicFilterRun, DarkImageWithOneBrightPixelStaysFinite) {
    // The smoothing spreads the gradient of the bright pixel into products J12 that decay
    // far below the square root of the smallest double; those pixels must not turn D into
    // NaN, which the solves would carry over the whole image.
    const int n = 20;
    const double h = 1.0 / (n - 1);
    DiffusionPeronaMalik contrast(1.0);
    DiffusionPeronaMalik normal(1.0);
    AnisotropicFilter theFilter(0.01 * h * h, 1, 0.02 * h, 0.02 * h, contrast, normal);
    std::vector<double> u0(n * n, 0.0);
    u0[0] = 1.0;
    Vec u = vectorOf(u0);
    EXPECT_EQ(theFilter.filter(u, n, n), 0);
    for (std::size_t i = 0; i < u.size(); ++i) {
        ASSERT_TRUE(std::isfinite(u[i])) << "pixel " << i;
    }
    EXPECT_NEAR(sum(u), 1.0, 1e-12);
    EXPECT_NE(u[0], 1.0) << "the bright pixel takes part in the diffusion";
}
