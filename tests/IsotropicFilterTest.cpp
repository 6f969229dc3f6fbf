#include "src/filter/IsotropicFilter.h"
#include "src/filter/diffusionfunctions/DiffusionLinear.h"
#include "src/filter/diffusionfunctions/DiffusionPeronaMalik.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Reaches the operator assemblies and the grid set-up.
class OperatorProbe : public IsotropicFilter {
public:
    using IsotropicFilter::calculateB1;
    using IsotropicFilter::calculateB1FixedG;
    using IsotropicFilter::calculateBd;
    using IsotropicFilter::calculateBdFixedG;
    using IsotropicFilter::calculateBl;
    using IsotropicFilter::calculateBlFixedG;
    using IsotropicFilter::calculateG;
    using IsotropicFilter::IsotropicFilter;
    using IsotropicFilter::releaseGrid;
    using IsotropicFilter::setUpGrid;
};

// An uneven image without symmetries, so that no axis or border is spared.
MathTL::Vector<double> unevenImage(int N) {
    MathTL::Vector<double> v(N, true);
    for (int p = 0; p < N; ++p) {
        v[p] = 0.5 + 0.4 * std::sin(0.9 * p + 0.3) + 0.1 * (p % 3);
    }
    return v;
}

int pixelCount(int iDimCount, const int* iaDimensions) {
    int N = 1;
    for (int k = 1; k <= iDimCount; ++k) {
        N *= iaDimensions[k];
    }
    return N;
}

double sumOf(const MathTL::Vector<double>& v) {
    double dSum = 0.0;
    for (size_t i = 0; i < v.size(); ++i) {
        dSum += v[i];
    }
    return dSum;
}

void expectNear(const MathTL::Vector<double>& vActual, const std::vector<double>& vExpected,
                double dTolerance) {
    ASSERT_EQ(vActual.size(), vExpected.size());
    for (size_t i = 0; i < vExpected.size(); ++i) {
        EXPECT_NEAR(vActual[i], vExpected[i], dTolerance) << "pixel " << i;
    }
}

enum class Operation { filter, presmooth };

int run(IsotropicFilter& filter, Operation eOperation, MathTL::Vector<double>& u, int iDimCount,
        int* iaDimensions) {
    return eOperation == Operation::filter ? filter.filter(u, iDimCount, iaDimensions)
                                           : filter.presmooth(u, iDimCount, iaDimensions);
}

