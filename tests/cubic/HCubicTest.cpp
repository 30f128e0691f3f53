// The three-constant cubics: the SRK limit, the Omega constants from zeta, the fugacity
// coefficients against the residual Gibbs energy, and the component files they read.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <tuple>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/HCubic.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

class ThreeConstantCubic : public ::testing::Test {
   protected:
    // Component files of the tests in ./compo, which the data lookup prefers.
    void SetUp() override {
        std::filesystem::create_directories("compo");
        std::filesystem::copy_file(VORNEX_TEST_DATA_DIR "/compo/HeyenSRK", "compo/HeyenSRK",
                                   std::filesystem::copy_options::overwrite_existing);
        // zeta = 0.29, a b(T) that moves, omega 0 for the correlated zeta.
        std::ofstream("compo/HeyenHeavy")
            << "Tc 400 Pc 4e6 Vc 2.41e-4 omega 0 slope 0.7 nn 0.9 m 0.1 teta 2 mw 0.05\n";
    }
    void TearDown() override { std::filesystem::remove_all("compo"); }

    static void state(HCubic& f, double T, double Pbar, std::vector<double> x) {
        f.temperature(T);
        f.pressure(Pbar);
        for (size_t i = 0; i < x.size(); ++i) f.composition_of_component(static_cast<int>(i), x[i]);
        f.calculate_molar_volume();
    }
    // ln phi_i against the residual Gibbs energy of the cubic integrated in closed form,
    //     G/RT = -ln(Z - B) - (A/D) ln((2Z + B + C + D)/(2Z + B + C - D)) + Z - 1,
    // as its mole-fraction mean and as its derivatives in the amounts (Gibbs-Duhem).
    static void checkFugacities(HCubic& f, double T, double Pbar, std::vector<double> x) {
        auto gibbs = [&](const std::vector<double>& n) {
            const double N = n[0] + n[1];
            state(f, T, Pbar, {n[0] / N, n[1] / N});
            EXPECT_EQ(f.error, 0);
            const double D = std::sqrt(f.B * f.B + 6 * f.B * f.C + f.C * f.C);
            const double L = std::log((2 * f.Z + f.B + f.C + D) / (2 * f.Z + f.B + f.C - D));
            const double g = -std::log(f.Z - f.B) - f.A / D * L + f.Z - 1.0;
            EXPECT_NEAR(f.x[0] * f.lnPhi[0] + f.x[1] * f.lnPhi[1], g, 1e-12);
            return N * g;
        };
        gibbs(x);
        const std::vector<double> lnPhi = f.lnPhi;
        const double h = 1e-6;
        for (int i = 0; i < 2; ++i) {
            std::vector<double> up = x, down = x;
            up[i] += h;
            down[i] -= h;
            EXPECT_NEAR((gibbs(up) - gibbs(down)) / (2 * h), lnPhi[i], 1e-8) << "component " << i;
        }
    }
};

// A liquid far below its vapour pressure (CH4-CO2 at 110 K, 1e-8 and 1e-6 bar): ln(P phi_i)
// moves only by the Poynting term V (P2 - P1)/RT, below 4e-9 here. The pressure recomputed
// from the root's volume was off by 4e-6 of itself at 1e-6 bar, and ln phi by as much.
TEST_F(ThreeConstantCubic, LiquidFugacitiesKeepTheirDigitsFarBelowTheVapourPressure) {
    TwoPar f(2);
    f.number_of_components(2);
    f.add_components("CH4", "CO2");
    auto lnPPhi = [&](double Pbar) {
        state(f, 110.0, Pbar, {0.3, 0.7});
        f.calculate_fugacities();
        EXPECT_EQ(f.error, 0);
        EXPECT_DOUBLE_EQ(f.P, Pbar * 1e5);
        return std::vector<double>{f.lnPhi[0] + std::log(Pbar), f.lnPhi[1] + std::log(Pbar)};
    };
    const std::vector<double> low = lnPPhi(1e-8), high = lnPPhi(1e-6);
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(low[i], high[i], 1e-8) << i;
}

