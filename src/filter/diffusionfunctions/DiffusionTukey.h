#ifndef NLDIFF_DIFFUSIONTUKEY_H
#define NLDIFF_DIFFUSIONTUKEY_H

#include "DiffusionFunction.h"

class DiffusionTukey : public DiffusionFunction {
public:
    explicit DiffusionTukey(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionTukey() {}

private:
    double dLambda;
};

#endif
