#include "IsotropicRGBindependent.h"

IsotropicRGBindependent::IsotropicRGBindependent(double dTimeStep, int iIterationCount,
                                                 double dSigma,
                                                 DiffusionFunction& pDiffusionFunction)
    : IsotropicFilter(dTimeStep, iIterationCount, dSigma, pDiffusionFunction) {}

IsotropicRGBindependent::~IsotropicRGBindependent() {}

int IsotropicRGBindependent::filter(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                    MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions) {
    // The channel results are not combined: a channel the grey filter refuses stays as it is.
    IsotropicFilter::filter(uR, iDimCount, iaDimensions);
    IsotropicFilter::filter(uG, iDimCount, iaDimensions);
    IsotropicFilter::filter(uB, iDimCount, iaDimensions);
    return 0;
}

int IsotropicRGBindependent::presmooth(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                       MathTL::Vector<double>& uB, int iDimCount,
                                       int* iaDimensions) {
    IsotropicFilter::presmooth(uR, iDimCount, iaDimensions);
    IsotropicFilter::presmooth(uG, iDimCount, iaDimensions);
    IsotropicFilter::presmooth(uB, iDimCount, iaDimensions);
    return 0;
}
