// The fluid's sweeps and diagnostics that write rows or leave a state, checked against
// closed forms of the van der Waals fluid (a = -ln(V - b) - alpha/(R T V)):
//   P = R T/(V - b) - alpha/V^2,   ln phi = b/(V - b) - 2 alpha/(R T V) - ln(P (V - b)/(R T)),
//   Joule-Thomson inversion V = b/(1 - sqrt(R T b/(2 alpha))),
// and of a fluid whose Joule curve exists: the van der Waals term plus -g T/V^2, for which
// Z = V/(V - b) - alpha/(R T V) - 2 g T/V^2 and dZ/dT = 0 at V = 2 g R T^2/alpha. Where a
// root lies on an unstable branch (dP/dV >= 0) it is no point of a curve.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expression/UnOp.h"
#include "fluid/CurveOutput.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace curve_members {

using testing::fileLines;
using testing::numbersOf;

constexpr double R = kGasConstant;
constexpr double kA = testing::kVdwA, kB = testing::kVdwB;

double vdwPressure(double T, double V) {
    return R * T / (V - kB) - kA / (V * V);
}

// The van der Waals term with -g T/V^2 added: its Joule curve (dZ/dT = 0 at constant V) is
// V = 2 g R T^2 / alpha.
class JouleCurveTerm : public testing::VanDerWaalsTerm {
   public:
    explicit JouleCurveTerm(double g) : VanDerWaalsTerm({kA}, {kB}) {
        for (Expression* e : std::initializer_list<Expression*>{&T_, &V_, &invV2_, &term_, &sum_})
            e->holdAsMember();
        T_.variableIndex = 0;
        V_.variableIndex = 1;
        invV2_.tie1(V_);
        term_.set_scalars1(-g);
        term_.tie2(T_, invV2_);
        sum_.set_scalars3(1.0, 1.0, 0.0);
        sum_.tie2(*root, term_);
        root = &sum_;
    }
    ~JouleCurveTerm() override { root = nullptr; }
    void number_of_components(int n) override {
        VanDerWaalsTerm::number_of_components(n);
        sum_.number_of_variables(n + 2);
    }

   private:
    FVar T_;
    FVar V_;
    Inverse2 invV2_;
    Product term_;
    Sum2 sum_;
};

class FluidCurveMembers : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals(1);
    testing::VdwCritical crit = testing::vdwCritical(kA, kB);
    static double inversionVolume(double T) {
        return kB / (1.0 - std::sqrt(R * T * kB / kA) / std::sqrt(2.0));
    }
};

// The Joule point and curve on the fluid that has one; Z is differenced at the point found,
// independently of the search's own derivative.
TEST_F(FluidCurveMembers, JoulePointHasZStationaryInTemperatureAndFollowsTheClosedForm) {
    // At the Joule volume dP/dV = -R T/(V - b)^2 + 5 alpha/V^3: with V_J(600 K) = 1e-3
    // m3/mol the curve lies where the fluid is stable from 500 K up.
    const double g = kA * 1e-3 / (2 * R * 600.0 * 600.0);
    auto fluid = testing::makeFluid(new JouleCurveTerm(g), {testing::kVdwMass});
    const auto joule = [&](double T) { return 2 * g * R * T * T / kA; };
    const double T = 600.0;
    fluid->calculateJoulePoint(T, 1.2 * joule(T));
    ASSERT_EQ(fluid->error, 0);
    const double V = fluid->V;
    EXPECT_NEAR(V / joule(T), 1.0, 1e-7);
    auto Z = [&](double t) {
        fluid->temperature(t);
        fluid->volume(V);
        fluid->calculate_pressure();
        return fluid->P * V / (R * t);
    };
    const double dZdT = testing::centralDifference(Z, T, 1e-3);
    EXPECT_NEAR(dZdT * T, 0.0, 1e-7);
    // At constant V, Z is largest at the Joule temperature.
    const double Zmax = Z(T);
    EXPECT_LT(Z(T - 50), Zmax);
    EXPECT_LT(Z(T + 50), Zmax);

    // At 350 K the Joule volume lies where the isotherm rises: no point.
    fluid->calculateJoulePoint(350.0, joule(350.0));
    EXPECT_EQ(fluid->error, 1);

    // The traced curve: every row on the closed form, P the model's at (T, V).
    fluid->calculateJouleCurve("jc", 500.0, joule(500.0), 25.0, 400.0, 800.0, 2, "j");
    EXPECT_EQ(fluid->error, 0);
    const auto lines = fileLines("jc");
    ASSERT_EQ(lines.size(), 1u + 13u);
    for (size_t k = 1; k < lines.size(); ++k) {
        const auto row = numbersOf(lines[k]);
        EXPECT_NEAR(row[0], 500.0 + 25.0 * double(k - 1), 1e-6);
        EXPECT_NEAR(row[1], joule(row[0]) * 1e6, 1e-5 * row[1]);
        const double Vr = joule(row[0]), t = row[0];
        const double P = R * t / (Vr - kB) - kA / (Vr * Vr) - 2 * g * R * t * t / (Vr * Vr * Vr);
        EXPECT_NEAR(row[2], P * 1e-5, 1e-5 + 1e-7 * std::fabs(P * 1e-5));
    }
}