// On the 3 x 2 grid (h = 0.5, m = 2) with dStep = 1/16, so that m^2 * dStep / h^2 = 1. With
// g = 1 every off-diagonal element is -1 and the diagonal is 2 + (number of neighbours). With
// g = (1..6) an element between k and j is -(g_k + g_j) / 2 and the diagonal is 2 minus the
// sum of its row's elements.
TEST(IsotropicFilterOperators, AssembleTheBandsOfTheThreeByTwoGrid) {
    enum class Call { B1, Bl, Bd };
    struct Case {
        const char* sName;
        Call eCall;
        int iL;
        bool bFixedG;
        std::vector<double> vWd;
        std::vector<double> vWo; // equal to vWu: the operators are symmetric
    };
    const std::vector<double> vAxis1FixedWd = {3, 4, 3, 3, 4, 3};
    const std::vector<double> vAxis1FixedBand = {-1, -1, 0, -1, -1};
    const std::vector<double> vAxis2FixedWd = {3, 3, 3, 3, 3, 3};
    const std::vector<double> vAxis2FixedBand = {-1, -1, -1};
    const std::vector<double> vAxis1Wd = {3.5, 6, 4.5, 6.5, 12, 7.5};
    const std::vector<double> vAxis1Band = {-1.5, -2.5, 0, -4.5, -5.5};
    const std::vector<double> vAxis2Wd = {4.5, 5.5, 6.5, 4.5, 5.5, 6.5};
    const std::vector<double> vAxis2Band = {-2.5, -3.5, -4.5};
    const Case aCases[] = {
        {"axis 1, g = 1, first-axis walk", Call::B1, 1, true, vAxis1FixedWd, vAxis1FixedBand},
        {"axis 1, g = 1, general walk", Call::Bl, 1, true, vAxis1FixedWd, vAxis1FixedBand},
        {"axis 2, g = 1, last-axis walk", Call::Bd, 2, true, vAxis2FixedWd, vAxis2FixedBand},
        {"axis 2, g = 1, general walk", Call::Bl, 2, true, vAxis2FixedWd, vAxis2FixedBand},
        {"axis 1, g = 1..6, first-axis walk", Call::B1, 1, false, vAxis1Wd, vAxis1Band},
        {"axis 1, g = 1..6, general walk", Call::Bl, 1, false, vAxis1Wd, vAxis1Band},
        {"axis 2, g = 1..6, last-axis walk", Call::Bd, 2, false, vAxis2Wd, vAxis2Band},
        {"axis 2, g = 1..6, general walk", Call::Bl, 2, false, vAxis2Wd, vAxis2Band},
    };
    DiffusionLinear linear;
    OperatorProbe probe(0.0, 0, 0.0, linear);
    int iaDimensions[] = {0, 3, 2};
    const MathTL::Vector<double> vG = vectorOf({1, 2, 3, 4, 5, 6});
    const double dStep = 1.0 / 16.0;
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        ASSERT_TRUE(probe.setUpGrid(2, iaDimensions));
        MathTL::Vector<double> vWd(6, true);
        MathTL::Vector<double> vWu(c.vWo.size(), true);
        MathTL::Vector<double> vWo(c.vWo.size(), true);
        if (c.bFixedG) {
            if (c.eCall == Call::B1) {
                probe.calculateB1FixedG(vWu, vWd, vWo, dStep);
            } else if (c.eCall == Call::Bd) {
                probe.calculateBdFixedG(vWu, vWd, vWo, dStep);
            } else {
                probe.calculateBlFixedG(c.iL, vWu, vWd, vWo, dStep);
            }
        } else {
            if (c.eCall == Call::B1) {
                probe.calculateB1(vWu, vWd, vWo, vG, dStep);
            } else if (c.eCall == Call::Bd) {
                probe.calculateBd(vWu, vWd, vWo, vG, dStep);
            } else {
                probe.calculateBl(c.iL, vWu, vWd, vWo, vG, dStep);
            }
        }
        probe.releaseGrid();
        EXPECT_EQ(valuesOf(vWd), c.vWd);
        EXPECT_EQ(valuesOf(vWo), c.vWo);
        EXPECT_EQ(valuesOf(vWu), c.vWo);
    }
}

// v = sum_l c_l * i_l has the squared gradient sum_l (c_l / h)^2 at every pixel: the one-sided
// quotients at the borders are exact for it, and h comes from axis 1 for every axis.
TEST(IsotropicFilterOperators, DiffusivitySeesTheSquaredGradientOfARamp) {
    struct Case {
        const char* sName;
        int iDimCount;
        std::vector<int> vDimensions; // slot 0 unused
        std::vector<double> vSlopes;  // slot 0 unused
        double dExpected;
    };
    // h = 0.5 in every case.
    const Case aCases[] = {
        {"2d ramp along axis 1", 2, {0, 3, 4}, {0, 1, 0}, 4.0},
        {"3d ramp along every axis", 3, {0, 3, 2, 4}, {0, 1, 2, -1}, 4.0 + 16.0 + 4.0},
        {"3d constant image", 3, {0, 3, 2, 4}, {0, 0, 0, 0}, 0.0},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        RecordingDiffusivity recorder;
        OperatorProbe probe(0.0, 0, 0.0, recorder);
        std::vector<int> vDimensions = c.vDimensions;
        ASSERT_TRUE(probe.setUpGrid(c.iDimCount, vDimensions.data()));
        const int N = pixelCount(c.iDimCount, vDimensions.data());
        MathTL::Vector<double> vImage(N, true);
        for (int p = 0; p < N; ++p) {
            int iRest = p;
            for (int l = 1; l <= c.iDimCount; ++l) {
                vImage[p] += c.vSlopes[l] * (iRest % vDimensions[l]);
                iRest /= vDimensions[l];
            }
        }
        MathTL::Vector<double> vG(N, true);
        probe.calculateG(vImage, vG);
        probe.releaseGrid();
        EXPECT_EQ(recorder.vArguments, std::vector<double>(N, c.dExpected));
        EXPECT_EQ(valuesOf(vG), std::vector<double>(N, 1.0));
    }
}