// With OmegaC = 0 the cubic is SRK's: TwoPar on the shipped methane and carbon-dioxide
// files ("M" for the molar mass) against the classic SRK fluid with the same constants.
TEST_F(ThreeConstantCubic, TwoParIsTheClassicSrk) {
    TwoPar two(1);
    two.number_of_components(2);
    two.add_components("CH4", "CO2");
    ASSERT_EQ(two.molarMass[0], 0.0160428);
    ClassicalSRK srk(1);
    srk.number_of_components(2);
    srk.add_components("CH4", "CO2");
    for (int i = 0; i < 2; ++i) srk.set_critical_constants(i, two.Tc[i], two.Pc[i], two.omega[i]);
    for (auto [T, P] : {std::pair{250.0, 50.0}, std::pair{320.0, 120.0}}) {
        state(two, T, P, {0.7, 0.3});
        srk.temperature(T);
        srk.pressure(P);
        srk.composition(0.7, 0.3);
        srk.calculate_molar_volume();
        srk.calculate_fugacities();
        ASSERT_EQ(two.error + srk.error, 0);
        EXPECT_NEAR(two.V, srk.V, 1e-12 * srk.V);
        for (int i = 0; i < 2; ++i) EXPECT_NEAR(two.lnPhi[i], srk.lnPhi[i], 1e-11);
    }
    // The pressure at a volume needs no pressure set before (P = 0 gave 0/0).
    TwoPar fresh(1);
    fresh.number_of_components(2);
    fresh.add_components("CH4", "CO2");
    fresh.composition(0.7, 0.3);
    fresh.temperature(320.0);
    fresh.volume(srk.V);
    EXPECT_NEAR(fresh.calculate_pressure(), 120e5, 1e-6 * 120e5);
}

TEST_F(ThreeConstantCubic, ThreeParZetaTripleRootAndPseudoCriticalPoint) {
    ThreePar f(2);
    f.number_of_components(1);
    f.add_component("HeyenHeavy");  // omega 0
    const double zeta = 0.329032;
    EXPECT_DOUBLE_EQ(f.OmegaC, 1.0 - 3.0 * zeta);
    const double ob = f.OmegaB;
    EXPECT_NEAR(ob * ob * ob + (2 - 3 * zeta) * ob * ob + 3 * zeta * zeta * ob - zeta * zeta * zeta,
                0.0, 1e-15);
    state(f, 400.0, 40.0, {1.0});
    EXPECT_NEAR(f.Z, zeta, 1e-5);
    double Tc, Pc, Vc;
    f.calculate_the_pseudo_critical_point(Tc, Pc, Vc);
    EXPECT_NEAR(Tc, 400.0, 1e-7);
    EXPECT_NEAR(Pc, 4e6, 1e-3);
    EXPECT_NEAR(Vc, zeta * R * 400.0 / 4e6, 1e-15);
    // It belongs to the fluid, not to the pressure the fluid holds.
    f.pressure(1.0);
    double Tc1, Pc1, Vc1;
    f.calculate_the_pseudo_critical_point(Tc1, Pc1, Vc1);
    EXPECT_DOUBLE_EQ(Vc1, Vc);
}

TEST_F(ThreeConstantCubic, ThreeParFugacitiesFollowFromTheGibbsEnergy) {
    ThreePar f(1);
    f.number_of_components(2);
    f.add_components("CH4", "CO2");
    EXPECT_EQ(f.kaij[1], 0.1);
    checkFugacities(f, 300.0, 60.0, {0.6, 0.4});
    f.set_the_phase_as(2);
    checkFugacities(f, 230.0, 80.0, {0.2, 0.8});
}

