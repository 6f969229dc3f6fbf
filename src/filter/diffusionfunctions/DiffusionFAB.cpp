#include "DiffusionFAB.h"

#include <cmath>

DiffusionFAB::DiffusionFAB(double dLambda1, double dLambda2)
    : dLambda1(dLambda1), dLambda2(dLambda2) {}

double DiffusionFAB::diffusivity(double s) {
    // Negative values (backward diffusion where dLambda2 > dLambda1) are intended.
    const double a = -s * s;
    return 2.0 * std::exp(a / (dLambda1 * dLambda1)) - std::exp(a / (dLambda2 * dLambda2));
}
