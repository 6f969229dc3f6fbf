#include "AnisotropicFilter.h"

#include <cmath>

namespace {

// Step from a pixel to its partner in each direction, along the first and the second axis;
// slot 0 unused. The band distance of direction j is iaShift1[j] + n1 * iaShift2[j].
const int iaShift1[5] = {0, 1, 0, 1, -1};
const int iaShift2[5] = {0, 0, 1, 1, 1};

// w(i, j) = (a_i + a_j - |b_i| - |b_j|) / (2h^2)
double weightFirstAxis(const MathTL::Vector<double>& a, const MathTL::Vector<double>& b,
                       const MathTL::Vector<double>&, int i, int j, double h) {
    return (a[i] + a[j] - std::fabs(b[i]) - std::fabs(b[j])) / (2.0 * h * h);
}

// w(i, j) = (c_i + c_j - |b_i| - |b_j|) / (2h^2)
double weightSecondAxis(const MathTL::Vector<double>&, const MathTL::Vector<double>& b,
                        const MathTL::Vector<double>& c, int i, int j, double h) {
    return (c[i] + c[j] - std::fabs(b[i]) - std::fabs(b[j])) / (2.0 * h * h);
}

// w(i, j) = (|b_i| + b_i + |b_j| + b_j) / (4h^2)
double weightMainDiagonal(const MathTL::Vector<double>&, const MathTL::Vector<double>& b,
                          const MathTL::Vector<double>&, int i, int j, double h) {
    return (std::fabs(b[i]) + b[i] + std::fabs(b[j]) + b[j]) / (4.0 * h * h);
}

// w(i, j) = (|b_i| - b_i + |b_j| - b_j) / (4h^2)
double weightAntiDiagonal(const MathTL::Vector<double>&, const MathTL::Vector<double>& b,
                          const MathTL::Vector<double>&, int i, int j, double h) {
    return (std::fabs(b[i]) - b[i] + std::fabs(b[j]) - b[j]) / (4.0 * h * h);
}

} // namespace

AnisotropicFilter::AnisotropicFilter(double dTimeStep, int iIterationCount, double dSigma,
                                     double dRho, DiffusionFunction& pDiffusionFunctionContrast,
                                     DiffusionFunction& pDiffusionFunctionNormal)
    : dTimeStep(dTimeStep), iIterationCount(iIterationCount), dSigma(dSigma), dRho(dRho),
      pDiffusionFunctionContrast(&pDiffusionFunctionContrast),
      pDiffusionFunctionNormal(&pDiffusionFunctionNormal) {}

// The diffusivities belong to the caller, and filter releases its grid before it returns.
AnisotropicFilter::~AnisotropicFilter() {}

int AnisotropicFilter::filter(MathTL::Vector<double>& u, int iDimension1, int iDimension2) {
    // Assumes u holds iDimension1 * iDimension2 values and both dimensions are at least 2.
    if (iIterationCount <= 0) {
        // u stays as it is, so there is nothing to set up.
        return 0;
    }
    setUpGrid(iDimension1, iDimension2);
    const int N = iResolution;

    MathTL::Vector<double> vUSigma(N, true);
    MathTL::Vector<double> vJ11(N, true);
    MathTL::Vector<double> vJ12(N, true);
    MathTL::Vector<double> vJ22(N, true);
    MathTL::Vector<double> vDiffTensorA(N, true);
    MathTL::Vector<double> vDiffTensorB(N, true);
    MathTL::Vector<double> vDiffTensorC(N, true);
    OperatorArray vaOperatorU;
    OperatorArray vaOperatorD;
    OperatorArray vaOperatorO;
    createSystems(4, vaOperatorU, vaOperatorD, vaOperatorO);

    // Systems 1 and 2 serve first the presmoothing, then the diffusion. Every writer fills
    // only the entries of neighbour pairs, so the entries across line ends stay 0 throughout.
    for (int iIteration = 0; iIteration < iIterationCount; ++iIteration) {
        buildSmoothingSystems(dSigma, vaOperatorU, vaOperatorD, vaOperatorO);
        vUSigma = u;
        AOS(iDimensionCount, vaOperatorU.data(), vaOperatorD.data(), vaOperatorO.data(), vUSigma);
        calculateJRho(vUSigma, vJ11, vJ12, vJ22);
        calculateD(vJ11, vJ12, vJ22, vDiffTensorA, vDiffTensorB, vDiffTensorC);
        calculateOpD1(vaOperatorU[1], vaOperatorD[1], vaOperatorO[1], vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dTimeStep);
        calculateOpD2(vaOperatorU[2], vaOperatorD[2], vaOperatorO[2], vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dTimeStep);
        calculateOpDd(vaOperatorU[3], vaOperatorD[3], vaOperatorO[3], vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dTimeStep);
        calculateOpDa(vaOperatorU[4], vaOperatorD[4], vaOperatorO[4], vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dTimeStep);
        AOS(4, vaOperatorU.data(), vaOperatorD.data(), vaOperatorO.data(), u);
    }

    releaseGrid();
    return 0;
}

