// Placeholders, weakly linked, for the operations of the fluid that the saturation and
// critical-point sources define; any definition of theirs replaces
// these. They keep the fluid usable while those sources are written.
#include <cstdio>

#include "fluid/FluidPhase.h"

namespace vornex {

__attribute__((weak)) void FluidPhase::calculateTheCriticalPoint(char, const char*) {}
__attribute__((weak)) void FluidPhase::initializeSaturationVolumesFromT(const char*, double) {}
__attribute__((weak)) void FluidPhase::initializeSaturationVolumesFromP(const char*, double) {
    std::fputs("InitializeSaturationVolumesFromP not implemented\n", stderr);
}
__attribute__((weak)) void FluidPhase::equationForCalculatingCriticalPoint1(double*, double*,
                                                                            double**, int& err, int,
                                                                            void*) {
    err = 1;
}

}  // namespace vornex
