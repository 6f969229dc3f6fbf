#ifndef NLDIFF_ANISOTROPICFILTER_H
#define NLDIFF_ANISOTROPICFILTER_H

#include "AOSFilter.h"
#include "algebra/vector.h"
#include "diffusionfunctions/DiffusionFunction.h"

#include <vector>

// Anisotropic nonlinear diffusion of a 2D grey image. The diffusion tensor D of every pixel
// follows the smoothed structure tensor J_rho of the presmoothed image: the contrast function
// acts across the structure, the normal function along it. div(D grad u) is split into four
// directions of the 3 x 3 neighbourhood (first axis, second axis, main diagonal,
// anti-diagonal), one banded system each, and every step adds their solutions (AOS).
class AnisotropicFilter : public AOSFilter {
public:
    AnisotropicFilter(double dTimeStep, int iIterationCount, double dSigma, double dRho,
                      DiffusionFunction& pDiffusionFunctionContrast,
                      DiffusionFunction& pDiffusionFunctionNormal);
    virtual ~AnisotropicFilter();

    // Runs iIterationCount steps on u in place; u holds iDimension1 * iDimension2 values, the
    // first axis running fastest. Returns 0.
    int filter(MathTL::Vector<double>& u, int iDimension1, int iDimension2);

protected:
    // One system per slot, slot 0 unused, as AOS reads them.
    using OperatorArray = std::vector<MathTL::Vector<double>>;

    // Linear diffusion along axis iL as the system m*I - m^2*dStep*L_iL. Returns 0.
    int calculateBlFixedG(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                          MathTL::Vector<double>& vWo, double dStep);

    // Outer product of the gradient of vUSigma, smoothed at scale dRho.
    void calculateJRho(const MathTL::Vector<double>& vUSigma, MathTL::Vector<double>& vJ11,
                       MathTL::Vector<double>& vJ12, MathTL::Vector<double>& vJ22);

    // D11, D12, D22 per pixel from the eigen-decomposition of J.
    void calculateD(const MathTL::Vector<double>& vJ11, const MathTL::Vector<double>& vJ12,
                    const MathTL::Vector<double>& vJ22, MathTL::Vector<double>& vDiffTensorA,
                    MathTL::Vector<double>& vDiffTensorB, MathTL::Vector<double>& vDiffTensorC);

    // The systems 4*I - 16*dStep*A_j of the directions 1 (first axis), 2 (second axis),
    // d (main diagonal) and a (anti-diagonal).
    void calculateOpD1(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                       MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vDiffTensorA,
                       const MathTL::Vector<double>& vDiffTensorB,
                       const MathTL::Vector<double>& vDiffTensorC, double dStep);
    void calculateOpD2(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                       MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vDiffTensorA,
                       const MathTL::Vector<double>& vDiffTensorB,
                       const MathTL::Vector<double>& vDiffTensorC, double dStep);
    void calculateOpDd(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                       MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vDiffTensorA,
                       const MathTL::Vector<double>& vDiffTensorB,
                       const MathTL::Vector<double>& vDiffTensorC, double dStep);
    void calculateOpDa(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                       MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vDiffTensorA,
                       const MathTL::Vector<double>& vDiffTensorB,
                       const MathTL::Vector<double>& vDiffTensorC, double dStep);

    // Sets the grid fields for one call of filter; releaseGrid frees its arrays.
    void setUpGrid(int iDimension1, int iDimension2);
    void releaseGrid();

    // Zero-filled systems 1..iSystemCount in the order of the directions: diagonal of N
    // entries, bands of N minus the band distance of the direction.
    void createSystems(int iSystemCount, OperatorArray& vaOperatorU, OperatorArray& vaOperatorD,
                       OperatorArray& vaOperatorO) const;

    // The systems of both axes for one linear AOS step that smooths at scale dScale.
    void buildSmoothingSystems(double dScale, OperatorArray& vaOperatorU,
                               OperatorArray& vaOperatorD, OperatorArray& vaOperatorO);

    double dTimeStep;
    int iIterationCount;
    double dSigma;
    double dRho;
    DiffusionFunction* pDiffusionFunctionContrast;
    DiffusionFunction* pDiffusionFunctionNormal;

    // Per-call grid; meaningful only between setUpGrid and releaseGrid.
    int iDimensionCount = 0;
    int* iaDimensions = nullptr;
    int* iaResolutions = nullptr;
    int iResolution = 0;
    double dSpaceStep = 0.0;

private:
    // Weight of the pair (i, j), i < j, from the tensor fields a = D11, b = D12, c = D22 and
    // the grid spacing h.
    using PairWeight = double (*)(const MathTL::Vector<double>& a, const MathTL::Vector<double>& b,
                                  const MathTL::Vector<double>& c, int i, int j, double h);

    // Writes the system of iDirection, whose pixel pairs join (x1, x2) and its neighbour one
    // direction step further, with the pair weights of pWeight.
    void assembleDirection(int iDirection, PairWeight pWeight, MathTL::Vector<double>& vWu,
                           MathTL::Vector<double>& vWd, MathTL::Vector<double>& vWo,
                           const MathTL::Vector<double>& vDiffTensorA,
                           const MathTL::Vector<double>& vDiffTensorB,
                           const MathTL::Vector<double>& vDiffTensorC, double dStep);
};

#endif
