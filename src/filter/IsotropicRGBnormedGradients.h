#ifndef NLDIFF_ISOTROPICRGBNORMEDGRADIENTS_H
#define NLDIFF_ISOTROPICRGBNORMEDGRADIENTS_H

#include "IsotropicRGBAbstract.h"

// Coupled colour filter whose diffusivity sees the squared gradients of all three channels
// together, so an edge in any one channel slows the diffusion of all.
class IsotropicRGBnormedGradients : public IsotropicRGBAbstract {
public:
    IsotropicRGBnormedGradients(double dTimeStep, int iIterationCount, double dSigma,
                                DiffusionFunction& pDiffusionFunction);
    virtual ~IsotropicRGBnormedGradients();

protected:
    // vG[i] = g(|grad R|^2 + |grad G|^2 + |grad B|^2 at i).
    int calculateG(const MathTL::Vector<double>& vUSigmaR, const MathTL::Vector<double>& vUSigmaG,
                   const MathTL::Vector<double>& vUSigmaB, MathTL::Vector<double>& vG) override;
};

#endif