// With sigma = 0 the presmoothed copy is the image itself, so the ramp's gradient reaches g
// unchanged at the borders too; any smoothing would bend it there.
TEST(IsotropicFilterIteration, WithoutPresmoothingTheDiffusivitySeesTheImage) {
    RecordingDiffusivity recorder;
    IsotropicFilter filter(0.01, 1, 0.0, recorder);
    int iaDimensions[] = {0, 3, 4};
    MathTL::Vector<double> u = vectorOf({0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2});
    ASSERT_EQ(filter.filter(u, 2, iaDimensions), 0);
    EXPECT_EQ(recorder.vArguments, std::vector<double>(12, 4.0));
}

// Operations that must give back the image: a zero time step (each axis solution is u/m), no
// presmoothing, and no iteration at all.
TEST(IsotropicFilterIteration, LeaveTheImageAsItIs) {
    struct Case {
        const char* sName;
        Operation eOperation;
        int iDimCount;
        double dTimeStep;
        int iIterationCount;
        double dSigma;
        double dTolerance;
    };
    const Case aCases[] = {
        {"filter, tau = 0, 1d", Operation::filter, 1, 0.0, 3, 0.3, 1e-15},
        {"filter, tau = 0, 2d", Operation::filter, 2, 0.0, 3, 0.3, 1e-15},
        {"filter, tau = 0, 3d", Operation::filter, 3, 0.0, 3, 0.3, 1e-15},
        {"presmooth, sigma = 0, 1d", Operation::presmooth, 1, 0.1, 3, 0.0, 1e-15},
        {"presmooth, sigma = 0, 2d", Operation::presmooth, 2, 0.1, 3, 0.0, 1e-15},
        {"presmooth, sigma = 0, 3d", Operation::presmooth, 3, 0.1, 3, 0.0, 1e-15},
        {"filter, no iteration", Operation::filter, 2, 0.1, 0, 0.3, 0.0},
        {"filter, negative iteration count", Operation::filter, 3, 0.1, -2, 0.3, 0.0},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(1.0);
        IsotropicFilter filter(c.dTimeStep, c.iIterationCount, c.dSigma, peronaMalik);
        int iaDimensions[] = {0, 4, 3, 2};
        const MathTL::Vector<double> vImage = unevenImage(pixelCount(c.iDimCount, iaDimensions));
        MathTL::Vector<double> u = vImage;
        EXPECT_EQ(run(filter, c.eOperation, u, c.iDimCount, iaDimensions), 0);
        expectNear(u, valuesOf(vImage), c.dTolerance);
    }
}

TEST(IsotropicFilterIteration, ConstantImageIsAFixedPoint) {
    struct Case {
        const char* sName;
        Operation eOperation;
        int iDimCount;
    };
    const Case aCases[] = {
        {"filter 1d", Operation::filter, 1},       {"filter 2d", Operation::filter, 2},
        {"filter 3d", Operation::filter, 3},       {"presmooth 1d", Operation::presmooth, 1},
        {"presmooth 2d", Operation::presmooth, 2}, {"presmooth 3d", Operation::presmooth, 3},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(1.0);
        IsotropicFilter filter(0.01, 3, 0.3, peronaMalik);
        int iaDimensions[] = {0, 5, 3, 2};
        const int N = pixelCount(c.iDimCount, iaDimensions);
        MathTL::Vector<double> u(N, true);
        u = 2.5;
        EXPECT_EQ(run(filter, c.eOperation, u, c.iDimCount, iaDimensions), 0);
        expectNear(u, std::vector<double>(N, 2.5), 1e-13);
    }
}

