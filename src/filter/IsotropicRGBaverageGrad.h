#ifndef NLDIFF_ISOTROPICRGBAVERAGEGRAD_H
#define NLDIFF_ISOTROPICRGBAVERAGEGRAD_H

#include "IsotropicRGBAbstract.h"

// Coupled colour filter whose diffusivity field comes from the gradient of the channel mean.
class IsotropicRGBaverageGrad : public IsotropicRGBAbstract {
public:
    IsotropicRGBaverageGrad(double dTimeStep, int iIterationCount, double dSigma,
                            DiffusionFunction& pDiffusionFunction);
    virtual ~IsotropicRGBaverageGrad();

protected:
    // vG[i] = g(|grad D|^2 at i) with D the mean of the three channels.
    int calculateG(const MathTL::Vector<double>& vUSigmaR, const MathTL::Vector<double>& vUSigmaG,
                   const MathTL::Vector<double>& vUSigmaB, MathTL::Vector<double>& vG) override;

    // (R + G + B) / 3.
    double fullDensity(double R, double G, double B);
};

#endif
