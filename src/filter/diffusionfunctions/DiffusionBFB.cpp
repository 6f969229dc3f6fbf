#include "DiffusionBFB.h"

DiffusionBFB::DiffusionBFB(double dLambda) : dLambda(dLambda) {}

double DiffusionBFB::diffusivity(double s) {
    if (dLambda > 0.0 && s <= dLambda) {
        return 1.0 / (dLambda * dLambda);
    }
    return 1.0 / (s * s);
}
