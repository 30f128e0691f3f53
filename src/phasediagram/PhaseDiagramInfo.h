// PhaseDiagramInfo: the state record of the H2O-NaCl phase-diagram model -- the inputs of the
// last state computation and every boundary and phase proportion it consulted.
//
// Units: T in degC, P in bar, densities in kg/m3, salinities as NaCl mass fractions (0..1).
// A field that the last computation did not fill reads -1. The record is a plain copyable
// value: callers snapshot it right after a state computation, since the curve tracers reuse
// the same fields as scratch.
#pragma once

#include <cstdint>

#include "numerics/Equation.h"

namespace vornex {

struct PhaseDiagramInfo : public Equation {
    double temperature = 0.0;  // degC
    double pressure = 0.0;     // bar; the saturation pressure when put on a saturation curve
    double salinity = 0.0;     // bulk NaCl mass fraction
    double density = 0.0;      // bulk density, kg/m3; -1 when the state was not computed
    int32_t region = 0;        // phase-region code, see below
    int32_t failed = 0;        // non-zero: the last search failed or left its domain
    double spare[4] = {0.0, 0.0, 0.0, 0.0};

    // Halite + liquid + vapour (SLV) point at `temperature`.
    double slvPressure, slvLiquidSalinity, slvVapourSalinity, slvLiquidDensity, slvVapourDensity;
    // Liquid-vapour saturation pressure used by the one-phase density rules.
    double liquidGasPressure;
    // Liquid + vapour (LV) coexistence at (temperature, pressure).
    double lgLiquidSalinity, lgVapourSalinity, lgLiquidDensity, lgVapourDensity;
    // Halite-saturated liquid (liquidus) at (temperature, pressure).
    double haliteLiquidSalinity, haliteLiquidDensity;
    double maxPressure;  // upper pressure of the diagram, 5000 after a state computation
    double liquidusSalinityAtMaxPressure, liquidusDensityAtMaxPressure;
    // Liquidus temperature of the bulk salinity and halite melting temperature at maxPressure,
    // halite melting temperature at `pressure`. Not cleared by reset().
    double liquidusTemperatureAtMaxPressure = -1.0;
    double haliteMeltingTemperatureAtMaxPressure = -1.0;
    double haliteMeltingTemperature = -1.0;
    // Halite-saturated vapour at (temperature, pressure).
    double haliteGasSalinity, haliteGasDensity;
    double waterSaturationPressure, waterLiquidDensity, waterVapourDensity;
    double naclSaturationPressure, naclLiquidDensity, naclVapourDensity;
    // Critical point of the H2O-NaCl critical curve at `temperature`.
    double criticalPressure, criticalSalinity, criticalDensity;
    // Critical point of a fluid of the bulk salinity.
    double fluidCriticalPressure, fluidCriticalTemperature, fluidCriticalDensity;
    double haliteDensity = 0.0;
    // Mass proportions, then volume proportions (liquid, vapour, halite) of the phases.
    double liquidMassFraction, haliteMassFraction, vapourMassFraction;
    double liquidVolumeFraction, vapourVolumeFraction, haliteVolumeFraction;

    // Region codes.
    static constexpr int32_t kUnclassified = 0;
    static constexpr int32_t kLiquidVapour = 1;
    static constexpr int32_t kHaliteLiquidVapour = 3;
    static constexpr int32_t kHaliteVapour = 4;
    static constexpr int32_t kHaliteLiquid = 5;
    static constexpr int32_t kOnePhase = 6;
    static constexpr int32_t kWaterSaturation = 7;
    static constexpr int32_t kNaClSaturation = 8;
    static constexpr int32_t kIsochore = 60;  // left by the isochore tracer

    PhaseDiagramInfo();
    // region and failed to 0; every result field to -1 (not T, P, x, density, the three
    // liquidus temperatures and haliteDensity).
    void reset();
    // Replaces every result field that is not a finite number by -1; true when one was.
    bool clearNonFinite();
};

}  // namespace vornex
