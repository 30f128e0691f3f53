// Three everyday questions asked of an installed vornex: the stable state of water at a
// temperature and pressure, the solubility of CO2 in a brine, and the density and isochore of
// an H2O-NaCl fluid inclusion. Prints one "name value" line per result; exits 1 if any fails.
#include <cmath>
#include <cstdio>

#include <vornex/numerics/DataPath.h>
#include <vornex/phasediagram/PalliserModel.h>
#include <vornex/solubility/DMGWwater.h>
#include <vornex/water/WagnerPruss.h>

int main() {
    // Where the library finds its data (component tables and the like).
    std::printf("data %s\n", vornex::findDataFile("compo/CO2").c_str());

    // Water at 300 degC and 100 bar on the 1995 reference equation: compressed liquid.
    vornex::WagnerPruss water(2);
    const auto phase = water.calculateStableStateFromTP(573.15, 100.0);
    if (phase == vornex::FluidPhase::StablePhase::None || water.error != 0) {
        std::fprintf(stderr, "no water state at 300 degC, 100 bar\n");
        return 1;
    }
    std::printf("water_phase %s\n", vornex::FluidPhase::nameOf(phase));
    std::printf("water_density_kg_m3 %.4f\n", water.rho);

    // CO2 in a 1 mol/kg NaCl brine at 50 degC and 100 bar (Duan and Sun).
    vornex::DMGWwater co2(vornex::SM_H2O_CO2_NaCl, 0);
    co2.calculate_gas_solubility(323.15, 100.0, 1.0);
    if (co2.error != 0 || !std::isfinite(co2.mg)) {
        std::fprintf(stderr, "no CO2 solubility at 50 degC, 100 bar\n");
        return 1;
    }
    std::printf("co2_molality_mol_kg %.4f\n", co2.mg);

    // A 10 wt % NaCl inclusion trapped at 450 degC and 600 bar: its density, and the isochore
    // it follows on cooling until it homogenises.
    vornex::PalliserModel brine;
    const double rho = brine.calculateFluidDensity(450.0, 600.0, 0.10, -1.0);
    if (brine.failed || !(rho > 0.0)) {
        std::fprintf(stderr, "no brine state at 450 degC, 600 bar\n");
        return 1;
    }
    std::printf("inclusion_density_kg_m3 %.2f\n", rho);
    vornex::CurveArray isochore;
    brine.calculateTheIsochor(isochore, 0.10, 450.0, 600.0, 100.0, rho);
    if (isochore.size() < 4) {
        std::fprintf(stderr, "no isochore from 450 degC, 600 bar\n");
        return 1;
    }
    std::printf("isochore_rows %zu\n", isochore.size() / 2);
    std::printf("isochore_end_degC %.1f\n", isochore[isochore.size() - 2]);
    std::printf("isochore_end_bar %.2f\n", isochore[isochore.size() - 1]);
    return 0;
}
