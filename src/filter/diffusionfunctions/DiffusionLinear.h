#ifndef NLDIFF_DIFFUSIONLINEAR_H
#define NLDIFF_DIFFUSIONLINEAR_H

#include "DiffusionFunction.h"

class DiffusionLinear : public DiffusionFunction {
public:
    DiffusionLinear();
    double diffusivity(double s) override;
    virtual ~DiffusionLinear() {}
};

#endif
