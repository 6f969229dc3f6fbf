#include "IsotropicRGBAbstract.h"

IsotropicRGBAbstract::IsotropicRGBAbstract(double dTimeStep, int iIterationCount, double dSigma,
                                           DiffusionFunction& pDiffusionFunction)
    : IsotropicFilter(dTimeStep, iIterationCount, dSigma, pDiffusionFunction) {}

IsotropicRGBAbstract::~IsotropicRGBAbstract() {}

int IsotropicRGBAbstract::filter(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                 MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions) {
    // Assumes every axis size is at least 2 and each channel holds n_1*...*n_d values.
    if (!setUpGrid(iDimCount, iaDimensions)) {
        return -1;
    }
    // Without a step there is nothing to hold: a large image would cost 4N + 3dN doubles.
    if (iIterationCount <= 0) {
        releaseGrid();
        return 0;
    }
    MathTL::Vector<double> vUSigmaR(iResolution, true);
    MathTL::Vector<double> vUSigmaG(iResolution, true);
    MathTL::Vector<double> vUSigmaB(iResolution, true);
    MathTL::Vector<double> vG(iResolution, true);
    OperatorArray vaAu;
    OperatorArray vaAd;
    OperatorArray vaAo;
    createOperators(vaAu, vaAd, vaAo);

    const double dPresmoothStep = dSigma * (dSigma * 0.5);
    for (int iIteration = 1; iIteration <= iIterationCount; ++iIteration) {
        assemblePresmoothingOperators(vaAu, vaAd, vaAo, dPresmoothStep);
        vUSigmaR = uR;
        vUSigmaG = uG;
        vUSigmaB = uB;
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), vUSigmaR);
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), vUSigmaG);
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), vUSigmaB);
        calculateG(vUSigmaR, vUSigmaG, vUSigmaB, vG);
        assembleOperators(vaAu, vaAd, vaAo, vG, dTimeStep);
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uR);
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uG);
        AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uB);
    }

    releaseOperators(vaAu, vaAd, vaAo);
    releaseGrid();
    vUSigmaR.resize(0, false);
    vUSigmaG.resize(0, false);
    vUSigmaB.resize(0, false);
    vG.resize(0, false);
    return 0;
}

int IsotropicRGBAbstract::presmooth(MathTL::Vector<double>& uR, MathTL::Vector<double>& uG,
                                    MathTL::Vector<double>& uB, int iDimCount, int* iaDimensions) {
    // Assumes every axis size is at least 2 and each channel holds n_1*...*n_d values.
    if (!setUpGrid(iDimCount, iaDimensions)) {
        return -1;
    }
    OperatorArray vaAu;
    OperatorArray vaAd;
    OperatorArray vaAo;
    createOperators(vaAu, vaAd, vaAo);
    assemblePresmoothingOperators(vaAu, vaAd, vaAo, 0.5 * dSigma * dSigma);
    AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uR);
    AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uG);
    AOS(iDimensionCount, vaAu.data(), vaAd.data(), vaAo.data(), uB);
    releaseOperators(vaAu, vaAd, vaAo);
    releaseGrid();
    return 0;
}
