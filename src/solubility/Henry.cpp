#include "solubility/Henry.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "solubility/HenryCorrelations.h"

namespace vornex {

Henry::Henry() {
    henryScale = 0;
    setModelName("Henry model");
}

double Henry::calculateHenryConstant(int i, double PPa) {
    const size_t k = static_cast<size_t>(i);
    const char* name = componentName[k].c_str();
    const bool salt = iNaCl >= 0;
    const double RT = kGasConstant * T;
    double& gamma = activityCoefficient[k];
    gamma = 1.0;
    switch (version) {
        case 0:
            if (std::strcmp(name, "CO2") == 0) {
                if (salt) gamma = henry::co2Salting(mNa);
                return henry::co2(T) * std::exp(2.82e-05 * PPa / RT);
            }
            if (std::strcmp(name, "H2S") == 0) {
                if (salt) gamma = henry::h2sSalting(mNa, T);
                return henry::h2s(T);
            }
            return kInsoluble;
        case 1: {
            double H = 0.0;
            // No correlation: insoluble, as in the other versions (H = 0 would dissolve the
            // gas without limit).
            if (!henry::wilhelm(name, T, H)) return kInsoluble;
            if (salt && (std::strcmp(name, "H2S") == 0 || std::strcmp(name, "CO2") == 0))
                gamma = henry::h2sSalting(mNa, T);
            return H * std::exp(3.2e-05 * PPa / RT);
        }
        case 2:
            if (!henry::isMethane(name)) return kInsoluble;
            if (salt) gamma = henry::ch4Salting(mNa);
            return henry::ch4OverPsat(T);
        default:
            return kInsoluble;
    }
}

void Henry::number_of_components(int count) {
    // Components given by name are the solution: a system type chosen before kept its gas in
    // the vapour, so that a model set up for CO2 and then named CH4 dissolved CH4 from a CO2
    // vapour. setSystemType comes here with no components left, its type already the new one.
    if (nc >= 1 && count >= 1) systemType = -1;
    SolubilityModel::number_of_components(count);
}

void Henry::read_remaining_component_data() {
    if (numberOfGases < 1) return;
    setGasModelType(SM_ClassicalSRK);
}

void Henry::calculate_aqueous_fugacities() {
    const double Peff = poreRadius != 0.0 ? P - 2.0 * sigma / poreRadius : P;
    for (int i = iGas; i >= 0 && i < iGas + numberOfGases && i < nc; ++i) {
        const size_t k = static_cast<size_t>(i);
        henryConstant[k] = calculateHenryConstant(i, Peff);
        fugacity[k] = henryConstant[k] * x[k] * activityCoefficient[k];
    }
}

void Henry::calculate_gas_partial_volume_() {
    // The volumes of the Poynting factors: the partial molar volume of the gas at infinite
    // dilution, where the version has one for the (first) gas.
    Vg = std::numeric_limits<double>::quiet_NaN();
    if (iGas < 0 || iGas >= nc) return;
    const char* name = componentName[static_cast<size_t>(iGas)].c_str();
    double H = 0.0;
    if (version == 0 && std::strcmp(name, "CO2") == 0) Vg = 2.82e-05;
    if (version == 1 && henry::wilhelm(name, T, H)) Vg = 3.2e-05;
}

std::string Henry::missingParameters() const {
    // The vapour of several gases has no composition of its own here: its state failed, and
    // the solubility was refused as if the gas phase had none at that pressure.
    if (numberOfGases > 1)
        return cformat("the Henry model solves one dissolved gas at a time (%d given)",
                       numberOfGases);
    for (int i = iGas; i >= 0 && i < iGas + numberOfGases && i < nc; ++i) {
        std::string why = henry::missingCorrelation("the Henry model version", version,
                                                    componentName[static_cast<size_t>(i)].c_str());
        if (!why.empty()) return why;
    }
    return {};
}

void Henry::test(int k) {
    if (k != 1) return;
    number_of_components(2);
    add_component("H2O");
    add_component("NaCl");
    mNa = mCl = 1.0;
    compositionCode = static_cast<int16_t>(compositionCode + 10);
    temperature(295.15);
    pressure(1.0);
    describe();
    vornex::cprintf("%10s %f\n", "aH2O : ", activityCoefficient[static_cast<size_t>(iH2O)]);
    vornex::cprintf("%10s %f\n", "aNaCl : ", activityCoefficient[static_cast<size_t>(iNaCl)]);
}

}  // namespace vornex