TEST_F(FluidCurveMembers, JouleThomsonInversionCurveRowsAreTheClosedForm) {
    vdw->calculateJouleThomsonInversionCurve("jt", 600.0, 1.1 * inversionVolume(600.0), -20.0,
                                             400.0, 700.0, 1, "i");
    EXPECT_EQ(vdw->error, 0);
    const auto lines = fileLines("jt");
    // Igor text: header, wave names, BEGIN, 11 rows (600 down to 400 K), END.
    ASSERT_EQ(lines.size(), 3u + 11u + 1u);
    EXPECT_EQ(testing::words(lines[1]), (std::vector<std::string>{"WAVES", "Ti", "Vi", "Pi"}));
    for (size_t k = 0; k < 11; ++k) {
        const auto row = numbersOf(lines[3 + k]);
        const double T = 600.0 - 20.0 * double(k), V = inversionVolume(T);
        EXPECT_NEAR(row[0], T, 1e-6);
        EXPECT_NEAR(row[1], V * 1e6, 1e-5);
        EXPECT_NEAR(row[2], vdwPressure(T, V) * 1e-5, 1e-5);
    }
    EXPECT_EQ(lines.back(), "END");
}

// The map of the pure fluid's critical conditions around its critical point: 100 by 100
// rows of (T, V, |F0 + F1|, F0) with F0 = A_VV = -dP/dV and F1 = A_VVV = -d2P/dV2, both
// vanishing together at the critical point only.
TEST_F(FluidCurveMembers, CriticalFieldMapHoldsTheCriticalConditionsAroundTheCriticalPoint) {
    vdw->Tcrit = crit.Tc;
    vdw->Vcrit = crit.Vc;
    vdw->mapTheCriticalField();
    const auto lines = fileLines("mapcrit0");
    ASSERT_EQ(lines.size(), 3u + 100u * 101u + 1u);
    EXPECT_EQ(lines[1], "WAVES x00 x10 res0 f0");
    const double dT = 400.0 / 99, dV = 1.5e-4 / 99;
    for (size_t r = 0; r < 100; r += 3) {
        for (size_t c = 0; c < 100; c += 3) {
            const auto row = numbersOf(lines[3 + r * 101 + c]);
            ASSERT_EQ(row.size(), 4u);
            const double T = crit.Tc - 200.0 + dT * double(r);
            const double V = crit.Vc - 5e-5 + dV * double(c);
            // The coordinates read back as the grid: volumes in m3/mol once printed to six
            // decimals, 1e-6 m3/mol, coarser than the grid's step, so that neighbouring
            // columns read back as the same volume.
            ASSERT_NEAR(row[0], T, 1e-8 * T);
            ASSERT_NEAR(row[1], V, 1e-8 * V) << r << " " << c;
            const double dPdV = -R * T / ((V - kB) * (V - kB)) + 2 * kA / (V * V * V);
            const double d2PdV2 = 2 * R * T / std::pow(V - kB, 3) - 6 * kA / std::pow(V, 4);
            EXPECT_NEAR(row[3], -dPdV, 1e-8 * std::fabs(dPdV) + 1e-3) << r << " " << c;
            EXPECT_NEAR(row[2], std::fabs(dPdV + d2PdV2), 1e-6 * std::fabs(d2PdV2) + 1e-3)
                << r << " " << c;
        }
    }
    for (size_t r = 0; r < 100; ++r) EXPECT_TRUE(lines[3 + r * 101 + 100].empty());
    EXPECT_EQ(lines.back(), "END");
    // Where the slope of the isotherm is flat, it is flat at the critical temperature only:
    // the first column's smallest magnitude lies in the row nearest Tc.
    double flattest = HUGE_VAL;
    size_t flatRow = 0;
    for (size_t r = 0; r < 100; ++r) {
        const size_t c = size_t(std::lround(5e-5 / dV));  // V nearest Vc
        const double f = std::fabs(numbersOf(lines[3 + r * 101 + c])[3]);
        if (f < flattest) flattest = f, flatRow = r;
    }
    EXPECT_NEAR(double(flatRow), 200.0 / dT, 1.0);
    // The solver's start is left where the map found it.
    EXPECT_DOUBLE_EQ(vdw->systemSolver->x[0], crit.Tc);
    EXPECT_DOUBLE_EQ(vdw->systemSolver->x[1], crit.Vc);
}

