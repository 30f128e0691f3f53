#include "solubility/SolubilityModel.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "cubic/ClassicalCubic0.h"
#include "cubic/TermCubic.h"
#include "dkl/DuanModels.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
constexpr double Mw = SolubilityModel::kWaterMolarMass;

// The hydrocarbon gas of system 5 (mole fractions of a light oil gas; normalised on use).
struct GasShare {
    const char* name;
    double share;
};
constexpr GasShare kHydrocarbonGas[15] = {
    {"CH4", 0.5},  {"C2", 0.25},   {"C3", 0.04},   {"iC4", 0.01},  {"nC4", 0.05},
    {"iC5", 0.01}, {"nC5", 0.04},  {"nC6", 0.02},  {"nC7", 0.04},  {"nC8", 0.04},
    {"nC9", 0.03}, {"nC10", 0.04}, {"nC12", 0.08}, {"nC15", 0.08}, {"nC20", 0.065},
};
}  // namespace

const std::vector<const char*>& dissolvedGasNames() {
    static const std::vector<const char*> kGases = {"CO2", "CH4",  "C1",  "C2",  "N2",
                                                    "H2S", "C2H6", "C3",  "C3H8", "iC4",
                                                    "nC4", "iC4H10", "nC4H10"};
    return kGases;
}

const char* systemGasName(int type) {
    switch (type) {
        case SM_H2O_CH4_NaCl:
        case SM_H2O_HC_NaCl:
        case SM_H2O_CH4:
            return "CH4";
        case SM_H2O_CO2_NaCl:
        case SM_H2O_CO2:
            return "CO2";
        case SM_H2O_N2_NaCl:
        case SM_H2O_N2:
            return "N2";
        default:
            return nullptr;
    }
}

bool isDissolvedGasName(const char* name) {
    for (const char* g : dissolvedGasNames())
        if (std::strcmp(name, g) == 0) return true;
    return false;
}

double gasMolarMass(const char* name) {
    struct Entry {
        const char* name;
        double M;  // kg/mol
    };
    static constexpr Entry kMasses[] = {
        {"CO2", 0.044},      {"N2", 0.028},       {"CH4", 0.016},     {"C1", 0.016},
        {"H2S", 0.03408},    {"C2H6", 0.03007},   {"C2", 0.03007},    {"C3H8", 0.0441},
        {"C3", 0.0441},      {"iC4", 0.05812},    {"nC4", 0.05812},   {"iC4H10", 0.05812},
        {"nC4H10", 0.05812},
    };
    if (name == nullptr) return 0.016;
    for (const Entry& e : kMasses)
        if (std::strcmp(name, e.name) == 0) return e.M;
    return 0.016;
}

SolubilityModel::SolubilityModel() : water(std::make_unique<WagnerPruss>(2)) {
    bubbleSolver.itermax = 15;
    bubbleSolver.tolerance = 1e-9;
    bubbleSolver.relaxation = 1.0;
    bubbleSolver.minrelaxation = 0.01;
    bubbleSolver.growthcheck = 1;
    bubbleSolver.equation = this;
    bubbleSolver.function = static_cast<EquationFunction>(&SolubilityModel::equationForBubblePoint);
}

SolubilityModel::~SolubilityModel() {
    purge();
}

void SolubilityModel::purge() {
    vapour.reset();
    densityModel.reset();
}

// ------------------------------------------------------------------- model choice

void forgetComponents(Phase& phase) {
    phase.nc = 0;
    phase.componentsAdded = 0;
    for (std::vector<double>* v :
         {&phase.x, &phase.moles, &phase.fugacity, &phase.activityCoefficient,
          &phase.fugacityCoefficient, &phase.henryConstant, &phase.molarMass, &phase.dfdT,
          &phase.dfdP, &phase.dfdV})
        v->clear();
    phase.componentName.clear();
    phase.dfdx.clear();
}

bool startsSetUpAfresh(Phase& phase, const char* name, int count) {
    if (count < 1) {
        vornex::cfprintf(stderr,
                         "%s: %d components refused (a solution has at least one); the set-up "
                         "of %d stands\n",
                         name, count, phase.nc);
        phase.error = 1;
        return false;
    }
    forgetComponents(phase);
    return true;
}

void SolubilityModel::clearComponents() {
    forgetComponents(*this);
}

