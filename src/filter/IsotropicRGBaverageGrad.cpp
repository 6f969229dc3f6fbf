#include "IsotropicRGBaverageGrad.h"

IsotropicRGBaverageGrad::IsotropicRGBaverageGrad(double dTimeStep, int iIterationCount,
                                                 double dSigma,
                                                 DiffusionFunction& pDiffusionFunction)
    : IsotropicRGBAbstract(dTimeStep, iIterationCount, dSigma, pDiffusionFunction) {}

IsotropicRGBaverageGrad::~IsotropicRGBaverageGrad() {}

int IsotropicRGBaverageGrad::calculateG(const MathTL::Vector<double>& vUSigmaR,
                                        const MathTL::Vector<double>& vUSigmaG,
                                        const MathTL::Vector<double>& vUSigmaB,
                                        MathTL::Vector<double>& vG) {
    // Assumes the grid is set up and all four vectors hold N values.
    // vG[i] = g(sum over l of ((D[i+] - D[i-]) / divisor_l)^2); D is formed where it is read.
    for (int i = 0; i < iResolution; ++i) {
        double dGradient = 0.0;
        for (int l = 1; l <= iDimensionCount; ++l) {
            int iPlus = 0;
            int iMinus = 0;
            double dDivisor = 0.0;
            differenceStencil(i, l, iPlus, iMinus, dDivisor);
            const double dPlus = fullDensity(vUSigmaR[iPlus], vUSigmaG[iPlus], vUSigmaB[iPlus]);
            const double dMinus = fullDensity(vUSigmaR[iMinus], vUSigmaG[iMinus], vUSigmaB[iMinus]);
            dGradient += quad((dPlus - dMinus) / dDivisor);
        }
        vG[i] = pDiffusionFunction->diffusivity(dGradient);
    }
    return 0;
}

double IsotropicRGBaverageGrad::fullDensity(double R, double G, double B) {
    return (R + G + B) / 3.0;
}