// The simplified isochore: n + 1 geometric temperature steps, each (T, P) the model's.
TEST_F(FluidCurveMembers, SimplifiedIsochoreRowsAreThePressuresOfTheIsochore) {
    CurveArray array;
    const double V = 2.5 * kB;
    vdw->calculate_simplified_isochor(nullptr, V, 320.0, 640.0, 8, kCurveArray, &array);
    ASSERT_EQ(array.size(), 9u * 2);
    for (size_t k = 0; k < 9; ++k) {
        const double T = 320.0 * std::pow(2.0, double(k) / 8);
        EXPECT_NEAR(array[2 * k], T, 1e-9 * T);
        EXPECT_NEAR(array[2 * k + 1], vdwPressure(T, V) * 1e-5, 1e-9 * vdwPressure(T, V));
    }
    // The same sweep as a text stream: the printed rows carry the same values.
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    vdw->calculate_simplified_isochor(stream, V, 320.0, 640.0, 8, kColumnTable, nullptr);
    std::rewind(stream);
    double T = 0, P = 0;
    int rows = 0;
    while (std::fscanf(stream, "%lf %lf", &T, &P) == 2) {
        // T printed to 0.01 K, where dP/dT = R/(V - b) is 1.3 bar/K.
        EXPECT_NEAR(P, vdwPressure(T, V) * 1e-5, 0.01);
        ++rows;
    }
    std::fclose(stream);
    EXPECT_EQ(rows, 9);
}

// The P-V isotherm file: V, P, T, A, a + ln V, Z, phi, H, U, S for n volumes below Vmax.
TEST_F(FluidCurveMembers, PVIsothermRowsHoldPressureHelmholtzEnergyAndFugacityCoefficient) {
    const double T = 1.2 * crit.Tc;
    vdw->calculate_PV_isotherm(T, 2 * kB, 200 * kB, 10, kColumnTable, "v");
    EXPECT_EQ(vdw->error, 0);
    const auto lines = fileLines("pvtv.txt");
    ASSERT_EQ(lines.size(), 10u);
    for (size_t k = 0; k < lines.size(); ++k) {
        const auto row = numbersOf(lines[k]);
        ASSERT_EQ(row.size(), 10u);
        const double V = 2 * kB * std::pow(100.0, double(k) / 10), P = vdwPressure(T, V);
        EXPECT_NEAR(row[0], V * 1e6, 1e-5 * row[0]);
        EXPECT_NEAR(row[1], P * 1e-5, 1e-5 * row[1]);
        EXPECT_NEAR(row[2], T, 1e-3);
        // A/(R T) + ln V is what the volume-free part leaves: -ln(1 - b/V) - alpha/(R T V).
        EXPECT_NEAR(row[4], -std::log(1 - kB / V) - kA / (R * T * V), 1e-5);
        EXPECT_NEAR(row[5], P * V / (R * T), 1e-5);
        const double lnPhi =
            kB / (V - kB) - 2 * kA / (R * T * V) - std::log(P * (V - kB) / (R * T));
        EXPECT_NEAR(std::log(row[6]), lnPhi, 1e-5);
    }
    // A suffix that would leave the folder writes nothing and says so.
    vdw->calculate_PV_isotherm(T, 2 * kB, 200 * kB, 10, kColumnTable, "../v");
    EXPECT_EQ(vdw->error, 1);
}

