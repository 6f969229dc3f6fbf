#include "IsotropicFilter.h"

IsotropicFilter::IsotropicFilter(double dTimeStep, int iIterationCount, double dSigma,
                                 DiffusionFunction& pDiffusionFunction)
    : dTimeStep(dTimeStep), iIterationCount(iIterationCount), dSigma(dSigma),
      pDiffusionFunction(&pDiffusionFunction) {}

IsotropicFilter::~IsotropicFilter() {}

int IsotropicFilter::filter(MathTL::Vector<double>& u, int iDimCount, int* iaDimensions) {
    MathTL::Vector<double>* const apChannels[] = {&u};
    return iterate(apChannels, 1, iDimCount, iaDimensions,
                   [this](const MathTL::Vector<double>* vaUSigma, MathTL::Vector<double>& vG) {
                       calculateG(vaUSigma[0], vG);
                   });
}

int IsotropicFilter::presmooth(MathTL::Vector<double>& u, int iDimCount, int* iaDimensions) {
    MathTL::Vector<double>* const apChannels[] = {&u};
    return presmoothChannels(apChannels, 1, iDimCount, iaDimensions);
}

int IsotropicFilter::iterate(MathTL::Vector<double>* const* apChannels, int iChannelCount,
                             int iDimCount, int* iaDimensions, const DiffusivityField& field) {
    // Assumes every axis size is at least 2 and each channel holds n_1*...*n_d values.
    if (!setUpGrid(iDimCount, iaDimensions)) {
        return -1;
    }
    // Without a step there is nothing to hold: a large image would cost (c + 1)N + 3dN doubles.
    if (iIterationCount <= 0) {
        releaseGrid();
        return 0;
    }
    std::vector<MathTL::Vector<double>> vaUSigma(static_cast<size_t>(iChannelCount));
    for (MathTL::Vector<double>& vUSigma : vaUSigma) {
        vUSigma.resize(static_cast<size_t>(iResolution), true);
    }
    MathTL::Vector<double> vG(static_cast<size_t>(iResolution), true);
    OperatorArray vaAu;
    OperatorArray vaAd;
    OperatorArray vaAo;
    createOperators(vaAu, vaAd, vaAo);

    const double dPresmoothStep = dSigma * (dSigma * 0.5);
    for (int iIteration = 1; iIteration <= iIterationCount; ++iIteration) {
        // The nonlinear operators overwrite the presmoothing ones, so both are built every step.
        assemblePresmoothingOperators(vaAu, vaAd, vaAo, dPresmoothStep);
        for (int c = 0; c < iChannelCount; ++c) {
            vaUSigma[c] = *apChannels[c];
        }
        for (int c = 0; c < iChannelCount; ++c) {
            AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), vaUSigma[c]);
        }
        field(vaUSigma.data(), vG);
        // One operator per axis serves every channel.
        assembleOperators(vaAu, vaAd, vaAo, vG, dTimeStep);
        for (int c = 0; c < iChannelCount; ++c) {
            AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), *apChannels[c]);
        }
    }

    releaseOperators(vaAu, vaAd, vaAo);
    releaseGrid();
    vG.resize(0, false);
    vaUSigma.clear();
    return 0;
}

int IsotropicFilter::presmoothChannels(MathTL::Vector<double>* const* apChannels, int iChannelCount,
                                       int iDimCount, int* iaDimensions) {
    // Assumes every axis size is at least 2 and each channel holds n_1*...*n_d values.
    if (!setUpGrid(iDimCount, iaDimensions)) {
        return -1;
    }
    OperatorArray vaAu;
    OperatorArray vaAd;
    OperatorArray vaAo;
    createOperators(vaAu, vaAd, vaAo);
    assemblePresmoothingOperators(vaAu, vaAd, vaAo, 0.5 * dSigma * dSigma);
    for (int c = 0; c < iChannelCount; ++c) {
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), *apChannels[c]);
    }
    releaseOperators(vaAu, vaAd, vaAo);
    releaseGrid();
    return 0;
}

int IsotropicFilter::calculateG(const MathTL::Vector<double>& vUSigma, MathTL::Vector<double>& vG) {
    // Assumes the grid is set up and both vectors hold N values.
    // vG[i] = g(sum over l of ((v[i+] - v[i-]) / divisor_l)^2): the squared magnitude, no root.
    for (int i = 0; i < iResolution; ++i) {
        const double dGradient = squaredGradient(i, [&](int p) { return vUSigma[p]; });
        vG[i] = pDiffusionFunction->diffusivity(dGradient);
    }
    return 0;
}

int IsotropicFilter::calculateB1(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                 MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG,
                                 double dStep) {
    walkFirstAxis(vWu, vWd, vWo, &vG, dStep);
    return 0;
}

int IsotropicFilter::calculateBl(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                 MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG,
                                 double dStep) {
    walkAxis(iL, vWu, vWd, vWo, &vG, dStep);
    return 0;
}

