#ifndef NLDIFF_DIFFUSIONCHARBONNIER_H
#define NLDIFF_DIFFUSIONCHARBONNIER_H

#include "DiffusionFunction.h"

class DiffusionCharbonnier : public DiffusionFunction {
public:
    explicit DiffusionCharbonnier(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionCharbonnier() {}

private:
    double dLambda;
};

#endif
