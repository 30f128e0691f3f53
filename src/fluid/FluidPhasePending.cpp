// Placeholders, weakly linked, for the saturation operations of the fluid that the
// saturation source defines; its definitions replace these. They keep the fluid usable
// while that source is written.
#include <cstdio>

#include "fluid/FluidPhase.h"

namespace vornex {

__attribute__((weak)) void FluidPhase::initializeSaturationVolumesFromT(const char*, double) {}
__attribute__((weak)) void FluidPhase::initializeSaturationVolumesFromP(const char*, double) {
    std::fputs("InitializeSaturationVolumesFromP not implemented\n", stderr);
}

}  // namespace vornex