// Every operator is symmetric with row and column sums m, so each axis solution carries 1/m of
// the mass and their sum all of it.
TEST(IsotropicFilterIteration, ConservesTheSumOfThePixels) {
    struct Case {
        const char* sName;
        Operation eOperation;
        int iDimCount;
    };
    const Case aCases[] = {
        {"presmooth 2d", Operation::presmooth, 2},
        {"presmooth 3d", Operation::presmooth, 3},
        {"filter 2d", Operation::filter, 2},
        {"filter 3d", Operation::filter, 3},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(0.5);
        IsotropicFilter filter(0.02, 5, 0.4, peronaMalik);
        int iaDimensions[] = {0, 6, 4, 3};
        const MathTL::Vector<double> vImage = unevenImage(pixelCount(c.iDimCount, iaDimensions));
        MathTL::Vector<double> u = vImage;
        EXPECT_EQ(run(filter, c.eOperation, u, c.iDimCount, iaDimensions), 0);
        EXPECT_NEAR(sumOf(u), sumOf(vImage), 1e-13 * sumOf(vImage));
        EXPECT_NE(valuesOf(u), valuesOf(vImage));
    }
}

// Linear diffusion without presmoothing assembles the very numbers the presmoothing uses, so
// one step of time tau equals presmoothing with sigma^2 / 2 = tau.
TEST(IsotropicFilterIteration, LinearStepEqualsPresmoothingOfTheSameTime) {
    const int aDimCounts[] = {2, 3};
    for (const int iDimCount : aDimCounts) {
        SCOPED_TRACE(iDimCount);
        DiffusionLinear linear;
        int iaDimensions[] = {0, 4, 3, 2}; // h = 1/3 is not a binary fraction
        const MathTL::Vector<double> vImage = unevenImage(pixelCount(iDimCount, iaDimensions));
        IsotropicFilter stepper(0.125, 1, 0.0, linear);
        MathTL::Vector<double> vStepped = vImage;
        ASSERT_EQ(stepper.filter(vStepped, iDimCount, iaDimensions), 0);
        IsotropicFilter smoother(99.0, 7, 0.5, linear);
        MathTL::Vector<double> vSmoothed = vImage;
        ASSERT_EQ(smoother.presmooth(vSmoothed, iDimCount, iaDimensions), 0);
        EXPECT_EQ(valuesOf(vStepped), valuesOf(vSmoothed));
        EXPECT_NE(valuesOf(vStepped), valuesOf(vImage));
    }
}

// One AOS step of m axes on an image that varies along one line only: the axes across the line
// see constant lines and return u/m each; the line's own axis returns (1/m)(I - m tau A)^-1 u
// with the Neumann operator A of diffusivity g.
std::vector<double> lineStep(const std::vector<double>& u, const std::vector<double>& g, double h,
                             double m, double dTau) {
    const size_t n = u.size();
    std::vector<std::vector<double>> b(n, std::vector<double>(n, 0.0));
    const auto couple = [&](size_t k, size_t j) {
        const double a = (g[k] + g[j]) / (2.0 * h * h);
        b[k][j] -= m * dTau * a;
        b[k][k] += m * dTau * a;
    };
    for (size_t k = 0; k < n; ++k) {
        b[k][k] += 1.0;
        if (k > 0) {
            couple(k, k - 1);
        }
        if (k + 1 < n) {
            couple(k, k + 1);
        }
    }
    const std::vector<double> x = solveDense(b, u);
    std::vector<double> vNext(n);
    for (size_t k = 0; k < n; ++k) {
        vNext[k] = x[k] / m + (m - 1.0) / m * u[k];
    }
    return vNext;
}

