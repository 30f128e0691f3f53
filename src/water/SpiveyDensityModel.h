// SpiveyDensityModel: density of NaCl brines from the correlation of Spivey, McCain and
// North, J. Can. Petrol. Technol. 43 (2004) 52, 0 to 275 degC, to 200 MPa, to 6 mol/kg:
//   rho = rho0 exp(I(P) - I(P0)),  I(P) = ln|E P/P0 + F| / E,  P0 = 70 MPa,
// with rho0, E and F rational functions of t (degC) and of the molality.
#pragma once

#include "water/DensityModel.h"

namespace vornex {

class SpiveyDensityModel : public DensityModel {
   public:
    // System type 7 (NaCl).
    SpiveyDensityModel();
    // The density (kg/m3) at the set T, P and m; 0 with the error flag outside the
    // correlation's range (0-275 degC, 0-200 MPa, 0-6 mol/kg), below the brine's vapour
    // pressure (where it is steam) or when it is not finite.
    double calculate_density() override;

    static constexpr BrineRange kRange{273.15, 548.15, 0.0, 2e8, 6.0};

    // Writes "res.text": the pure-water density of the correlation and of the reference
    // equation of state from 0 degC by 5 K (56 values) and 0 bar by 10 bar (201 values).
    void compare_with_Wagner_Pruss();
    // Writes "res<k>.txt": the same grid for m from 0 by 0.5 (13 values) against the Mao-Duan
    // model on the reference equation (k = 1) or the Potter-Brown table (otherwise).
    void compare_with_model(int k);
};

}  // namespace vornex
