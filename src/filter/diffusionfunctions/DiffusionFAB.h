#ifndef NLDIFF_DIFFUSIONFAB_H
#define NLDIFF_DIFFUSIONFAB_H

#include "DiffusionFunction.h"

class DiffusionFAB : public DiffusionFunction {
public:
    explicit DiffusionFAB(double dLambda1, double dLambda2);
    double diffusivity(double s) override;
    virtual ~DiffusionFAB() {}

private:
    double dLambda1;
    double dLambda2;
};

#endif