int IsotropicFilter::calculateBd(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                 MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG,
                                 double dStep) {
    walkLastAxis(vWu, vWd, vWo, &vG, dStep);
    return 0;
}

int IsotropicFilter::calculateB1FixedG(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                       MathTL::Vector<double>& vWo, double dStep) {
    walkFirstAxis(vWu, vWd, vWo, nullptr, dStep);
    return 0;
}

int IsotropicFilter::calculateBlFixedG(int iL, MathTL::Vector<double>& vWu,
                                       MathTL::Vector<double>& vWd, MathTL::Vector<double>& vWo,
                                       double dStep) {
    walkAxis(iL, vWu, vWd, vWo, nullptr, dStep);
    return 0;
}

int IsotropicFilter::calculateBdFixedG(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                       MathTL::Vector<double>& vWo, double dStep) {
    walkLastAxis(vWu, vWd, vWo, nullptr, dStep);
    return 0;
}

bool IsotropicFilter::setUpGrid(int iDimCount, const int* iaAxisSizes) {
    // Assumes iaAxisSizes[1..iDimCount] are the axis sizes.
    iDimensionCount = iDimCount;
    if (iDimCount < 1) {
        return false;
    }
    iaDimensions = new int[iDimCount + 1]();
    for (int k = 1; k <= iDimCount; ++k) {
        iaDimensions[k] = iaAxisSizes[k];
    }
    // One spacing, taken from axis 1, serves every axis.
    dSpaceStep = 1.0 / (iaAxisSizes[1] - 1.0);
    // iaResolutions[k] = n_k * iaResolutions[k-1]: the stride of axis k+1.
    iaResolutions = new int[iDimCount + 1];
    iaResolutions[0] = 1;
    for (int k = 1; k <= iDimCount; ++k) {
        iaResolutions[k] = iaDimensions[k] * iaResolutions[k - 1];
    }
    iResolution = iaResolutions[iDimCount];
    return true;
}

void IsotropicFilter::releaseGrid() {
    delete[] iaDimensions;
    iaDimensions = nullptr;
    delete[] iaResolutions;
    iaResolutions = nullptr;
}

void IsotropicFilter::createOperators(OperatorArray& vaAu, OperatorArray& vaAd,
                                      OperatorArray& vaAo) const {
    // Assumes the grid is set up.
    const size_t iSlots = static_cast<size_t>(iDimensionCount) + 1;
    vaAd = OperatorArray(iSlots);
    vaAu = OperatorArray(iSlots);
    vaAo = OperatorArray(iSlots);
    // The elements across line breaks are never written, so they must start at 0.
    for (int k = 1; k <= iDimensionCount; ++k) {
        const size_t iBandLength = static_cast<size_t>(iResolution - iaResolutions[k - 1]);
        vaAd[k].resize(static_cast<size_t>(iResolution), true);
        vaAu[k].resize(iBandLength, true);
        vaAo[k].resize(iBandLength, true);
    }
}

void IsotropicFilter::releaseOperators(OperatorArray& vaAu, OperatorArray& vaAd,
                                       OperatorArray& vaAo) const {
    vaAd.clear();
    vaAo.clear();
    vaAu.clear();
}

void IsotropicFilter::assemblePresmoothingOperators(OperatorArray& vaAu, OperatorArray& vaAd,
                                                    OperatorArray& vaAo, double dStep) {
    calculateB1FixedG(vaAu[1], vaAd[1], vaAo[1], dStep);
    for (int l = 2; l <= iDimensionCount - 1; ++l) {
        calculateBlFixedG(l, vaAu[l], vaAd[l], vaAo[l], dStep);
    }
    if (iDimensionCount != 1) {
        calculateBdFixedG(vaAu[iDimensionCount], vaAd[iDimensionCount], vaAo[iDimensionCount],
                          dStep);
    }
}

void IsotropicFilter::assembleOperators(OperatorArray& vaAu, OperatorArray& vaAd,
                                        OperatorArray& vaAo, const MathTL::Vector<double>& vG,
                                        double dStep) {
    calculateB1(vaAu[1], vaAd[1], vaAo[1], vG, dStep);
    for (int l = 2; l <= iDimensionCount - 1; ++l) {
        calculateBl(l, vaAu[l], vaAd[l], vaAo[l], vG, dStep);
    }
    if (iDimensionCount != 1) {
        calculateBd(vaAu[iDimensionCount], vaAd[iDimensionCount], vaAo[iDimensionCount], vG, dStep);
    }
}

void IsotropicFilter::differenceStencil(int i, int iL, int& iPlus, int& iMinus,
                                        double& dDivisor) const {
    const int s = iaResolutions[iL - 1];
    const int e = iaResolutions[iL];
    const double h = dSpaceStep;
    if (i % e < s) {
        iPlus = i + s;
        iMinus = i;
        dDivisor = h;
    } else if (i % e < e - s) {
        iPlus = i + s;
        iMinus = i - s;
        dDivisor = h + h;
    } else {
        iPlus = i;
        iMinus = i - s;
        dDivisor = h;
    }
}

