// Constants of the two-constant cubic equations of state
//     P = R T / (V - b) - a(T) / ((V - d1 b)(V - d2 b)),
//     a_c = OmegaA R^2 Tc^2 / Pc,  b = OmegaB R Tc / Pc,  a(T) = a_c (1 + m (1 - sqrt(T/Tc)))^2,
//     m = m0 + m1 omega + m2 omega^2,
// shared by the closed-form cubics and the term-based ones.
//
// OmegaA, OmegaB and Zc are those that make the cubic in Z a triple root at (Tc, Pc): for
// Soave-Redlich-Kwong OmegaB = (2^(1/3) - 1)/3, OmegaA = 1/(9 (2^(1/3) - 1)), Zc = 1/3; for
// Peng-Robinson the root of the same condition with d1 = sqrt(2) - 1, d2 = -1 - sqrt(2).
// They are printed to full double precision: the constants rounded to the five digits of
// the papers (0.08664, 0.42748; 0.0778, 0.45724) split that triple root by about
// (rounding)^(1/3), some 1e-3 in Z.
#pragma once

namespace vornex {

// The constants that fix one family of two-constant cubics with a Soave-type a(T).
struct CubicFamily {
    double d1;
    double d2;
    double OmegaA;
    double OmegaB;
    double Zc;
    double m0;
    double m1;
    double m2;
};

constexpr double kSrkOmegaB = 0.08664034996495772;  // (2^(1/3) - 1)/3
constexpr double kSrkOmegaA = 0.42748023354034140;  // 1/(9 (2^(1/3) - 1))
constexpr double kSrkZc = 1.0 / 3.0;
constexpr double kPrOmegaB = 0.07779607390388846;
constexpr double kPrOmegaA = 0.45723552892138219;
constexpr double kPrZc = 0.30740130869870385;
constexpr double kSqrt2 = 1.4142135623730951;

// Soave (1972): m = 0.480 + 1.574 omega - 0.176 omega^2.
constexpr CubicFamily kSoaveRedlichKwong{0.0, -1.0, kSrkOmegaA, kSrkOmegaB, kSrkZc,
                                         0.48, 1.574, -0.176};
// Peng and Robinson (1976): m = 0.37464 + 1.54226 omega - 0.26992 omega^2.
constexpr CubicFamily kPengRobinson{kSqrt2 - 1.0, -1.0 - kSqrt2, kPrOmegaA, kPrOmegaB, kPrZc,
                                    0.37464, 1.54226, -0.26992};

// Peng-Robinson as the petroleum-fluid model publishes it (Montel and Gouel, 1984):
// OmegaA and OmegaB to five digits, Zc 1/3 for the labelling of single roots.
constexpr CubicFamily kMontelConstants{kSqrt2 - 1.0, -1.0 - kSqrt2, 0.45724, 0.0778, 1.0 / 3.0,
                                       0.37464, 1.54226, -0.26992};

}  // namespace vornex