// The Heyen test file (Vc = R Tc/(3 Pc)) gives SRK's constants; a second file with its own
// zeta and a covolume that moves with T; local composition L_ij != 1 in the mixture.
TEST_F(ThreeConstantCubic, HeyenConstantsMixingAndFugacities) {
    Heyen f(1);
    f.number_of_components(2);
    f.add_component("HeyenSRK");
    EXPECT_NEAR(f.OmegaA, kSrkOmegaA, 1e-12);
    EXPECT_NEAR(f.OmegaB, kSrkOmegaB, 1e-12);
    EXPECT_NEAR(f.OmegaC, 0.0, 1e-12);
    f.add_component("HeyenHeavy");
    EXPECT_NEAR(f.OmegaC, 1.0 - 3.0 * 0.29 * (4e6 * 2.41e-4 / (R * 400.0 * 0.29)), 1e-12);
    // At Tr = 1 a and b are their critical values.
    state(f, 400.0, 40.0, {0.0, 1.0});
    EXPECT_DOUBLE_EQ(f.a[1], f.ac[1]);
    EXPECT_DOUBLE_EQ(f.b[1], f.bc[1]);
    // With every L_ij = 1 the mixing rule is the quadratic one.
    f.set_binary_interaction_kaij(0, 1, 0.05);
    state(f, 300.0, 50.0, {0.4, 0.6});
    const double quadratic = 0.16 * f.a[0] + 0.36 * f.a[1] + 2 * 0.24 * 0.95 * std::sqrt(f.a[0] * f.a[1]);
    EXPECT_NEAR(f.amix, quadratic, 1e-12 * quadratic);
    f.set_local_composition_parameter(0, 1, 0.7);
    f.set_local_composition_parameter(1, 0, 1.4);
    checkFugacities(f, 300.0, 50.0, {0.4, 0.6});
    // A parameter that is no positive number, or a pair beyond the components, is refused
    // and the mixing rule stays as it was.
    state(f, 300.0, 50.0, {0.4, 0.6});
    const double amix = f.amix;
    for (auto [i, j, L] : {std::tuple{0, 1, -0.5}, std::tuple{1, 0, std::nan("")},
                           std::tuple{0, 1, 0.0}, std::tuple{2, 0, 1.0}}) {
        ::testing::internal::CaptureStderr();
        f.set_local_composition_parameter(i, j, L);
        EXPECT_NE(::testing::internal::GetCapturedStderr(), "") << i << j << " " << L;
        state(f, 300.0, 50.0, {0.4, 0.6});
        EXPECT_EQ(f.amix, amix) << i << j << " " << L;
    }
}

// The composition derivatives were never filled (dlnfdx, dfdx, dVdx, dPdn and the partial
// molar volumes all 0), so no two-phase solver could step in composition. Against the
// fluid's own ln f moved along x_j - x_k at constant T and P, its ln f moved in P (the
// partial molar volume RT d ln f_i/dP), and its P at a fixed total volume moved in n_i.
// Binary liquid and vapour, a ternary, and the local-composition mixing.
void checkCompositionDerivatives(HCubic& f, double T, double Pbar, const std::vector<double>& z) {
    const size_t n = z.size();
    auto at = [&](const std::vector<double>& x, double P) {
        f.temperature(T);
        f.pressure(P);
        f.composition(x.data());
        f.calculate_molar_volume();
        EXPECT_EQ(f.error, 0);
        return f.lnFugacity;
    };
    at(z, Pbar);
    const auto dlnfdx = f.dlnfdx, dfdx = f.dfdx;
    const auto vbar = f.partialMolarVolume, dPdn = f.dPdn, dVdx = f.dVdx, fug = f.fugacity;
    const double V = f.V, h = 1e-6;
    for (size_t j = 0; j < n; ++j)
        for (size_t k = 0; k < n; ++k) {
            if (j == k) continue;
            std::vector<double> up = z, down = z;
            up[j] += h, up[k] -= h, down[j] -= h, down[k] += h;
            const auto lu = at(up, Pbar);
            const double Vu = f.V;
            const auto ld = at(down, Pbar);
            EXPECT_NEAR((Vu - f.V) / (2 * h), dVdx[j] - dVdx[k], 1e-8 * V) << j << k;
            for (size_t i = 0; i < n; ++i) {
                const double slope = dlnfdx[i][j] - dlnfdx[i][k];
                EXPECT_NEAR((lu[i] - ld[i]) / (2 * h), slope, 1e-7 * (1 + std::fabs(slope)))
                    << "d ln f_" << i << " along x_" << j << " - x_" << k;
                EXPECT_NEAR(dfdx[i][j] - dfdx[i][k], fug[i] * slope,
                            1e-10 * std::fabs(fug[i]) * (1 + std::fabs(slope)));
            }
        }
    for (size_t i = 0; i < n; ++i) {
        const double dP = 1e-6 * Pbar;
        const double byP = (at(z, Pbar + dP)[i] - at(z, Pbar - dP)[i]) / (2 * dP * 1e5);
        EXPECT_NEAR(vbar[i], R * T * byP, 1e-7 * std::fabs(vbar[i])) << "partial molar volume " << i;
        // P(T, N V, n): one mole of z with n_i moved by +-h.
        auto pressureWith = [&](double step) {
            std::vector<double> x = z;
            x[i] += step;
            const double N = 1.0 + step;
            for (double& xi : x) xi /= N;
            f.composition(x.data());
            f.temperature(T);
            f.volume(V / N);
            return f.calculate_pressure();
        };
        EXPECT_NEAR((pressureWith(h) - pressureWith(-h)) / (2 * h), dPdn[i],
                    1e-7 * std::fabs(dPdn[i])) << "dP/dn_" << i;
    }
    // Gibbs-Duhem: sum_i x_i d ln f_i along any direction in the fractions is zero.
    for (size_t j = 1; j < n; ++j) {
        double sum = 0.0;
        for (size_t i = 0; i < n; ++i) sum += z[i] * (dlnfdx[i][j] - dlnfdx[i][0]);
        EXPECT_NEAR(sum, 0.0, 1e-9) << j;
    }
}

