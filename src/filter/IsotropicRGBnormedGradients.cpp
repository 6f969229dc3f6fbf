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
        double dGradientR = 0.0;
        double dGradientG = 0.0;
        double dGradientB = 0.0;
        for (int l = 1; l <= iDimensionCount; ++l) {
            int iPlus = 0;
            int iMinus = 0;
            double dDivisor = 0.0;
            differenceStencil(i, l, iPlus, iMinus, dDivisor);
            dGradientR += quad((vUSigmaR[iPlus] - vUSigmaR[iMinus]) / dDivisor);
            dGradientG += quad((vUSigmaG[iPlus] - vUSigmaG[iMinus]) / dDivisor);
            dGradientB += quad((vUSigmaB[iPlus] - vUSigmaB[iMinus]) / dDivisor);
        }
        vG[i] = pDiffusionFunction->diffusivity(dGradientR + dGradientG + dGradientB);
    }
    return 0;
}
