#include "DiffusionHollmer.h"

#include <cmath>

DiffusionHollmer::DiffusionHollmer(double dLambda) : dLambda(dLambda), dC(3.315) {}

DiffusionHollmer::DiffusionHollmer(double dLambda, double dC) : dLambda(dLambda), dC(dC) {}

double DiffusionHollmer::diffusivity(double s) {
    if (s * s == 0.0) {
        return 1.0;
    }
    // s is a squared gradient: lambda^8 / s^4 is (lambda^2 / s)^4.
    const double r = (dLambda * dLambda) / s;
    const double r2 = r * r;
    return 1.0 - std::exp(-dC * (r2 * r2));
}
