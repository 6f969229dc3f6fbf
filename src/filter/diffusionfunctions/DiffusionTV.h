#ifndef NLDIFF_DIFFUSIONTV_H
#define NLDIFF_DIFFUSIONTV_H

#include "DiffusionFunction.h"

class DiffusionTV : public DiffusionFunction {
public:
    explicit DiffusionTV(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionTV() {}

private:
    double dLambda;
};

#endif