void AnisotropicFilter::setUpGrid(int iDimension1, int iDimension2) {
    iDimensionCount = 2;
    iaDimensions = new int[3]();
    iaDimensions[1] = iDimension1;
    iaDimensions[2] = iDimension2;
    dSpaceStep = 1.0 / (iDimension1 - 1);
    iaResolutions = new int[3]();
    iaResolutions[0] = 1;
    iaResolutions[1] = iDimension1;
    iaResolutions[2] = iDimension1 * iDimension2;
    iResolution = iaResolutions[2];
}

void AnisotropicFilter::releaseGrid() {
    delete[] iaDimensions;
    iaDimensions = nullptr;
    delete[] iaResolutions;
    iaResolutions = nullptr;
}

void AnisotropicFilter::createSystems(int iSystemCount, OperatorArray& vaOperatorU,
                                      OperatorArray& vaOperatorD,
                                      OperatorArray& vaOperatorO) const {
    // Assumes the grid is set and iSystemCount is at most 4.
    const int N = iResolution;
    vaOperatorU.assign(iSystemCount + 1, MathTL::Vector<double>());
    vaOperatorD.assign(iSystemCount + 1, MathTL::Vector<double>());
    vaOperatorO.assign(iSystemCount + 1, MathTL::Vector<double>());
    for (int j = 1; j <= iSystemCount; ++j) {
        const int k = iaShift1[j] + iaDimensions[1] * iaShift2[j];
        vaOperatorU[j].resize(N - k, true);
        vaOperatorD[j].resize(N, true);
        vaOperatorO[j].resize(N - k, true);
    }
}

void AnisotropicFilter::buildSmoothingSystems(double dScale, OperatorArray& vaOperatorU,
                                              OperatorArray& vaOperatorD,
                                              OperatorArray& vaOperatorO) {
    // Assumes systems 1 and 2 are sized for the two axes.
    // One linear AOS step of time t^2/2 smooths at scale t.
    for (int iL = 1; iL <= iDimensionCount; ++iL) {
        calculateBlFixedG(iL, vaOperatorU[iL], vaOperatorD[iL], vaOperatorO[iL],
                          dScale * dScale * 0.5);
    }
}

int AnisotropicFilter::calculateBlFixedG(int iL, MathTL::Vector<double>& vWu,
                                         MathTL::Vector<double>& vWd, MathTL::Vector<double>& vWo,
                                         double dStep) {
    // Assumes the grid is set, vWd has N entries and vWu, vWo have N - s.
    const int N = iResolution;
    const int s = iaResolutions[iL - 1];
    const int w = iaResolutions[iL];
    const double m = iDimensionCount;
    const double h = dSpaceStep;
    const double dM2 = quad(m);
    const double dCoupling = -dM2 * dStep / (h * h);
    // vWd[i] = m - m^2 dStep delta, delta = -1/h^2 at the ends of a line, -2/h^2 inside;
    // every neighbour pair gets -m^2 dStep / h^2.
    for (int i = 0; i < N; ++i) {
        double dDelta = 0.0;
        if (i % w < s) {
            dDelta = -1.0 / (h * h);
            vWo[i] = dCoupling;
        } else if (i % w >= w - s) {
            dDelta = -1.0 / (h * h);
            vWu[i - s] = dCoupling;
        } else {
            dDelta = -2.0 / (h * h);
            vWo[i] = dCoupling;
            vWu[i - s] = dCoupling;
        }
        vWd[i] = m - dM2 * dStep * dDelta;
    }
    return 0;
}

