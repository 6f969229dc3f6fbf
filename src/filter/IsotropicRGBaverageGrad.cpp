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
    const auto density = [&](int p) { return fullDensity(vUSigmaR[p], vUSigmaG[p], vUSigmaB[p]); };
    for (int i = 0; i < iResolution; ++i) {
        vG[i] = pDiffusionFunction->diffusivity(squaredGradient(i, density));
    }
    return 0;
}

double IsotropicRGBaverageGrad::fullDensity(double R, double G, double B) {
    return (R + G + B) / 3.0;
}
