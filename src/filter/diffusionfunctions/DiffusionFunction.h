#ifndef NLDIFF_DIFFUSIONFUNCTION_H
#define NLDIFF_DIFFUSIONFUNCTION_H

// A diffusivity g. The argument s is always a squared quantity (a squared gradient
// magnitude or an eigenvalue of the structure tensor), and every formula is applied to s
// itself.
class DiffusionFunction {
public:
    virtual double diffusivity(double s) = 0;
    // The driver releases the diffusivities through this base.
    virtual ~DiffusionFunction() = default;
};

#endif