void IsotropicFilter::walkFirstAxis(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                    MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG,
                                    double dStep) {
    // Axis 1 has stride 1 and a line break every n_1 pixels; the band pair at a break stays 0.
    const int N = iResolution;
    const int n1 = iaResolutions[1];
    firstRow(0, 1, vWd, vWo, pG, dStep);
    lastRow(N - 1, 1, vWu, vWd, pG, dStep);
    int i = 1;
    while (i < N - 1) {
        if (i % n1 < n1 - 1) {
            innerRow(i, 1, vWu, vWd, vWo, pG, dStep);
            i += 1;
        } else {
            lastRow(i, 1, vWu, vWd, pG, dStep);
            firstRow(i + 1, 1, vWd, vWo, pG, dStep);
            i += 2;
        }
    }
}

void IsotropicFilter::walkAxis(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                               MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG,
                               double dStep) {
    // An inner axis breaks its lines at every block of e pixels, so each row is classified.
    const int s = iaResolutions[iL - 1];
    const int e = iaResolutions[iL];
    for (int k = 0; k < iResolution; ++k) {
        if (k % e < s) {
            firstRow(k, s, vWd, vWo, pG, dStep);
        } else if (k % e < e - s) {
            innerRow(k, s, vWu, vWd, vWo, pG, dStep);
        } else {
            lastRow(k, s, vWu, vWd, pG, dStep);
        }
    }
}

void IsotropicFilter::walkLastAxis(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                                   MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG,
                                   double dStep) {
    // The last axis is a single block: its first and last s rows are the borders.
    const int N = iResolution;
    const int s = iaResolutions[iDimensionCount - 1];
    for (int k = 0; k < s; ++k) {
        firstRow(k, s, vWd, vWo, pG, dStep);
    }
    for (int k = N - s; k < N; ++k) {
        lastRow(k, s, vWu, vWd, pG, dStep);
    }
    for (int k = s; k < N - s; ++k) {
        innerRow(k, s, vWu, vWd, vWo, pG, dStep);
    }
}

// Each row first takes the elements of A_l, then is scaled to m - m^2*dStep*a (diagonal) and
// -dStep*m^2*a (bands). The neighbours share the mean of their two diffusivities.

void IsotropicFilter::firstRow(int k, int s, MathTL::Vector<double>& vWd,
                               MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG,
                               double dStep) {
    const double h = dSpaceStep;
    if (pG != nullptr) {
        const MathTL::Vector<double>& g = *pG;
        vWd[k] = (g[k] + g[k + s]) / (h * (-2.0 * h));
        vWo[k] = -vWd[k];
    } else {
        vWd[k] = -1.0 / (h * h);
        vWo[k] = 1.0 / (h * h);
    }
    const double m = iDimensionCount;
    const double dM2 = quad(m);
    vWd[k] = m - dM2 * dStep * vWd[k];
    vWo[k] = -dStep * dM2 * vWo[k];
}

void IsotropicFilter::innerRow(int k, int s, MathTL::Vector<double>& vWu,
                               MathTL::Vector<double>& vWd, MathTL::Vector<double>& vWo,
                               const MathTL::Vector<double>* pG, double dStep) {
    const double h = dSpaceStep;
    if (pG != nullptr) {
        const MathTL::Vector<double>& g = *pG;
        vWd[k] = (g[k - s] + 2.0 * g[k] + g[k + s]) / (h * (-2.0 * h));
        vWo[k] = (g[k] + g[k + s]) / (h * (2.0 * h));
        vWu[k - s] = (g[k] + g[k - s]) / (h * (2.0 * h));
    } else {
        vWd[k] = -2.0 / (h * h);
        vWo[k] = 1.0 / (h * h);
        vWu[k - s] = 1.0 / (h * h);
    }
    const double m = iDimensionCount;
    const double dM2 = quad(m);
    vWd[k] = m - dM2 * dStep * vWd[k];
    vWo[k] = -dStep * dM2 * vWo[k];
    vWu[k - s] = -dStep * dM2 * vWu[k - s];
}

void IsotropicFilter::lastRow(int k, int s, MathTL::Vector<double>& vWu,
                              MathTL::Vector<double>& vWd, const MathTL::Vector<double>* pG,
                              double dStep) {
    const double h = dSpaceStep;
    if (pG != nullptr) {
        const MathTL::Vector<double>& g = *pG;
        vWd[k] = (g[k - s] + g[k]) / (h * (-2.0 * h));
        vWu[k - s] = -vWd[k];
    } else {
        vWd[k] = -1.0 / (h * h);
        vWu[k - s] = 1.0 / (h * h);
    }
    const double m = iDimensionCount;
    const double dM2 = quad(m);
    vWd[k] = m - dM2 * dStep * vWd[k];
    vWu[k - s] = -dStep * dM2 * vWu[k - s];
}
