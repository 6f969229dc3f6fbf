#include "DiffusionWeickert.h"

#include <cmath>

DiffusionWeickert::DiffusionWeickert(double dLambda) : dLambda(dLambda) {}

double DiffusionWeickert::diffusivity(double s) {
    if (s * s == 0.0) {
        return 1.0;
    }
    const double q = s / dLambda;
    const double q2 = q * q;
    const double q4 = q2 * q2;
    return 1.0 - std::exp(-3.31488 / (q4 * q4));
}
