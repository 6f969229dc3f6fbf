#include "DiffusionTV.h"

#include <cmath>

DiffusionTV::DiffusionTV(double dLambda) : dLambda(dLambda) {}

double DiffusionTV::diffusivity(double s) {
    if (dLambda > 0.0 && s <= dLambda) {
        return 1.0 / dLambda;
    }
    return 1.0 / std::fabs(s);
}
