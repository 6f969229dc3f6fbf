#include "DiffusionPeronaMalik.h"

DiffusionPeronaMalik::DiffusionPeronaMalik(double dLambda) : dLambda(dLambda) {}

double DiffusionPeronaMalik::diffusivity(double s) {
    const double q = (s * s) / (dLambda * dLambda);
    return 1.0 / (q + 1.0);
}
