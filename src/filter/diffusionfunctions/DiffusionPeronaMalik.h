#ifndef NLDIFF_DIFFUSIONPERONAMALIK_H
#define NLDIFF_DIFFUSIONPERONAMALIK_H

#include "DiffusionFunction.h"

class DiffusionPeronaMalik : public DiffusionFunction {
public:
    explicit DiffusionPeronaMalik(double dLambda);
    double diffusivity(double s) override;
    virtual ~DiffusionPeronaMalik() {}

private:
    double dLambda;
};

#endif
