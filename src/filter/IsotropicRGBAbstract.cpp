#include "IsotropicRGBAbstract.h"

IsotropicRGBAbstract::IsotropicRGBAbstract(double dTimeStep, int iIterationCount, double dSigma,
                                           DiffusionFunction& pDiffusionFunction)
    : IsotropicFilter(dTimeStep, iIterationCount, dSigma, pDiffusionFunction) {}

IsotropicRGBAbstract::~IsotropicRGBAbstract() {}

int IsotropicRGBAbstract::filter(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                 MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions) {
    MathTL::Vector<double>* const apChannels[] = {&uR, &uG, &uB};
    return iterate(apChannels, 3, iDimCount, iaDimensions,
                   [this](const MathTL::Vector<double>* vaUSigma, MathTL::Vector<double>& vG) {
                       calculateG(vaUSigma[0], vaUSigma[1], vaUSigma[2], vG);
                   });
}

int IsotropicRGBAbstract::presmooth(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                    MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions) {
    MathTL::Vector<double>* const apChannels[] = {&uR, &uG, &uB};
    return presmoothChannels(apChannels, 3, iDimCount, iaDimensions);
}