void SolubilityModel::number_of_components(int count) {
    if (nc >= 1) {
        if (!startsSetUpAfresh(*this, modelName.empty() ? "Solubility model" : modelName.c_str(),
                               count))
            return;
        // The first set-up's gas would otherwise stay: its indices, its count of gases and
        // its vapour model, so that the new names were computed as the old gas.
        iH2O = iGas = iNaCl = -1;
        numberOfGases = 0;
        mg = mNa = mCl = 0.0;
        compositionCode = 0;
        vapour.reset();
        gasModelBeforeNames_ = gasModelType;
        gasModelType = -1;
        renamed_ = true;
    }
    Phase::number_of_components(count);
}

bool SolubilityModel::setUpAs(int type, int ver) const {
    return type == systemType && ver == version && !renamed_;
}

void SolubilityModel::setSystemType(int type, int ver) {
    // A model given names since its type was set is set up as the type again: the names
    // refused as another system's gas stayed, and every state was refused with them.
    if (setUpAs(type, ver)) return;
    // Names refused as another gas's left the model without its vapour model: the one it had
    // before them is the type's.
    const int gasType = gasModelType >= 0 ? gasModelType : gasModelBeforeNames_;
    renamed_ = false;
    gasModelBeforeNames_ = -1;
    systemType = type;
    version = ver;
    mg = mNa = mCl = 0.0;
    iH2O = iGas = iNaCl = -1;
    compositionCode = 0;
    poreRadius = 0.0;
    sigma = 0.0;
    numberOfGases = 0;
    // The vapour model carries the gases of the old system: it is rebuilt below.
    gasModelType = -1;
    vapour.reset();
    clearComponents();
    const char* gas = systemGasName(type);
    if (gas == nullptr) return;
    const bool salt = type != SM_H2O_CH4 && type != SM_H2O_CO2 && type != SM_H2O_N2;
    gasM = gasMolarMass(gas);
    number_of_components(salt ? 3 : 2);
    if (salt)
        add_components("H2O", gas, "NaCl");
    else
        add_components("H2O", gas);
    iH2O = 0;
    iGas = 1;
    iNaCl = salt ? 2 : -1;
    numberOfGases = 1;
    if (gasType >= 0) setGasModelType(gasType);
}

void SolubilityModel::setGasModelType(int type) {
    // A vapour model chosen before the gases were named holds none: it is built again over
    // them, else the gas phase had no state at any pressure.
    if (type == gasModelType && vapour && vapour->nc >= 1) return;
    vapour.reset();
    gasModelType = type;
    switch (type) {
        case SM_DMW1:
            vapour = std::make_unique<DMW1>(1);
            break;
        case SM_SRK1:
            vapour = std::make_unique<SRK1>(1, 0);
            break;
        case SM_ClassicalSRK:
            vapour = std::make_unique<ClassicalSRK>(1);
            break;
        default:
            return;
    }
    vapourSelector_ = vapour->phase;
    const char* gas = systemGasName(systemType);
    if (systemType == SM_H2O_HC_NaCl) {
        numberOfGases = 15;
        vapour->number_of_components(15);
        if (vapour->nc == 15) {
            double sum = 0.0;
            for (const GasShare& g : kHydrocarbonGas) sum += g.share;
            for (int i = 0; i < 15; ++i) {
                vapour->add_component(kHydrocarbonGas[i].name);
                vapour->composition_of_component(i, kHydrocarbonGas[i].share / sum);
            }
        }
    } else if (gas == nullptr) {
        // A model given its components by name: the vapour holds the gases named (a vapour
        // model chosen after them was left without any, and its gas phase had no state).
        if (numberOfGases < 1) return;
        vapour->number_of_components(numberOfGases);
        for (int i = 0; i < static_cast<int>(componentName.size()); ++i)
            if (isDissolvedGasName(componentName[static_cast<size_t>(i)].c_str()))
                vapour->add_component(componentName[static_cast<size_t>(i)].c_str());
    } else {
        numberOfGases = 1;
        vapour->number_of_components(1);
        if (vapour->nc == 1) {
            vapour->add_components(gas);
            vapour->composition_of_component(0, 1.0);
        }
    }
    // A gas the vapour model has no parameters for is refused by it (its error flag): such a
    // vapour had no state at any pressure, which the solubility reported as a state it lacked.
    // The hydrocarbon gas keeps its vapour, whose missing cubic data its solve names.
    const bool refused = vapour->error != 0 && systemType != SM_H2O_HC_NaCl;
    if (vapour->nc != numberOfGases || vapour->componentsAdded != numberOfGases || refused) {
        vornex::cfprintf(stderr,
                     "Solubility model: the vapour model \"%s\" (type %d) cannot take the %d gas "
                     "components of system %d; the model has no vapour side\n",
                     vapour->modelName.c_str(), type, numberOfGases, systemType);
        vapour.reset();
    }
}

