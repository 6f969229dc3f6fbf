#include "DiffusionLinear.h"

DiffusionLinear::DiffusionLinear() {}

double DiffusionLinear::diffusivity(double) {
    return 1.0;
}