// The pressure surface: (nT + 1) temperatures of (nV + 1) geometric volumes, a blank line
// after each temperature, and the contour script at the given levels.
TEST_F(FluidCurveMembers, PressureSurfaceRowsAndContourLevels) {
    double levels[] = {10.0, 50.0, 70.0};
    vdw->calculate_P_surface(levels, 3, 300.0, 400.0, 2 * kB, 20 * kB, 4, 5);
    EXPECT_EQ(vdw->error, 0);
    const auto lines = fileLines("psurf.txt");
    ASSERT_EQ(lines.size(), 5u * 7u);
    for (size_t i = 0; i < 5; ++i) {
        for (size_t j = 0; j < 6; ++j) {
            const auto row = numbersOf(lines[i * 7 + j]);
            ASSERT_EQ(row.size(), 3u);
            const double T = 300.0 + 25.0 * double(i), V = 2 * kB * std::pow(10.0, double(j) / 5);
            EXPECT_NEAR(row[0], T, 1e-9);
            EXPECT_NEAR(row[1], V * 1e6, 1e-5 * row[1]);
            EXPECT_NEAR(row[2], vdwPressure(T, V) * 1e-5, 1e-5 * std::fabs(row[2]) + 1e-6);
        }
        EXPECT_TRUE(lines[i * 7 + 6].empty());
    }
    const std::string script = testing::slurp("g8.gp");
    EXPECT_NE(script.find("set cntrparam levels discr 10.000000, 50.000000, 70.000000\n"),
              std::string::npos);
    EXPECT_NE(script.find("using 2:1:3"), std::string::npos);
}

// Specific volumes and densities to molar volumes: 1 ft3/lb = 0.3048^3/0.45359237 m3/kg
// exactly, 1 cm3/g = 1e-3 m3/kg; each a round trip through the density M/V.
TEST_F(FluidCurveMembers, UnitConversionsOfVolumeAndDensityAreExact) {
    const double M = testing::kVdwMass;
    vdw->gcm3(0.8);
    EXPECT_NEAR(M / vdw->V, 800.0, 1e-12 * 800.0);
    vdw->cm3g(1.25);
    EXPECT_NEAR(M / vdw->V, 800.0, 1e-12 * 800.0);
    const double ft3PerLb = 0.3048 * 0.3048 * 0.3048 / 0.45359237;  // m3/kg
    vdw->ft3lb(1.0);
    EXPECT_NEAR(vdw->V / M, ft3PerLb, 1e-12 * ft3PerLb);
    // 62.42796 lb/ft3 is 1 g/cm3.
    vdw->ft3lb(1.0 / 62.427960576144606);
    EXPECT_NEAR(M / vdw->V, 1000.0, 1e-9);
    // Of a mixture, the molar volume takes the mixture's molar mass.
    auto mixture = testing::makeVanDerWaalsMixture();
    mixture->composition(0.25, 0.75);
    mixture->gcm3(0.5);
    EXPECT_NEAR(mixture->V, (0.25 * 0.044 + 0.75 * 0.016) / 500.0, 1e-18);
}

}  // namespace curve_members
}  // namespace vornex