TEST_F(ThreeConstantCubic, CompositionDerivativesFollowTheFugacities) {
    for (int kind = 0; kind < 2; ++kind) {
        SCOPED_TRACE(kind == 0 ? "TwoPar" : "ThreePar");
        std::unique_ptr<HCubic> f;
        auto make = [&](int side) {
            f = kind == 0 ? std::unique_ptr<HCubic>(new TwoPar(side))
                          : std::unique_ptr<HCubic>(new ThreePar(side));
        };
        make(2);
        f->number_of_components(2);
        f->add_components("CH4", "CO2");
        checkCompositionDerivatives(*f, 200.0, 50.0, {0.5, 0.5});
        make(1);
        f->number_of_components(2);
        f->add_components("CH4", "CO2");
        checkCompositionDerivatives(*f, 250.0, 30.0, {0.8, 0.2});
        make(2);
        f->number_of_components(3);
        f->add_components("CH4", "C2H6", "N2");
        checkCompositionDerivatives(*f, 150.0, 40.0, {0.3, 0.6, 0.1});
    }
    Heyen h(2);
    h.number_of_components(2);
    h.add_components("HeyenSRK", "HeyenHeavy");
    h.set_binary_interaction_kaij(0, 1, 0.05);
    h.set_local_composition_parameter(0, 1, 0.7);
    h.set_local_composition_parameter(1, 0, 1.4);
    checkCompositionDerivatives(h, 300.0, 80.0, {0.4, 0.6});
}

TEST_F(ThreeConstantCubic, MissingFilesAndKeysStopTheFluid) {
    TwoPar f(1);
    f.number_of_components(2);
    ::testing::internal::CaptureStderr();
    f.add_components("CH4", "NoSuchGas");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("File compo/NoSuchGas not found"),
              std::string::npos);
    ::testing::internal::CaptureStderr();
    state(f, 300.0, 10.0, {0.5, 0.5});
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.error, 1);
    EXPECT_EQ(f.V, 0.0);
    // The shipped methane file has no Heyen keys.
    Heyen h(1);
    h.number_of_components(1);
    ::testing::internal::CaptureStderr();
    h.add_component("CH4");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("has no value for \"Vc\""),
              std::string::npos);
    double Tc, Pc, Vc;
    ::testing::internal::CaptureStderr();
    h.calculate_the_pseudo_critical_point(Tc, Pc, Vc);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(h.error, 1);
    EXPECT_EQ(Tc, 0.0);
}