void AnisotropicFilter::calculateJRho(const MathTL::Vector<double>& vUSigma,
                                      MathTL::Vector<double>& vJ11, MathTL::Vector<double>& vJ12,
                                      MathTL::Vector<double>& vJ22) {
    // Assumes the grid is set and every vector has N entries.
    const int N = iResolution;
    const double h = dSpaceStep;

    OperatorArray vaGradientUSigma(iDimensionCount + 1);
    for (int l = 1; l <= iDimensionCount; ++l) {
        vaGradientUSigma[l].resize(N, true);
    }
    // Forward difference at the first pixel of a line, backward at the last, central inside.
    for (int i = 0; i < N; ++i) {
        for (int l = 1; l <= iDimensionCount; ++l) {
            const int s = iaResolutions[l - 1];
            const int w = iaResolutions[l];
            if (i % w < s) {
                vaGradientUSigma[l][i] = (vUSigma[i + s] - vUSigma[i]) / h;
            } else if (i % w >= w - s) {
                vaGradientUSigma[l][i] = (vUSigma[i] - vUSigma[i - s]) / h;
            } else {
                vaGradientUSigma[l][i] = (vUSigma[i + s] - vUSigma[i - s]) / (2.0 * h);
            }
        }
    }
    // J = grad u_sigma (grad u_sigma)^T
    for (int i = 0; i < N; ++i) {
        vJ11[i] = quad(vaGradientUSigma[1][i]);
        vJ12[i] = vaGradientUSigma[1][i] * vaGradientUSigma[2][i];
        vJ22[i] = quad(vaGradientUSigma[2][i]);
    }

    // The three components share the systems of scale rho.
    OperatorArray vaOperatorU;
    OperatorArray vaOperatorD;
    OperatorArray vaOperatorO;
    createSystems(iDimensionCount, vaOperatorU, vaOperatorD, vaOperatorO);
    buildSmoothingSystems(dRho, vaOperatorU, vaOperatorD, vaOperatorO);
    AOS(iDimensionCount, vaOperatorU.data(), vaOperatorD.data(), vaOperatorO.data(), vJ11);
    AOS(iDimensionCount, vaOperatorU.data(), vaOperatorD.data(), vaOperatorO.data(), vJ12);
    AOS(iDimensionCount, vaOperatorU.data(), vaOperatorD.data(), vaOperatorO.data(), vJ22);
}

void AnisotropicFilter::calculateD(const MathTL::Vector<double>& vJ11,
                                   const MathTL::Vector<double>& vJ12,
                                   const MathTL::Vector<double>& vJ22,
                                   MathTL::Vector<double>& vDiffTensorA,
                                   MathTL::Vector<double>& vDiffTensorB,
                                   MathTL::Vector<double>& vDiffTensorC) {
    // Assumes the grid is set and every vector has N entries.
    const int N = iResolution;
    // J = mu1 v1 v1^T + mu2 v2 v2^T with mu1 >= mu2; D = V diag(g_contrast(mu1),
    // g_normal(mu2)) V^-1 with V = [v1 v2].
    for (int i = 0; i < N; ++i) {
        const double a = vJ11[i];
        const double b = vJ12[i];
        const double c = vJ22[i];
        double dMu1 = 0.0;
        double dMu2 = 0.0;
        double p1 = 0.0;
        double q1 = 0.0;
        double p2 = 0.0;
        double q2 = 0.0;
        // Where 4b^2 underflows, r no longer sees b: one eigenvector would get the length 0
        // and D would turn NaN, which the solves then spread over the whole image. Such a b is
        // below what the decomposition resolves, so the pixel is taken as one with b = 0.
        const bool bCoupled = b != 0.0 && 4.0 * quad(b) != 0.0;
        if (bCoupled) {
            const double r = std::sqrt(quad(a - c) + 4.0 * quad(b));
            dMu1 = (a + c + r) / 2.0;
            dMu2 = (a + c - r) / 2.0;
            p1 = 2.0 * b;
            q1 = c - a + r;
            const double dLength1 = std::sqrt(quad(p1) + quad(q1));
            p1 = p1 / dLength1;
            q1 = q1 / dLength1;
            p2 = 2.0 * b;
            q2 = c - a - r;
            const double dLength2 = std::sqrt(quad(p2) + quad(q2));
            p2 = p2 / dLength2;
            q2 = q2 / dLength2;
        } else if (a > c) {
            dMu1 = a;
            p1 = 1.0;
            q1 = 0.0;
            dMu2 = c;
            p2 = 0.0;
            q2 = 1.0;
        } else {
            dMu1 = c;
            p1 = 0.0;
            q1 = 1.0;
            dMu2 = a;
            p2 = 1.0;
            q2 = 0.0;
        }
        const double dLambda1 = pDiffusionFunctionContrast->diffusivity(dMu1);
        const double dLambda2 = pDiffusionFunctionNormal->diffusivity(dMu2);
        const double dDet = p1 * q2 - p2 * q1;
        vDiffTensorA[i] = (p1 * q2 * dLambda1 - p2 * q1 * dLambda2) / dDet;
        vDiffTensorB[i] = p1 * p2 * (dLambda2 - dLambda1) / dDet;
        vDiffTensorC[i] = (p1 * q2 * dLambda2 - p2 * q1 * dLambda1) / dDet;
    }
}

