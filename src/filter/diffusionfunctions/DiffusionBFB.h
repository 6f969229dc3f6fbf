#ifndef NLDIFF_DIFFUSIONBFB_H
#define NLDIFF_DIFFUSIONBFB_H

#include "DiffusionFunction.h"

class DiffusionBFB : public DiffusionFunction {
public:
    explicit DiffusionBFB(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionBFB() {}

private:
    double dLambda;
};

#endif
