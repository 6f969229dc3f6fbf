#ifndef NLDIFF_ISOTROPICFILTER_H
#define NLDIFF_ISOTROPICFILTER_H

#include "AOSFilter.h"
#include "algebra/vector.h"
#include "diffusionfunctions/DiffusionFunction.h"

#include <functional>
#include <vector>

// Nonlinear isotropic diffusion of one channel on a regular grid of any number of axes. Axis 1
// varies fastest in the image vector; axis l has stride iaResolutions[l-1]. Each step assembles
// one banded operator m*I - m^2*dStep*A_l per axis and adds the axis solutions (AOS).
class IsotropicFilter : public AOSFilter {
public:
    IsotropicFilter(double dTimeStep, int iIterationCount, double dSigma,
                    DiffusionFunction& pDiffusionFunction);
    virtual ~IsotropicFilter();

    // Runs iIterationCount steps on u in place. iaDimensions[1..iDimCount] are the axis sizes.
    // Returns 0, or -1 when iDimCount < 1.
    int filter(MathTL::Vector<double>& u, int iDimCount, int* iaDimensions);

    // One linear AOS step of time dSigma^2/2 on u in place. Returns 0, or -1 when iDimCount < 1.
    int presmooth(MathTL::Vector<double>& u, int iDimCount, int* iaDimensions);

protected:
    // One operator slot per axis, slot 0 unused, as AOS reads them.
    using OperatorArray = std::vector<MathTL::Vector<double>>;

    // vG[i] = g(|grad vUSigma|^2 at i).
    int calculateG(const MathTL::Vector<double>& vUSigma, MathTL::Vector<double>& vG);

    int calculateB1(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                    MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG, double dStep);
    int calculateBl(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                    MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG, double dStep);
    int calculateBd(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                    MathTL::Vector<double>& vWo, const MathTL::Vector<double>& vG, double dStep);

    // The same operators with g = 1 everywhere, for the presmoothing.
    int calculateB1FixedG(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                          MathTL::Vector<double>& vWo, double dStep);
    int calculateBlFixedG(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                          MathTL::Vector<double>& vWo, double dStep);
    int calculateBdFixedG(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                          MathTL::Vector<double>& vWo, double dStep);

    // Fills vG from the presmoothed channels vaUSigma[0..c-1].
    using DiffusivityField =
        std::function<void(const MathTL::Vector<double>* vaUSigma, MathTL::Vector<double>& vG)>;
    // The iteration of filter on c channels at once: every step presmooths copies of all
    // channels, takes one diffusivity field from them and applies the same operators to each.
    int iterate(MathTL::Vector<double>* const* apChannels, int iChannelCount, int iDimCount,
                int* iaDimensions, const DiffusivityField& field);
    // presmooth on c channels with the same operators.
    int presmoothChannels(MathTL::Vector<double>* const* apChannels, int iChannelCount,
                          int iDimCount, int* iaDimensions);
    // Sets the grid fields for one call. Returns false, with nothing allocated, when
    // iDimCount < 1.
    bool setUpGrid(int iDimCount, const int* iaDimensions);
    void releaseGrid();

    // Zero-filled operator vectors for every axis: diagonal of length N, bands of length N - s_k.
    void createOperators(OperatorArray& vaAu, OperatorArray& vaAd, OperatorArray& vaAo) const;
    void releaseOperators(OperatorArray& vaAu, OperatorArray& vaAd, OperatorArray& vaAo) const;

    // Operators of all axes: presmoothing (g = 1) and nonlinear (g from vG).
    void assemblePresmoothingOperators(OperatorArray& vaAu, OperatorArray& vaAd,
                                       OperatorArray& vaAo, double dStep);
    void assembleOperators(OperatorArray& vaAu, OperatorArray& vaAd, OperatorArray& vaAo,
                           const MathTL::Vector<double>& vG, double dStep);

    // Difference quotient of pixel i along axis iL is (v[iPlus] - v[iMinus]) / dDivisor:
    // forward at the first pixel of a line, central inside, backward at the last.
    void differenceStencil(int i, int iL, int& iPlus, int& iMinus, double& dDivisor) const;
    // |grad f|^2 at pixel i: the squared difference quotients of f(p) summed over the axes.
    template <class Values> double squaredGradient(int i, const Values& f) {
        double dGradient = 0.0;
        for (int l = 1; l <= iDimensionCount; ++l) {
            int iPlus = 0;
            int iMinus = 0;
            double dDivisor = 0.0;
            differenceStencil(i, l, iPlus, iMinus, dDivisor);
            dGradient += quad((f(iPlus) - f(iMinus)) / dDivisor);
        }
        return dGradient;
    }

    double dTimeStep;
    int iIterationCount;
    double dSigma;
    DiffusionFunction* pDiffusionFunction;

    // Per-call grid; meaningful only between setUpGrid and releaseGrid.
    int iDimensionCount = 0;
    int* iaDimensions = nullptr;
    int* iaResolutions = nullptr;
    int iResolution = 0;
    double dSpaceStep = 0.0;

private:
    // Row walks of the three axis kinds; pG null means g = 1.
    void walkFirstAxis(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                       MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG, double dStep);
    void walkAxis(int iL, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                  MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG, double dStep);
    void walkLastAxis(MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                      MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG, double dStep);

    // Row k of B_l with stride s, for a pixel first, inside or last along the axis.
    void firstRow(int k, int s, MathTL::Vector<double>& vWd, MathTL::Vector<double>& vWo,
                  const MathTL::Vector<double>* pG, double dStep);
    void innerRow(int k, int s, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                  MathTL::Vector<double>& vWo, const MathTL::Vector<double>* pG, double dStep);
    void lastRow(int k, int s, MathTL::Vector<double>& vWu, MathTL::Vector<double>& vWd,
                 const MathTL::Vector<double>* pG, double dStep);
};

#endif
