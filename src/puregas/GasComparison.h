// The comparison tables of the gas models, printed as text with "%12lg" fields.
//
// A volume table holds one row per reference state, the model's molar volume against the
// reference one, and closes with "AADP", the mean absolute deviation in per cent. A model
// grid holds the per cent differences between two models on 43 pressures (1 to 10000 bar)
// by ten temperatures (0 to 1200 °C). A state the volume solver could not find prints nan
// and stays out of every mean: a failed solve leaves the last iterate in the model, which is
// no result.
#pragma once

#include <cstdio>
#include <span>

#include "fluid/FluidPhase.h"

namespace vornex {

// A reference state: T (K), P (bar) and the reference molar volume (m3/mol).
struct VolumeReference {
    double TK;
    double Pbar;
    double Vm3;
};

// Rows "<label> T(°C)\tP bar\tVcalc\tVexp (cm3/mol)\tDev(%)", then "AADP %lg\n"; returns
// the AADP over the solved states (nan when none was solved).
double printVolumeDeviations(FluidPhase& model, const char* temperatureLabel,
                             std::span<const VolumeReference> states, std::FILE* out);

// The grid of `other` against `model`: per temperature the volume difference (when
// volumeColumn) and the fugacity-coefficient difference, 100 (other - model)/model.
// Returns the number of cells printed as nan.
int printModelGrid(FluidPhase& model, FluidPhase& other, bool volumeColumn, std::FILE* out);

}  // namespace vornex
