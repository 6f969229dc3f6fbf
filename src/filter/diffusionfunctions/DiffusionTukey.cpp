#include "DiffusionTukey.h"

DiffusionTukey::DiffusionTukey(double dLambda) : dLambda(dLambda) {}

double DiffusionTukey::diffusivity(double s) {
    if (s > dLambda) {
        return 0.0;
    }
    const double r = s / dLambda;
    const double t = 1.0 - r * r;
    return t * t;
}
