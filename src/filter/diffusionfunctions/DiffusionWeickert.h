#ifndef NLDIFF_DIFFUSIONWEICKERT_H
#define NLDIFF_DIFFUSIONWEICKERT_H

#include "DiffusionFunction.h"

class DiffusionWeickert : public DiffusionFunction {
public:
    explicit DiffusionWeickert(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionWeickert() {}

private:
    double dLambda;
};

#endif