// The filter on an image that varies along one axis only equals the one-dimensional scheme along
// that axis with m = d and h from axis 1; an axis whose operator were missing or misplaced would
// not return its share u/m.
TEST(IsotropicFilterIteration, EveryAxisIsAssembled) {
    struct Case {
        const char* sName;
        int iDimCount;
        std::vector<int> vDimensions; // slot 0 unused
        int iAxis;
    };
    const Case aCases[] = {
        {"1d", 1, {0, 6}, 1},
        {"2d, along axis 1", 2, {0, 6, 3}, 1},
        {"2d, along axis 2", 2, {0, 3, 6}, 2},
        {"3d, along axis 1", 3, {0, 6, 3, 2}, 1},
        {"3d, along axis 2", 3, {0, 3, 6, 2}, 2},
        {"3d, along axis 3", 3, {0, 3, 2, 6}, 3},
        {"4d, along axis 3", 4, {0, 3, 2, 6, 2}, 3},
    };
    const std::vector<double> vProfile = {0.0, 0.1, 0.9, 1.0, 0.4, 0.3};
    const double dTau = 0.005;
    const double dSigma = 0.1;
    const int iIterationCount = 2;
    const double dLambda = 2.0;
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        std::vector<int> vDimensions = c.vDimensions;
        const double h = 1.0 / (vDimensions[1] - 1);
        const double m = c.iDimCount;
        const size_t n = vProfile.size();

        std::vector<double> vLine = vProfile;
        for (int iIteration = 0; iIteration < iIterationCount; ++iIteration) {
            const std::vector<double> vSmooth =
                lineStep(vLine, std::vector<double>(n, 1.0), h, m, dSigma * dSigma / 2.0);
            std::vector<double> vG(n);
            for (size_t k = 0; k < n; ++k) {
                const double q = k == 0       ? (vSmooth[1] - vSmooth[0]) / h
                                 : k == n - 1 ? (vSmooth[k] - vSmooth[k - 1]) / h
                                              : (vSmooth[k + 1] - vSmooth[k - 1]) / (2.0 * h);
                const double s = q * q;
                vG[k] = 1.0 / (1.0 + s * s / (dLambda * dLambda));
            }
            vLine = lineStep(vLine, vG, h, m, dTau);
        }

        int iStride = 1;
        for (int l = 1; l < c.iAxis; ++l) {
            iStride *= vDimensions[l];
        }
        const int N = pixelCount(c.iDimCount, vDimensions.data());
        MathTL::Vector<double> u(N, true);
        std::vector<double> vExpected(N);
        for (int p = 0; p < N; ++p) {
            const int iPosition = p / iStride % static_cast<int>(n);
            u[p] = vProfile[iPosition];
            vExpected[p] = vLine[iPosition];
        }
        DiffusionPeronaMalik peronaMalik(dLambda);
        IsotropicFilter filter(dTau, iIterationCount, dSigma, peronaMalik);
        EXPECT_EQ(filter.filter(u, c.iDimCount, vDimensions.data()), 0);
        expectNear(u, vExpected, 1e-12);
    }
}

TEST(IsotropicFilterIteration, RefusesFewerThanOneAxis) {
    struct Case {
        const char* sName;
        Operation eOperation;
        int iDimCount;
    };
    const Case aCases[] = {
        {"filter, 0 axes", Operation::filter, 0},
        {"filter, -1 axes", Operation::filter, -1},
        {"presmooth, 0 axes", Operation::presmooth, 0},
        {"presmooth, -1 axes", Operation::presmooth, -1},
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sName);
        DiffusionPeronaMalik peronaMalik(1.0);
        IsotropicFilter filter(0.01, 3, 0.3, peronaMalik);
        int iaDimensions[] = {0, 4, 3};
        const MathTL::Vector<double> vImage = unevenImage(12);
        MathTL::Vector<double> u = vImage;
        EXPECT_EQ(run(filter, c.eOperation, u, c.iDimCount, iaDimensions), -1);
        EXPECT_EQ(valuesOf(u), valuesOf(vImage));
    }
}

} // namespace
