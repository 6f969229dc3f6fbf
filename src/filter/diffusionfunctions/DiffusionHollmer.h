#ifndef NLDIFF_DIFFUSIONHOLLMER_H
#define NLDIFF_DIFFUSIONHOLLMER_H

#include "DiffusionFunction.h"

class DiffusionHollmer : public DiffusionFunction {
public:
    explicit DiffusionHollmer(double dLambda);
    DiffusionHollmer(double dLambda, double dC);
    double diffusivity(double s) override;
    virtual ~DiffusionHollmer() {}

private:
    double dLambda;
    double dC;
};

#endif
