// Coefficients of the IAPWS-95 residual Helmholtz energy, as published: the one copy that
// the water model and the expression benchmark read.
#pragma once

#include "fluid/MultiParTerms.h"
#include "water/WaterEOS.h"

namespace vornex::iapws95 {

using PowerCoefficients = PowerTermCoefficients;
using ExponentialCoefficients = ExponentialTermCoefficients;
using GaussianCoefficients = GaussianTermCoefficients;
using NonAnalyticCoefficients = NonAnalyticTermCoefficients;

// Reducing state: the critical point of the formulation, Tc = 647.096 K and
// rho_c = 322 kg/m3, and the gas constant of the publication: its specific gas constant
// 0.46151805 kJ/(kg K) times the molar mass, 8.3143713576 J/(mol K) (the check tables were
// computed with it; the rounded 8.314371 would leave 4e-8 on every pressure).
inline constexpr ReducingState kReducing = {kWaterCriticalTemperature, kWaterCriticalVolume,
                                            461.51805 * kWaterMolarMass};

// IAPWS-95 residual coefficients, Table 2 of the release IAPWS R6-95(2018) (Wagner and
// Pruss 2002, Table 6.2). The authors' gas constant is 8.314371357587 J/(mol K) (0.46151805
// kJ/(kg K)); the water model computes with it (kWagnerPrussGasConstant).
inline constexpr PowerCoefficients kPowerTerms[7] = {
    {0.012533547935523, 1, -0.5}, {7.8957634722828, 1, 0.875},  {-8.7803203303561, 1, 1.0},
    {0.31802509345418, 2, 0.5},   {-0.26145533859358, 2, 0.75}, {-0.0078199751687981, 3, 0.375},
    {0.0088089493102134, 4, 1.0},
};

inline constexpr ExponentialCoefficients kExponentialTerms[44] = {
    {-0.66856572307965, 1, 1, 4},     {0.20433810950965, 1, 1, 6},
    {-6.6212605039687e-05, 1, 1, 12}, {-0.19232721156002, 1, 2, 1},
    {-0.25709043003438, 1, 2, 5},     {0.16074868486251, 1, 3, 4},
    {-0.04009282892587, 1, 4, 2},     {3.9343422603254e-07, 1, 4, 13},
    {-7.5941377088144e-06, 1, 5, 9},  {0.00056250979351888, 1, 7, 3},
    {-1.5608652257135e-05, 1, 9, 4},  {1.1537996422951e-09, 1, 10, 11},
    {3.6582165144204e-07, 1, 11, 4},  {-1.3251180074668e-12, 1, 13, 13},
    {-6.2639586912454e-10, 1, 15, 1}, {-0.10793600908932, 2, 1, 7},
    {0.017611491008752, 2, 2, 1},     {0.22132295167546, 2, 2, 9},
    {-0.40247669763528, 2, 2, 10},    {0.58083399985759, 2, 3, 10},
    {0.0049969146990806, 2, 4, 3},    {-0.031358700712549, 2, 4, 7},
    {-0.74315929710341, 2, 4, 10},    {0.4780732991548, 2, 5, 10},
    {0.020527940895948, 2, 6, 6},     {-0.13636435110343, 2, 6, 10},
    {0.014180634400617, 2, 7, 10},    {0.0083326504880713, 2, 9, 1},
    {-0.029052336009585, 2, 9, 2},    {0.038615085574206, 2, 9, 3},
    {-0.020393486513704, 2, 9, 4},    {-0.0016554050063734, 2, 9, 8},
    {0.0019955571979541, 2, 10, 6},   {0.00015870308324157, 2, 10, 9},
    {-1.638856834253e-05, 2, 12, 8},  {0.043613615723811, 3, 3, 16},
    {0.034994005463765, 3, 4, 22},    {-0.076788197844621, 3, 4, 23},
    {0.022446277332006, 3, 5, 23},    {-6.2689710414685e-05, 4, 14, 10},
    {-5.5711118565645e-10, 6, 3, 50}, {-0.19905718354408, 6, 6, 44},
    {0.31777497330738, 6, 6, 46},     {-0.11841182425981, 6, 6, 50},
};

inline constexpr GaussianCoefficients kGaussianTerms[3] = {
    {-31.306260323435, 3, 0, 20, 150, 1.21, 1.0},
    {31.546140237781, 3, 1, 20, 150, 1.21, 1.0},
    {-2521.3154341695, 3, 4, 20, 250, 1.25, 1.0},
};

inline constexpr NonAnalyticCoefficients kNonAnalyticTerms[2] = {
    {-0.14874640856724, 3.5, 0.85, 0.2, 28, 700, 0.32, 0.3},
    {0.31806110878444, 3.5, 0.95, 0.2, 32, 800, 0.32, 0.3},
};

// How the integer powers of delta and tau are built for this table: the order of the
// water model's published evaluation, kept so that its results stay to the last bit.
inline constexpr PowerRecipe kDeltaRecipes[] = {
    {2, 'S', 1, 0},   {3, 'C', 1, 0}, {4, 'S', 2, 0},  {6, 'S', 3, 0},   {12, 'S', 6, 0},
    {14, 'S', 7, 0},  {5, 'P', 4, 1}, {7, 'P', 6, 1},  {11, 'P', 10, 1}, {13, 'P', 12, 1},
    {15, 'P', 14, 1}, {9, 'P', 7, 2}, {10, 'P', 7, 3},
};
inline constexpr PowerRecipe kTauRecipes[] = {
    {2, 'S', 1, 0},   {3, 'C', 1, 0},   {4, 'S', 2, 0},   {6, 'S', 3, 0},   {8, 'S', 4, 0},
    {10, 'S', 5, 0},  {12, 'S', 6, 0},  {16, 'S', 8, 0},  {22, 'S', 11, 0}, {44, 'S', 22, 0},
    {46, 'S', 23, 0}, {5, 'P', 4, 1},   {7, 'P', 6, 1},   {9, 'P', 8, 1},   {11, 'P', 10, 1},
    {13, 'P', 12, 1}, {23, 'P', 22, 1}, {50, 'P', 46, 4},
};

inline constexpr MultiParTable kResidual = {kPowerTerms,       kExponentialTerms, kGaussianTerms,
                                            kNonAnalyticTerms, kDeltaRecipes,     kTauRecipes};

}  // namespace vornex::iapws95