void SolubilityModel::setDensityModelType(int type) {
    if (type == densityModelType) return;
    densityModelType = type;
    densityModel.reset();
    switch (type) {
        case SM_NoDensity:
            std::fputs("No density model defined.\n", stderr);
            break;
        case SM_PotterBrown:
            densityModel = std::make_unique<PotterBrown>();
            break;
        case SM_MaoDuan0:
            densityModel = std::make_unique<MaoDuanSalinityModel>(0);
            break;
        case SM_MaoDuan1:
            densityModel = std::make_unique<MaoDuanSalinityModel>(1);
            break;
        case SM_Spivey:
            densityModel = std::make_unique<SpiveyDensityModel>();
            break;
        default:
            break;
    }
}

void SolubilityModel::changeModelVersion(int ver) {
    version = ver;
}

void classifySolutionComponent(int index, const char* name, int& iH2O, int& iGas, int& iNaCl,
                               int& gases) {
    if (std::strcmp(name, "H2O") == 0) {
        iH2O = index;
    } else if (std::strcmp(name, "NaCl") == 0) {
        iNaCl = index;
    } else if (isDissolvedGasName(name)) {
        if (iGas < 0) iGas = index;
        ++gases;
    }
}

double meanActivityCoefficientNaCl(WaterEOS& water, double m) {
    if (!(m >= 0.0 && std::isfinite(m))) return std::numeric_limits<double>::quiet_NaN();
    double aw = 1.0, gamma = 1.0, phi = 1.0;
    water.calculatePitzer84(m, aw, gamma, phi);
    return gamma;
}

void SolubilityModel::read_component_data(int index, const char* name) {
    const int firstGas = iGas;
    classifySolutionComponent(index, name, iH2O, iGas, iNaCl, numberOfGases);
    // A model given its components by name (Henry's law) weighs its gas by that name: the
    // solution's, the vapour's and the gas's partial densities take its mass.
    if (firstGas < 0 && iGas == index) gasM = gasMolarMass(name);
}

void SolubilityModel::read_remaining_component_data() {
    if (const std::string why = foreignGas(); !why.empty()) {
        vornex::cfprintf(stderr, "Solubility model set-up refused: %s\n", why.c_str());
        error = 1;
        return;
    }
    // A model of one system's gas named again with its own components keeps the vapour model
    // it had: the gas is the same, and without one every state lacked its vapour side.
    if (systemGasName(systemType) != nullptr && numberOfGases >= 1 && !vapour &&
        gasModelBeforeNames_ >= 0)
        setGasModelType(gasModelBeforeNames_);
}

std::string SolubilityModel::foreignGas() const {
    const char* own = systemGasName(systemType);
    if (own == nullptr) return {};
    const bool methane = std::strcmp(own, "CH4") == 0;
    for (size_t i = 0; i < componentName.size(); ++i) {
        const std::string& name = componentName[i];
        if (name.empty() || name == "H2O" || name == "NaCl" || name == own ||
            (methane && name == "C1"))
            continue;
        return cformat(
            "the %s of system %d dissolves %s only, not %s (given by name): its parameters "
            "are %s's",
            modelName.empty() ? "solubility model" : modelName.c_str(), systemType, own,
            name.c_str(), own);
    }
    return {};
}

void SolubilityModel::describe() {
    calculate_gas_solubility0();
    calculate_water_activity();
}

// ------------------------------------------------------------------- composition

void SolubilityModel::setMolalities(double ms, double mgas) {
    mNa = mCl = ms;
    mg = mgas;
    compositionCode = 11;
    update_composition();
}

