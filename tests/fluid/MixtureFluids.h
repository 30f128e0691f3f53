// Mixtures of the van der Waals test fluid for the two-phase equilibria: a ternary one and
// a binary of two identical components (an ideal solution whose bubble pressure is the pure
// saturation pressure at every composition).
#pragma once

#include <memory>

#include "TestFluids.h"

namespace vornex::testing {

// Components 0 and 1 as in the binary test mixture, and a heavier component 2 whose cross
// terms are geometric means: a_00, a_10, a_11, a_20, a_21, a_22 and b_0, b_1, b_2.
inline std::unique_ptr<FluidPhase> makeTernaryVanDerWaals(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({0.3640, 0.2500, 0.2300, 0.4474, 0.3557, 0.5500},
                                         {4.267e-05, 4.3e-05, 6.0e-05}),
                     {0.044, 0.016, 0.058}, selector);
}

// Two copies of the CO2-like van der Waals fluid.
inline std::unique_ptr<FluidPhase> makeIdenticalPair(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({kVdwA, kVdwA, kVdwA}, {kVdwB, kVdwB}),
                     {kVdwMass, kVdwMass}, selector);
}

// Two fluids of nearly equal volatility that attract each other less than either attracts
// itself (a_10 well below the geometric mean): a maximum-pressure azeotrope.
inline std::unique_ptr<FluidPhase> makeAzeotropicPair(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({0.3640, 0.3200, 0.3500}, {kVdwB, kVdwB}),
                     {kVdwMass, 0.040}, selector);
}

// Two copies of the CO2-like fluid that attract each other weakly: two liquids that
// separate, symmetric in the components, beside a vapour of composition 1/2.
inline std::unique_ptr<FluidPhase> makeImmisciblePair(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({kVdwA, 0.15, kVdwA}, {kVdwB, kVdwB}),
                     {kVdwMass, kVdwMass}, selector);
}

// The weakly attracting pair made asymmetric: component 1 is the more volatile, and the
// liquid rich in it meets the vapour at a critical end point near 255 K, beside the liquid
// rich in component 0.
inline std::unique_ptr<FluidPhase> makeEndPointPair(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({kVdwA, 0.15, 0.339}, {kVdwB, kVdwB}),
                     {kVdwMass, kVdwMass}, selector);
}

// Saturates pure component 0 of the binary test mixture at TK (from volume guesses that
// suit the CO2-like fluid below its critical temperature): the end of every binary curve at
// x = 0. The fluid's error flag tells whether it succeeded.
inline void saturatePureComponent0(FluidPhase& fluid, double TK) {
    fluid.composition(1.0, 0.0);
    fluid.majorComponent = 0;
    saturate(fluid, TK, 7e-5, 1e-3);
}

}  // namespace vornex::testing
