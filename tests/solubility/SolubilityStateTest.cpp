// Results of the solubility models that once depended on earlier calls, and values they gave
// as success where there was none: the bubble pressure without a guess, the gas partial
// volume of each model, the Henry isopleth after isochores, densities without a density
// model, the isotherm's rows whose density failed, solutions given by their mole fractions
// and the printout of a state without a gas phase.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "solubility/DMGWwater.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/SpiveySolubility.h"

namespace vornex {
namespace {

std::unique_ptr<Henry> henryOf(int version, const char* gas, bool salt) {
    auto h = std::make_unique<Henry>();
    h->changeModelVersion(version);
    h->number_of_components(salt ? 3 : 2);
    if (salt)
        h->add_components("H2O", gas, "NaCl");
    else
        h->add_components("H2O", gas);
    return h;
}

// Pbar 0 once started the secant from whatever pressure the last call left: 0 on a fresh
// model (failure), 313.35912 bar after any solubility.
TEST(SpiveyBubblePressure, WithoutAGuessStartsFromTheEstimate) {
    SpiveySolubility fresh;
    fresh.calculate_bubble_pressure(373.15, 0.0, 2.0, 0.1);
    EXPECT_EQ(fresh.error, 0);
    EXPECT_NEAR(fresh.P * 1e-5, 313.35912, 1e-4);
    // The correlation at that pressure gives the molality back.
    fresh.calculate_gas_solubility(373.15, fresh.P * 1e-5, 2.0);
    EXPECT_NEAR(fresh.mg, 0.1, 1e-8);

    SpiveySolubility used;
    used.calculate_gas_solubility(300.0, 50.0, 0.0);
    used.calculate_bubble_pressure(373.15, 0.0, 2.0, 0.1);
    EXPECT_EQ(used.error, 0);
    EXPECT_NEAR(used.P, fresh.P, 1e-6 * fresh.P);
    used.calculate_bubble_pressure(373.15, -5.0, 2.0, 0.1);
    EXPECT_EQ(used.error, 1);
}

// The partial volume was the last one computed on Henry (0 fresh, 3.2e-5 after a version-1
// solubility), the base's through a SolubilityModel& on Spivey, and its flag stuck on DMGW.
TEST(GasPartialVolume, IsEachModelsOwnAndFlaggedPerCall) {
    auto v1 = henryOf(1, "CH4", true);
    EXPECT_NEAR(v1->calculate_gas_partial_volume(323.15, 100.0, 1.0, 0.01), 3.2e-5, 1e-12);
    EXPECT_EQ(v1->error, 0);
    auto v2 = henryOf(2, "CH4", true);
    v2->calculate_gas_solubility(323.15, 100.0, 1.0);
    v2->changeModelVersion(1);
    v2->calculate_gas_solubility(323.15, 100.0, 1.0);
    v2->changeModelVersion(2);
    EXPECT_TRUE(std::isnan(v2->calculate_gas_partial_volume(323.15, 100.0, 1.0, 0.01)));
    EXPECT_EQ(v2->error, 1);  // version 2 gives none

    SpiveySolubility spivey;
    SolubilityModel& base = spivey;
    const double Vg = base.calculate_gas_partial_volume(373.15, 500.0, 1.0, 0.1);
    EXPECT_EQ(base.error, 0);
    EXPECT_DOUBLE_EQ(Vg, SpiveySolubility::partialVolume(373.15, 50.0, 1.0));

    DMGWwater co2(SM_H2O_CO2_NaCl, 0);
    const double fresh = co2.calculate_gas_partial_volume(323.15, 200.0, 1.0, 0.5);
    EXPECT_EQ(co2.error, 0);
    co2.calculate_gas_solubility(323.15, std::nan(""), 1.0);
    ASSERT_EQ(co2.error, 1);
    EXPECT_DOUBLE_EQ(co2.calculate_gas_partial_volume(323.15, 200.0, 1.0, 0.5), fresh);
    EXPECT_EQ(co2.error, 0);
    // A central difference of the Henry constant and activity in P: V = RT dln(H gamma)/dP.
    auto lnHg = [&](double Pbar) {
        co2.temperature(323.15), co2.pressure(Pbar), co2.setMolalities(1.0, 0.5);
        co2.calculate_aqueous_fugacities();
        return std::log(co2.henryConstant[1] * co2.activityCoefficient[1]);
    };
    const double dlnHdP = (lnHg(200.01) - lnHg(199.99)) / (0.02e5);
    EXPECT_NEAR(fresh, kGasConstant * 323.15 * dlnHdP, 1e-6 * fresh);
}

// The isopleth's first bubble point at 273.15 K failed after a two-phase isochore had left
// the vapour cubic on its liquid side (it relabels a lone root for good), and the curve ran
// downward from 573 K instead.
TEST(HenryIsopleth, RunsTheSameWayAfterIsochores) {
    auto fresh = henryOf(0, "CO2", false);
    CurveArray expected;
    fresh->calculateTheIsopleth(0.0, 0.05, kCurveArray, "h", &expected);
    ASSERT_EQ(expected.size(), 2u * 301u);
    EXPECT_DOUBLE_EQ(expected[0], 273.15);
    EXPECT_NEAR(expected[1], 0.681253, 1e-5);

    auto used = henryOf(0, "CO2", false);
    used->calculate_gas_solubility(323.15, 100.0, 0.0);
    CurveArray isochore, again;
    used->calculateTheBiphasicIsochor(473.15, 600.0, 0.0, -1.0, kCurveArray, "b", &isochore);
    used->calculateTheBiphasicIsochor(473.15, 600.0, 0.0, -1.0, kCurveArray, "b", &isochore);
    used->calculateTheIsopleth(0.0, 0.05, kCurveArray, "h", &again);
    ASSERT_EQ(again.size(), expected.size());
    for (size_t i = 0; i < again.size(); ++i)
        EXPECT_NEAR(again[i], expected[i], 1e-7 * std::fabs(expected[i])) << i;
}

// One model of each kind of aqueous side: the Duan type, Henry's law and the correlation.
struct EachAqueousSide {
    DMGWwater co2{SM_H2O_CO2_NaCl, 0};
    std::unique_ptr<Henry> henry = henryOf(1, "CO2", true);
    SpiveySolubility spivey;
    std::vector<SolubilityModel*> models() { return {&co2, henry.get(), &spivey}; }
};

// A solution given by its mole fractions (composition-input codes 21 and 22) is the one of
// the same molalities for every operation on the state. The bubble pressure, the density and
// the water activity, and the Spivey solubility, once took the molalities left from before
// (none after the set-up): a salt-free solution, given as found.
TEST(SolutionByMoleFractions, IsTheSolutionOfItsMolalities) {
    constexpr double Mw = SolubilityModel::kWaterMolarMass, T = 323.15, Pbar = 150.0;
    constexpr double ms = 1.2;
    const double a = ms * Mw;
    double mgas = 0.0, b = 0.0;  // half the solubility at (T, P)
    auto give = [&](SolubilityModel& m, int code) {
        m.setMolalities(0.0, 0.0);
        m.temperature(T);
        m.pressure(Pbar);
        const size_t g = static_cast<size_t>(m.iGas), s = static_cast<size_t>(m.iNaCl);
        if (code == 21) {
            m.mg = mgas;
            m.x[s] = a / (1.0 + a + b);
        } else {
            m.x[g] = b / (1.0 + a + b);
            m.x[s] = a / (1.0 + a + b);
        }
        m.compositionCode = static_cast<int16_t>(code);
    };
    EachAqueousSide sides;
    for (SolubilityModel* m : sides.models()) {
        const std::string name = m->modelName;
        m->setDensityModelType(SM_MaoDuan0);
        m->calculate_gas_solubility(T, Pbar, ms);
        ASSERT_EQ(m->error + m->vapourError, 0) << name;
        const double solubility = m->mg;
        mgas = 0.5 * solubility, b = mgas * Mw;
        give(*m, 21);
        m->mg = 0.0;
        m->x[static_cast<size_t>(m->iNaCl)] = a / (1.0 + a);  // no gas yet
        m->calculate_gas_solubility0();
        EXPECT_EQ(m->error + m->vapourError, 0) << name;
        EXPECT_NEAR(m->mg, solubility, 1e-9 * solubility) << name;

        m->calculate_bubble_pressure(T, 0.0, ms, mgas);
        ASSERT_EQ(m->error, 0) << name;
        const double bubble = m->P;
        give(*m, 22);
        m->P = 0.0;
        m->calculate_bubble_pressure();
        EXPECT_EQ(m->error, 0) << name;
        EXPECT_NEAR(m->P, bubble, 1e-7 * bubble) << name;
        EXPECT_LT(bubble * 1e-5, Pbar) << name;

        m->temperature(T);
        m->pressure(Pbar);
        m->setMolalities(ms, mgas);
        m->calculate_density();
        const double rho = m->rhoSolution;
        ASSERT_TRUE(std::isfinite(rho)) << name;
        m->calculate_water_activity();
        const double aw = m->activityCoefficient[static_cast<size_t>(m->iH2O)];
        give(*m, 22);
        m->calculate_density();
        EXPECT_NEAR(m->rhoSolution, rho, 1e-9 * rho) << name;
        give(*m, 22);
        m->calculate_water_activity();
        EXPECT_NEAR(m->activityCoefficient[static_cast<size_t>(m->iH2O)], aw, 1e-12) << name;
        EXPECT_LT(aw, 0.97) << name;  // the brine's, not water's
    }
}

// A bubble pressure leaves the model at its bubble point, the gas's partial volume included:
// it once kept the volume of the state solved before it.
TEST(BubblePressure, LeavesThePartialVolumeOfItsState) {
    EachAqueousSide sides;
    for (SolubilityModel* m : sides.models()) {
        m->calculate_gas_solubility(323.15, 150.0, 1.0);
        const double mg = 0.5 * m->mg;
        m->calculate_bubble_pressure(423.15, 0.0, 2.0, mg);
        ASSERT_EQ(m->error, 0) << m->modelName;
        const double Pbar = m->P * 1e-5, Vg = m->Vg;
        EXPECT_DOUBLE_EQ(Vg, m->calculate_gas_partial_volume(423.15, Pbar, 2.0, mg))
            << m->modelName;
    }
}

// The printout of a state the vapour side refused (below the water's vapour pressure, or the
// gas phase without a state) once read "error 0" with a solubility of 0 and the volume and
// Henry constant of the state solved before it.
TEST(SolubilityPrintout, StateWithoutAGasPhaseIsNoResult) {
    auto printed = [](SolubilityModel& m) {
        std::string text(4096, '\0');
        std::FILE* out = std::tmpfile();
        if (out == nullptr) return std::string();
        m.print(out);
        std::rewind(out);
        text.resize(std::fread(text.data(), 1, text.size(), out));
        std::fclose(out);
        return text;
    };
    EachAqueousSide sides;
    for (SolubilityModel* m : sides.models()) {
        m->calculate_gas_solubility(323.15, 150.0, 1.5);
        ASSERT_EQ(m->error + m->vapourError, 0);
        const std::string solved = printed(*m);
        EXPECT_NE(solved.find("error    :            0\n"), std::string::npos) << solved;
        EXPECT_EQ(solved.find("nan"), std::string::npos) << solved;
        m->calculate_gas_solubility(423.15, 1.0, 1.5);  // water boils at 4.76 bar
        ASSERT_EQ(m->vapourError, 1);
        const std::string refused = printed(*m);
        EXPECT_NE(refused.find("error    :            1\n"), std::string::npos) << refused;
        EXPECT_NE(refused.find("vapour   : none at this state"), std::string::npos) << refused;
        for (const char* line : {"x gas    :", "m gas    :", "Vgas(aq) :", "Hgas(aq) :"}) {
            const auto at = refused.find(line);
            ASSERT_NE(at, std::string::npos) << line;
            const std::string shown = refused.substr(at, refused.find('\n', at) - at);
            EXPECT_NE(shown.find("nan"), std::string::npos) << shown;
        }
    }
    // The water model of a N2 vapour (Mao and Duan) exceeds the pressure at 1500 bar.
    DMGWwater n2(SM_H2O_N2_NaCl, 0);
    n2.calculate_gas_solubility(323.15, 500.0, 0.0);
    n2.calculate_gas_solubility(323.15, 1500.0, 0.0);
    ASSERT_EQ(n2.vapourError, 1);
    EXPECT_NE(printed(n2).find("error    :            1\n"), std::string::npos);
}

// Without a density model the density was 0 with a clear flag.
TEST(SolutionDensity, WithoutADensityModelIsRefused) {
    auto henry = henryOf(1, "CH4", true);
    SpiveySolubility spivey;
    for (SolubilityModel* m : {static_cast<SolubilityModel*>(henry.get()),
                               static_cast<SolubilityModel*>(&spivey)}) {
        m->calculate_gas_solubility(323.15, 100.0, 1.0);
        ASSERT_EQ(m->error, 0);
        m->calculate_density();
        EXPECT_EQ(m->error, 1);
        EXPECT_TRUE(std::isnan(m->rhoSolution));
        // With one, the brine plus the gas's own volume.
        m->setDensityModelType(SM_Spivey);
        m->calculate_gas_solubility(323.15, 100.0, 1.0);
        m->calculate_density();
        EXPECT_EQ(m->error, 0);
        EXPECT_GT(m->rhoSolution, 1000.0);
        EXPECT_LT(m->rhoSolution, 1100.0);
    }
}

// DMGW CH4 at 333.15 K, 2 mol/kg: from 1000.2 bar the Mao-Duan brine density is out of its
// range; those rows once carried the error column 0 beside a density of nan. The isotherm
// ends with its first row beyond the model's published 1600 bar, flagged.
TEST(SolubilityIsotherm, RowsWithoutADensityCarryTheFlag) {
    DMGWwater model(SM_H2O_CH4_NaCl, 0);
    ASSERT_TRUE(model.calculateTheIsotherm(333.15, 2.0, 1, "st"));
    std::ifstream in("isotst");
    std::string line;
    int rows = 0, nanRows = 0;
    while (std::getline(in, line)) {
        double T, P, mg, yh, vv;
        char rho[32];
        int e = -1;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %31s %d", &T, &P, &mg, &yh, &vv, rho,
                        &e) != 7)
            continue;
        ++rows;
        const bool nan = std::isnan(std::strtod(rho, nullptr));
        nanRows += nan ? 1 : 0;
        EXPECT_EQ(e, nan ? 1 : 0) << line;
        EXPECT_TRUE(mg >= 0.0) << line;  // the solubility stands (0 at the vapour pressure)
    }
    EXPECT_EQ(rows, 1601);
    EXPECT_EQ(nanRows, 601);
    std::remove("isotst");
}

// The same relabelled vapour in the Henry-Pitzer set: CO2 at 273.15 K and 1 bar dissolved
// to x 0.034 (the fugacity of the cubic's liquid root) after hot, dense states, 0.00135 fresh.
TEST(HenPitSetState, GasIsSolvedOnItsVapourSideAfterDenseStates) {
    auto solubility = [](HenPitSet& s, double T, double P) {
        s.temperature(T);
        s.pressure(P);
        s.describe();
        return s.x[1];
    };
    auto made = [] {
        auto s = std::make_unique<HenPitSet>();
        s->setVapourModel(1);
        s->henrySet = 1;
        s->number_of_components(2);
        s->add_components("H2O", "CO2");
        return s;
    };
    auto fresh = made(), used = made();
    const double expected = solubility(*fresh, 273.15, 1.0);
    EXPECT_NEAR(expected, 1.3516e-3, 1e-6);
    for (double T : {300.0, 473.15, 600.0})
        for (double P : {100.0, 600.0, 1000.0}) solubility(*used, T, P);
    EXPECT_DOUBLE_EQ(solubility(*used, 273.15, 1.0), expected);
    EXPECT_EQ(used->error, 0);
}

}  // namespace
}  // namespace vornex