// The state functions once were the ideal-gas term's alone (H = -RT, Cv = -R, Cp NaN) and
// the saturation search stopped on a singular matrix: they are the cubic's departure
// functions, those of the classical SRK given the same constants (a component file written
// from its table), and the saturated phases share P, f and G.
TEST_F(ThreeConstantCubic, StateFunctionsAndSaturationAreTheCubics) {
    for (const char* gas : {"CH4", "CO2"}) {
        SCOPED_TRACE(gas);
        ClassicalSRK srk(1);
        srk.number_of_components(1);
        srk.add_component(gas);
        // The test's own file of the gas, which the data lookup prefers to the shipped one.
        std::ofstream(std::string("compo/") + gas) << "Tc " << srk.Tc[0] << " Pc " << srk.Pc[0] << " omega "
                                       << srk.omega[0] << " mw " << srk.molarMass[0] << "\n";
        TwoPar two(1);
        two.number_of_components(1);
        two.add_component(gas);
        FluidPhase& fluid = two;  // the state functions, not the cubic's A = a P/(RT)^2
        const bool methane = gas[1] == 'H';
        const double T = methane ? 300.0 : 350.0;
        two.calculateFromTV(T, 2.1e-4, 0);
        srk.calculateFromTV(T, 2.1e-4, 0);
        ASSERT_EQ(two.error + srk.error, 0);
        EXPECT_NEAR(two.P, srk.P, 1e-9 * srk.P);
        for (auto [mine, classic] :
             {std::pair{fluid.H, srk.H}, std::pair{fluid.G, srk.G}, std::pair{fluid.A, srk.A},
              std::pair{fluid.U, srk.U}, std::pair{T * fluid.S, T * srk.S},
              std::pair{fluid.CpResidual, srk.CpResidual}})
            EXPECT_NEAR(mine, classic, 1e-8 * (std::fabs(srk.H) + R * T));
        EXPECT_NEAR(fluid.G, R * T * two.lnPhi[0], 1e-9 * R * T);
        if (methane) {
            EXPECT_NEAR(fluid.H, -1688.6, 0.05);
            EXPECT_NEAR(fluid.G, -385.2, 0.05);
        }
        const double Tsat = methane ? 150.0 : 280.0;
        const double Psat = two.calculateTheSaturationPressure(Tsat);
        const double Pclassic = srk.calculateTheSaturationPressure(Tsat);
        ASSERT_EQ(two.error + srk.error, 0);
        EXPECT_NEAR(Psat, Pclassic, 1e-7 * Pclassic);
        if (methane) {
            EXPECT_NEAR(Psat, 10.482e5, 0.0005e5);
        }
        two.calculateFromTV(Tsat, two.Vl, 0);
        const double Gl = fluid.G, lnfl = two.lnFugacity[0];
        two.calculateFromTV(Tsat, two.Vv, 0);
        EXPECT_NEAR(Gl, fluid.G, 1e-7 * R * Tsat);
        EXPECT_NEAR(lnfl, two.lnFugacity[0], 1e-9);
    }
}

// A Heyen mixture set up again with its two names in the other order is the fresh mixture of
// that order: the local-composition parameters of the first set-up belong to the first order's
// pairs, and a fresh mixture starts them all at 1.
TEST_F(ThreeConstantCubic, HeyenSetUpAgainStartsItsLocalCompositionAfresh) {
    Heyen fresh(1), again(1);
    fresh.number_of_components(2);
    fresh.add_components("HeyenHeavy", "HeyenSRK");
    again.number_of_components(2);
    again.add_components("HeyenSRK", "HeyenHeavy");
    again.set_local_composition_parameter(0, 1, 0.7);
    again.set_local_composition_parameter(1, 0, 1.4);
    state(again, 300.0, 50.0, {0.4, 0.6});
    ASSERT_EQ(again.error, 0);
    again.number_of_components(2);
    again.add_components("HeyenHeavy", "HeyenSRK");
    EXPECT_EQ(again.Lij, std::vector<double>(4, 1.0));
    for (auto [T, Pbar] : {std::tuple{300.0, 50.0}, std::tuple{250.0, 5.0}, std::tuple{450.0, 200.0}}) {
        state(fresh, T, Pbar, {0.3, 0.7});
        ASSERT_EQ(fresh.error, 0) << T << " K, " << Pbar << " bar";
        state(again, T, Pbar, {0.3, 0.7});
        ASSERT_EQ(again.error, 0) << T << " K, " << Pbar << " bar";
        EXPECT_NEAR(again.V, fresh.V, 1e-12 * fresh.V) << T << " K, " << Pbar << " bar";
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(again.lnPhi[i], fresh.lnPhi[i], 1e-12) << T << " K, " << Pbar << " bar";
    }
}

}  // namespace
}  // namespace vornex