void AnisotropicFilter::assembleDirection(int iDirection, PairWeight pWeight,
                                          MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                          MathTL::Vector<double>& vWo,
                                          const MathTL::Vector<double>& vDiffTensorA,
                                          const MathTL::Vector<double>& vDiffTensorB,
                                          const MathTL::Vector<double>& vDiffTensorC,
                                          double dStep) {
    // Assumes the grid is set and the bands are sized for the band distance of iDirection.
    const int N = iResolution;
    const int n1 = iaDimensions[1];
    const int n2 = iaDimensions[2];
    const int iShift1 = iaShift1[iDirection];
    const int iShift2 = iaShift2[iDirection];
    const int k = iShift1 + n1 * iShift2;
    const double h = dSpaceStep;
    // vWd[i] = 4 + 16 tau (sum of the weights of the pairs at i); each pair gets -16 tau w.
    // The factors are m = 4 directions and m^2.
    for (int i = 0; i < N; ++i) {
        const int x1 = i % n1;
        const int x2 = i / n1;
        double dWeightSum = 0.0;
        const int iUp1 = x1 + iShift1;
        const int iUp2 = x2 + iShift2;
        if (iUp1 >= 0 && iUp1 < n1 && iUp2 >= 0 && iUp2 < n2) {
            const double dWeight = pWeight(vDiffTensorA, vDiffTensorB, vDiffTensorC, i, i + k, h);
            vWo[i] = -16.0 * dStep * dWeight;
            dWeightSum = dWeightSum + dWeight;
        }
        const int iDown1 = x1 - iShift1;
        const int iDown2 = x2 - iShift2;
        if (iDown1 >= 0 && iDown1 < n1 && iDown2 >= 0 && iDown2 < n2) {
            const double dWeight = pWeight(vDiffTensorA, vDiffTensorB, vDiffTensorC, i - k, i, h);
            vWu[i - k] = -16.0 * dStep * dWeight;
            dWeightSum = dWeightSum + dWeight;
        }
        vWd[i] = 4.0 + 16.0 * dStep * dWeightSum;
    }
}

void AnisotropicFilter::calculateOpD1(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                      MathTL::Vector<double>& vWo,
                                      const MathTL::Vector<double>& vDiffTensorA,
                                      const MathTL::Vector<double>& vDiffTensorB,
                                      const MathTL::Vector<double>& vDiffTensorC, double dStep) {
    assembleDirection(1, weightFirstAxis, vWu, vWd, vWo, vDiffTensorA, vDiffTensorB, vDiffTensorC,
                      dStep);
}

void AnisotropicFilter::calculateOpD2(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                      MathTL::Vector<double>& vWo,
                                      const MathTL::Vector<double>& vDiffTensorA,
                                      const MathTL::Vector<double>& vDiffTensorB,
                                      const MathTL::Vector<double>& vDiffTensorC, double dStep) {
    assembleDirection(2, weightSecondAxis, vWu, vWd, vWo, vDiffTensorA, vDiffTensorB, vDiffTensorC,
                      dStep);
}

void AnisotropicFilter::calculateOpDd(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                      MathTL::Vector<double>& vWo,
                                      const MathTL::Vector<double>& vDiffTensorA,
                                      const MathTL::Vector<double>& vDiffTensorB,
                                      const MathTL::Vector<double>& vDiffTensorC, double dStep) {
    assembleDirection(3, weightMainDiagonal, vWu, vWd, vWo, vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dStep);
}

void AnisotropicFilter::calculateOpDa(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                      MathTL::Vector<double>& vWo,
                                      const MathTL::Vector<double>& vDiffTensorA,
                                      const MathTL::Vector<double>& vDiffTensorB,
                                      const MathTL::Vector<double>& vDiffTensorC, double dStep) {
    assembleDirection(4, weightAntiDiagonal, vWu, vWd, vWo, vDiffTensorA, vDiffTensorB,
                      vDiffTensorC, dStep);
}
