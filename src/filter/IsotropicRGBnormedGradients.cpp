#include "IsotropicRGBnormedGradients.h"

IsotropicRGBnormedGradients::IsotropicRGBnormedGradients(double dTimeStep, int iIterationCount,
                                                         double dSigma,
                                                         DiffusionFunction& pDiffusionFunction)
    : IsotropicRGBAbstract(dTimeStep, iIterationCount, dSigma, pDiffusionFunction) {}

IsotropicRGBnormedGradients::~IsotropicRGBnormedGradients() {}

int IsotropicRGBnormedGradients::calculateG(const MathTL::Vector<double>& vUSigmaR,
                                            const MathTL::Vector<double>& vUSigmaG,
                                            const MathTL::Vector<double>& vUSigmaB,
                                            MathTL::Vector<double>& vG) {
    // Assumes the grid is set up and all four vectors hold N values.
    // Each channel sums its squared difference quotients over the axes on its own; g sees the
    // total.
    for (int i = 0; i < iResolution; ++i) {
        const double dGradientR = squaredGradient(i, [&](int p) { return vUSigmaR[p]; });
        const double dGradientG = squaredGradient(i, [&](int p) { return vUSigmaG[p]; });
        const double dGradientB = squaredGradient(i, [&](int p) { return vUSigmaB[p]; });
        vG[i] = pDiffusionFunction->diffusivity(dGradientR + dGradientG + dGradientB);
    }
    return 0;
}