void SolubilityModel::update_composition() {
    const double xg = iGas >= 0 ? x[static_cast<size_t>(iGas)] : 0.0;
    const double xs = iNaCl >= 0 ? x[static_cast<size_t>(iNaCl)] : 0.0;
    // Mole fractions given as the amounts: each in 0 ... 1 and water left, else no solution.
    const bool gasGiven = compositionCode == 12 || compositionCode == 22;
    const bool saltGiven = compositionCode == 21 || compositionCode == 22;
    if ((gasGiven && !(xg >= 0.0 && xg < 1.0)) || (saltGiven && !(xs >= 0.0 && xs < 1.0)) ||
        (gasGiven && saltGiven && !(xg + xs < 1.0))) {
        vornex::cfprintf(stderr,
                     "Solubility model: mole fractions x(gas) %g, x(NaCl) %g given; each must lie "
                     "in 0 ... 1 with water left\n",
                     xg, xs);
        compositionCode = 0;
        mNa = mCl = mg = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    double a = 0.0, b = 0.0;
    switch (compositionCode) {
        case 11:
            a = mNa * Mw, b = mg * Mw;
            break;
        case 12:
            a = mNa * Mw, b = (a + 1.0) * xg / (1.0 - xg);
            break;
        case 21:
            b = mg * Mw, a = (b + 1.0) * xs / (1.0 - xs);
            break;
        case 22: {
            const double xw = 1.0 - xg - xs;
            b = xg / xw;
            a = xs / xw;
            break;
        }
        default:
            return;
    }
    compositionCode = 0;
    mNa = mCl = a / Mw;
    mg = b / Mw;
    const double xGas = b / (b + 1.0 + a), xSalt = a / (a + 1.0 + b);
    if (iGas >= 0) x[static_cast<size_t>(iGas)] = xGas;
    if (iNaCl >= 0) x[static_cast<size_t>(iNaCl)] = xSalt;
    if (iH2O >= 0) x[static_cast<size_t>(iH2O)] = 1.0 - xGas - xSalt;
}

// ------------------------------------------------------------------- calculations

void SolubilityModel::calculatePsatH2O() {
    Psat = WaterEOS::saturationPressureWagnerPruss(T);
    Vl = Mw / WaterEOS::saturatedLiquidDensityWagnerPruss(T);
}

double SolubilityModel::calculateSigma() {
    water->temperature(T);
    sigma = water->calculateSigma(0.0, 0.0);
    return sigma;
}

void SolubilityModel::calculateVapourMolarVolume() {
    if (!vapour || vapour->nc < 1) return;
    vapour->set_the_phase_as(vapourSelector_);
    vapour->temperature(T);
    vapour->Pascal(P);
    vapour->Vv0 = R * T / P;
    if (vapour->phase == 2) vapour->Vl0 = vapour->Vv0;
    vapour->calculate_molar_volume();
    if (vapour->error) {
        vapour->Vv0 = vapour->Vl0 = 7.5e-5;
        vapour->calculate_molar_volume();
    }
    if (!vapour->error && vapour->nc == 1) keepStableGasRoot();
    Vvapour = vapour->V;
}

void SolubilityModel::keepStableGasRoot() {
    keepStableRootOfGas(*vapour);
}

void keepStableRootOfGas(FluidPhase& gas) {
    // Just above its saturation pressure a pure gas below its critical temperature still has
    // a (metastable) vapour root beside the stable liquid; the gas in equilibrium with the
    // solution is the root of lower Gibbs energy, that is of lower fugacity.
    constexpr double kDenseStart = SolubilityModel::kDenseGasStart;
    const double Vfound = gas.V;
    gas.calculate_fugacities();
    const double fFound = gas.fugacity[0];
    const int selector = gas.phase;
    gas.set_the_phase_as(selector == 2 ? 1 : 2);
    gas.Vl0 = kDenseStart;
    gas.Vv0 = selector == 2 ? R * gas.T / gas.P : kDenseStart;
    gas.calculate_molar_volume();
    bool other = false;
    if (!gas.error && std::fabs(gas.V - Vfound) > 1e-6 * Vfound) {
        gas.calculate_fugacities();
        other = gas.fugacity[0] < fFound && std::isfinite(gas.fugacity[0]);
    }
    gas.set_the_phase_as(selector);
    if (other) return;
    // Back to the root first found, solved again from its own volume.
    gas.error = 0;
    gas.Vv0 = gas.Vl0 = Vfound;
    gas.calculate_molar_volume();
    if (!gas.error) gas.calculate_fugacities();
}

double SolubilityModel::capillaryWaterFraction() {
    if (poreRadius == 0.0) return Psat / P;
    calculateSigma();
    return Psat * std::exp((-2.0 * sigma / poreRadius + P - Psat) * Vl / (R * T)) / P;
}

void SolubilityModel::finishVapourSide() {
    // No vapour side: water alone exceeds the pressure, or the state or the vapour model is
    // unusable. The vapour's arrays are read only after a volume it found.
    if (!(yH2O >= 0.0 && yH2O <= 1.0) || !vapour || vapour->nc < 1) {
        vapourError = 1;
        return;
    }
    calculateVapourMolarVolume();
    if (vapour->error) {
        vapourError = 1;
        return;
    }
    vapour->calculate_fugacities();
    fv = (1.0 - yH2O) * vapour->fugacity[0];
    if (!std::isfinite(fv)) vapourError = 1;
}

void SolubilityModel::calculate_vapour_fugacities() {
    vapourError = 0;
    yH2O = capillaryWaterFraction();
    finishVapourSide();
}

void SolubilityModel::calculate_aqueous_fugacities() {}
void SolubilityModel::calculate_gas_partial_volume_() {
    Vg = std::numeric_limits<double>::quiet_NaN();
}

double SolubilityModel::solutionMolarMass() const {
    double M = 0.0;
    if (iH2O >= 0) M += Mw * x[static_cast<size_t>(iH2O)];
    if (iGas >= 0) M += gasM * x[static_cast<size_t>(iGas)];
    if (iNaCl >= 0) M += kNaClMolarMass * x[static_cast<size_t>(iNaCl)];
    return M;
}

double SolubilityModel::vapourDensity() const {
    return (Mw * yH2O + gasM * (1.0 - yH2O)) / Vvapour;
}

double SolubilityModel::gasDensityInVapour() const {
    return gasM * (1.0 - yH2O) / Vvapour;
}

double SolubilityModel::gasDensityInLiquid() const {
    return iGas >= 0 ? gasM * rhoSolution * x[static_cast<size_t>(iGas)] / solutionMolarMass()
                     : 0.0;
}

void SolubilityModel::calculate_density() {
    update_composition();
    calculate_gas_partial_volume_();
    // No density model is no density: never a density of zero.
    if (!densityModel) {
        error = 1;
        rhoSolution = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    densityModel->temperature(T);
    // In Pa as held: through bar (P 1e-5, then 1e5 again) 1000 bar became 1.0000000000000001e8
    // Pa, beyond the inclusive top of the brine models' range.
    densityModel->Pascal(P);
    densityModel->molality(mNa);
    densityModel->calculate_density();
    const double rhoBrine = densityModel->density;
    if (densityModel->error || !(rhoBrine > 0.0 && std::isfinite(rhoBrine))) {
        // A brine density the model could not give is not a density of zero.
        error = 1;
        rhoSolution = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double saltMass = 1000.0 + 1000.0 * kNaClMolarMass * mNa;  // g per kg of water
    // Without dissolved gas its partial volume does not enter (a model without one still
    // gives the brine's density).
    const double gasVolume = mg != 0.0 ? 1000.0 * mg * Vg : 0.0;
    rhoSolution = (saltMass + 1000.0 * gasM * mg) / (saltMass / rhoBrine + gasVolume);
    if (!(rhoSolution > 0.0 && std::isfinite(rhoSolution))) error = 1;
}

bool SolubilityModel::acceptsState(const char* operation, bool gasGiven) {
    const double ms = mNa, Pbar = P * 1e-5;
    const bool ok = T > 0.0 && std::isfinite(T) && P >= 0.0 && std::isfinite(P) && ms >= 0.0 &&
                    std::isfinite(ms) && (!gasGiven || (mg >= 0.0 && std::isfinite(mg)));
    if (ok && iNaCl < 0 && ms > 0.0) {
        // Without NaCl among the components the salt would count in the mole fractions
        // and nowhere else.
        const char* gas = iGas >= 0 ? componentName[static_cast<size_t>(iGas)].c_str() : "";
        vornex::cfprintf(stderr,
                         "%s refused: the H2O%s%s solution holds no NaCl (m(NaCl) = %g mol/kg "
                         "given)\n",
                         operation, *gas ? "-" : "", gas, ms);
        error = 1;
        return false;
    }
    if (ok) return true;
    vornex::cfprintf(stderr,
                 "%s refused: T = %g K, P = %g bar, m(NaCl) = %g, m(gas) = %g mol/kg (T must be "
                 "positive, P and the molalities not negative, all finite)\n",
                 operation, T, Pbar, ms, mg);
    error = 1;
    return false;
}

void SolubilityModel::checkSolubilityResult() {
    bool ok = mg >= 0.0 && std::isfinite(mg);
    for (int i = 0; i < nc; ++i) {
        const double xi = x[static_cast<size_t>(i)];
        ok = ok && xi >= 0.0 && xi <= 1.0;
    }
    if (!ok) error = 1;
}

void SolubilityModel::calculate_gas_solubility0() {
    update_composition();
    error = 0;
    vapourError = 0;
    // A refused state has no solubility either: the zero it was given had been printed as
    // one, beside the vapour and Henry constant of the state before it.
    if (!acceptsState("Gas solubility", false) || !missingParameters().empty()) {
        // No solubility, rather than one of a stand-in constant.
        error = 1;
        mg = std::numeric_limits<double>::quiet_NaN();
        if (iGas >= 0) x[static_cast<size_t>(iGas)] = mg;
        return;
    }
    calculatePsatH2O();
    calculate_vapour_fugacities();
    if (vapourError) return;
    calculate_aqueous_fugacities();
    if (numberOfGases != 1 || iGas < 0) {
        std::fputs("Not implemented\n", stderr);
        error = 1;
    } else {
        const size_t g = static_cast<size_t>(iGas);
        const double Hg = henryConstant[g] * activityCoefficient[g];
        double xw = 0.0, xg = 0.0, xs = 0.0;
        if (henryScale == 1) {
            mg = fv / Hg;
            const double a = mNa * Mw, b = mg * Mw;
            xw = 1.0 / (1.0 + a + b);
            xg = b / (1.0 + a + b);
            xs = iNaCl >= 0 ? a / (1.0 + a + b) : 0.0;
        } else {
            xg = fv / Hg;
            xw = (1.0 - xg) / (1.0 + mNa * Mw);
            xs = iNaCl >= 0 ? 1.0 - xg - xw : 0.0;
            mg = xg / (xw * Mw);
        }
        x[g] = xg;
        if (iH2O >= 0) x[static_cast<size_t>(iH2O)] = xw;
        if (iNaCl >= 0) x[static_cast<size_t>(iNaCl)] = xs;
        M = solutionMolarMass();
        checkSolubilityResult();
    }
    calculate_gas_partial_volume_();
    if (!withinPublishedRange()) error = 1;
}

bool SolubilityModel::lacksParameters(const char* operation) {
    const std::string why = missingParameters();
    if (why.empty()) return false;
    error = 1;
    if (!tracingCurve) vornex::cfprintf(stderr, "%s: %s\n", operation, why.c_str());
    return true;
}

void SolubilityModel::sayNoVapourSide(const char* operation) const {
    if (tracingCurve) return;
    vornex::cfprintf(stderr,
                     "%s: the model has no vapour side (gas model type %d for system %d: "
                     "choose one that takes the system's gases with setGasModelType)\n",
                     operation, gasModelType, systemType);
}

bool SolubilityModel::withinPublishedRange() const {
    const PublishedRange* range = publishedRange();
    if (range == nullptr) return true;
    // The bound in Pa as the pressure was set (bar times 1e5): P 1e-5 would put 2000 bar at
    // 2000.0000000000002, beyond its own inclusive bound.
    return T >= range->Tmin && T <= range->Tmax && P <= range->Pmax * 1e5 && mNa <= range->mMax;
}

void SolubilityModel::calculate_gas_solubility(double TK, double Pbar, double ms) {
    temperature(TK);
    pressure(Pbar);
    setMolalities(ms, 0.0);
    calculate_gas_solubility0();
    if (!error && !vapourError) return;
    // A refused state has said why already.
    // (A salt given to a solution without NaCl among its components included: it had been
    // told besides that the model gives no solubility there.)
    if (!(T > 0.0 && std::isfinite(T) && P >= 0.0 && std::isfinite(P) && mNa >= 0.0 &&
          std::isfinite(mNa)) ||
        (iNaCl < 0 && mNa > 0.0))
        return;
    if (lacksParameters("Gas solubility")) return;
    const PublishedRange* range = publishedRange();
    if (!vapour)
        sayNoVapourSide("Gas solubility");
    else if (range != nullptr && !withinPublishedRange())
        vornex::cfprintf(stderr,
                         "Gas solubility: %g K, %g bar and %g mol/kg NaCl lie outside the range "
                         "of %s (%g-%g K, up to %g bar and %g mol/kg NaCl)\n",
                         TK, Pbar, ms, range->source, range->Tmin, range->Tmax, range->Pmax,
                         range->mMax);
    else if (const double Pw = WaterEOS::saturationPressureWagnerPruss(TK) * 1e-5;
             vapourError && Pbar < Pw)
        vornex::cfprintf(stderr,
                         "Gas solubility: no gas phase at %g K and %g bar, below the water's "
                         "vapour pressure (%g bar)\n",
                         TK, Pbar, Pw);
    else if (vapourError)
        vornex::cfprintf(stderr, "Gas solubility: no state of the gas phase at %g K and %g bar\n",
                         TK, Pbar);
    else
        vornex::cfprintf(stderr,
                         "Gas solubility: the model gives no solubility at %g K, %g bar and %g "
                         "mol/kg NaCl (a molality or a mole fraction outside its bounds)\n",
                         TK, Pbar, ms);
}

double SolubilityModel::calculate_gas_partial_volume(double TK, double Pbar, double ms,
                                                     double mgas) {
    error = 0;
    temperature(TK);
    pressure(Pbar);
    setMolalities(ms, mgas);
    // A formula evaluated at a temperature below zero or a NaN gives a number that passes for
    // a volume (-0.04 m3/mol at -1 K).
    if (!acceptsState("Gas partial volume", true) || lacksParameters("Gas partial volume")) {
        Vg = std::numeric_limits<double>::quiet_NaN();
        return Vg;
    }
    calculate_gas_partial_volume_();
    if (!std::isfinite(Vg)) error = 1;
    return Vg;
}

void SolubilityModel::calculate_water_activity() {
    update_composition();
    // A composition refused (its molalities nan) or a salinity or temperature that is none has
    // no water activity: it read nan with the flag clear, as if computed.
    auto none = [&] {
        error = 1;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        osmotic = nan;
        if (iNaCl >= 0) activityCoefficient[static_cast<size_t>(iNaCl)] = nan;
        if (iH2O >= 0) activityCoefficient[static_cast<size_t>(iH2O)] = nan;
    };
    if (!(mNa >= 0.0 && std::isfinite(mNa) && T > 0.0 && std::isfinite(T))) {
        vornex::cfprintf(stderr,
                         "Water activity refused: T = %g K, m(NaCl) = %g mol/kg (T must be "
                         "positive, the molality not negative, both finite)\n",
                         T, mNa);
        none();
        return;
    }
    double xGas = 0.0;
    for (int i = 0; i < numberOfGases && iGas >= 0 && iGas + i < nc; ++i)
        xGas += x[static_cast<size_t>(iGas + i)];
    if (mNa == 0.0) {
        // Pure water under the gas, whatever the range of the brine's activity model.
        osmotic = 1.0;
        if (iNaCl >= 0) activityCoefficient[static_cast<size_t>(iNaCl)] = 1.0;
        if (iH2O >= 0) activityCoefficient[static_cast<size_t>(iH2O)] = 1.0 - xGas;
        return;
    }
    water->temperature(T);
    // P / 1e5 keeps a pressure given in bar exact (2000 bar stays within the range of the
    // water volume, which P 1e-5 left by a rounding).
    water->pressure(P / 1e5);
    water->V = WaterEOS::calculateSpiveyVolume(T, P / 1e5, nullptr);
    double aw = 1.0, unused = 0.0;
    water->calculatePitzer84(mNa, aw, unused, osmotic);
    if (iNaCl >= 0)
        activityCoefficient[static_cast<size_t>(iNaCl)] = meanActivityCoefficientNaCl(*water, mNa);
    if (iH2O >= 0) activityCoefficient[static_cast<size_t>(iH2O)] = aw * (1.0 - xGas);
    if (std::isfinite(aw) && std::isfinite(xGas)) return;
    vornex::cfprintf(stderr,
                     "Water activity: the brine's activity model gives none at %g K, %g bar and %g "
                     "mol/kg NaCl\n",
                     T, P * 1e-5, mNa);
    none();
}

}  // namespace vornex
