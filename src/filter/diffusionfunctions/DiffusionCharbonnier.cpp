#include "DiffusionCharbonnier.h"

#include <cmath>

DiffusionCharbonnier::DiffusionCharbonnier(double dLambda) : dLambda(dLambda) {}

double DiffusionCharbonnier::diffusivity(double s) {
    const double q = (s * s) / (dLambda * dLambda);
    return 1.0 / std::sqrt(1.0 + q);
}
