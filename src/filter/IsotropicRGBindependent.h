#ifndef NLDIFF_ISOTROPICRGBINDEPENDENT_H
#define NLDIFF_ISOTROPICRGBINDEPENDENT_H

#include "IsotropicFilter.h"

// Colour filter without coupling: each channel runs the grey filter with its own diffusivity
// field.
class IsotropicRGBindependent : public IsotropicFilter {
public:
    IsotropicRGBindependent(double dTimeStep, int iIterationCount, double dSigma,
                            DiffusionFunction& pDiffusionFunction);
    virtual ~IsotropicRGBindependent();

    // The grey filter on R, then G, then B. Returns 0.
    int filter(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG, MathTL::Vector<double>& uB,
               int iDimCount, int* iaDimensions);

    // The grey presmoothing on R, then G, then B. Returns 0.
    int presmooth(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                  MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions);
};

#endif
