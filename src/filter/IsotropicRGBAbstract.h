#ifndef NLDIFF_ISOTROPICRGBABSTRACT_H
#define NLDIFF_ISOTROPICRGBABSTRACT_H

#include "IsotropicFilter.h"

// Colour filters whose three channels share one diffusivity field: every step builds one
// operator per axis and applies it to R, G and B alike, so an edge slows all channels at once.
// The variants differ only in how they turn the presmoothed channels into that field.
class IsotropicRGBAbstract : public IsotropicFilter {
public:
    IsotropicRGBAbstract(double dTimeStep, int iIterationCount, double dSigma,
                         DiffusionFunction& pDiffusionFunction);
    virtual ~IsotropicRGBAbstract();

    // Runs iIterationCount coupled steps on the channels in place. Returns 0, or -1 when
    // iDimCount < 1.
    int filter(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG, MathTL::Vector<double>& uB,
               int iDimCount, int* iaDimensions);

    // Presmooths each channel as the grey filter does. Returns 0, or -1 when iDimCount < 1.
    int presmooth(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                  MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions);

protected:
    // The common diffusivity field vG of the three presmoothed channels.
    virtual int calculateG(const MathTL::Vector<double>& vUSigmaR,
                           const MathTL::Vector<double>& vUSigmaG,
                           const MathTL::Vector<double>& vUSigmaB, MathTL::Vector<double>& vG) = 0;
};

#endif
